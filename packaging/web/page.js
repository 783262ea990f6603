"use strict";
// The page around the game's canvas: the still of the title and the start
// button, the canvas's size, the audio the player's tap unlocks, the music
// synthesiser the game hands its pieces to, and the game started on the tap.
// The game (marigold.js) reads this object as its Module.
var Module = (() => {
  const kWidth = 600;
  const kHeight = 400;
  const canvas = document.getElementById("canvas");
  const still = document.getElementById("still");
  const start = document.getElementById("start");
  let runtimeReady;
  const ready = new Promise((resolve) => {
    runtimeReady = resolve;
  });
  let started = false;

  // The canvas fills the free space keeping 3:2: when the whole picture
  // fits at least at its own size, at the largest whole number of the
  // screen's pixels a game pixel, so every pixel stays sharp; on a smaller
  // page (a phone), as large as fits.
  function fit() {
    const dpr = window.devicePixelRatio || 1;
    const room = Math.min(window.innerWidth / kWidth, window.innerHeight / kHeight);
    const scale = room >= 1 ? Math.floor(room * dpr) / dpr : room;
    for (const element of [canvas, still]) {
      element.style.width = kWidth * scale + "px";
      element.style.height = kHeight * scale + "px";
    }
  }
  window.addEventListener("resize", fit);
  fit();

  // When the still was first on screen, in ms from the navigation
  // (Module.marigoldFirstFrame).
  still
    .decode()
    .then(() => requestAnimationFrame(() => (Module.marigoldFirstFrame = performance.now())))
    .catch(() => {});

  // The music: FluidSynth built for the web (js-synthesizer, on an audio
  // worklet) with the SoundFont the Linux game plays with. Commands run one
  // after another; one that a later command replaced before it began is
  // skipped. The synthesiser's output also feeds an analyser, for the tests.
  const music = {
    synth: null,
    ready: Promise.resolve(),
    queue: Promise.resolve(),
    generation: 0,
    analyser: null,
    node: null,  // the synthesiser's output
    init(context) {
      this.ready = (async () => {
        await context.audioWorklet.addModule("libfluidsynth-2.4.6.js");
        await context.audioWorklet.addModule("js-synthesizer.worklet.min.js");
        const synth = new JSSynth.AudioWorkletNodeSynthesizer();
        // As the desktop sets its FluidSynth up.
        synth.init(context.sampleRate, {
          initialGain: 0.5,
          polyphony: 48,
          reverbActive: true,
          chorusActive: true,
        });
        const node = synth.createAudioNode(context);
        node.connect(context.destination);
        this.node = node;
        this.analyser = context.createAnalyser();
        this.analyser.fftSize = 2048;
        node.connect(this.analyser);
        const font = await fetch("TimGM6mb.sf2");
        if (!font.ok) throw new Error("TimGM6mb.sf2: " + font.status);
        await synth.loadSFont(await font.arrayBuffer());
        this.synth = synth;
      })().catch((error) => console.error("marigold: no music (" + error + ")"));
    },
    later(step) {
      const generation = ++this.generation;
      this.queue = this.queue
        .then(() => this.ready)
        .then(async () => {
          if (this.synth && generation === this.generation) await step(this.synth);
        })
        .catch((error) => console.error("marigold: music: " + error));
    },
    async silence(synth) {
      synth.stopPlayer();
      await synth.resetPlayer();
      synth.midiAllSoundsOff();
      synth.midiSystemReset();
    },
    // A whole Standard MIDI File from its beginning, once or repeating
    // without end; replaces whatever played.
    start(bytes, repeat) {
      this.later(async (synth) => {
        await this.silence(synth);
        await synth.addSMFDataToPlayer(bytes.buffer);
        synth.setPlayerLoop(repeat ? -1 : 1);
        await synth.playPlayer();
        this.playing = { size: bytes.length, repeat };
      });
    },
    stop() {
      this.later(async (synth) => {
        await this.silence(synth);
        this.playing = null;
      });
    },
    playing: null,  // the piece last started and not stopped: its size, whether it repeats
    // The root mean square of the music's last 2048 samples (the tests').
    level() {
      if (!this.analyser) return 0;
      const samples = new Float32Array(this.analyser.fftSize);
      this.analyser.getFloatTimeDomainData(samples);
      let sum = 0;
      for (const s of samples) sum += s * s;
      return Math.sqrt(sum / samples.length);
    },
  };

  // The tap: the audio may start now, and so does the game, as the desktop
  // game starts.
  async function play() {
    if (started) return;
    started = true;
    start.disabled = true;
    const Context = window.AudioContext || window.webkitAudioContext;
    if (Context) {
      try {
        const context = new Context();
        context.resume();
        // SDL's audio takes the context made here, within the gesture.
        Module.SDL2 = Object.assign(Module.SDL2 || {}, { audioContext: context });
        music.init(context);
      } catch (error) {
        console.error("marigold: no audio (" + error + ")");
      }
    }
    await ready;
    still.classList.add("hidden");
    start.classList.add("hidden");
    canvas.focus();
    Module.callMain([]);
  }
  start.addEventListener("click", play);

  return {
    canvas,
    noInitialRun: true,
    print: (text) => console.log(text),
    printErr: (text) => console.error(text),
    onRuntimeInitialized() {
      runtimeReady();
      start.disabled = false;
    },
    marigoldMusic: music,
    marigoldFirstFrame: 0,
    // The game has ended: the button starts it again, in a fresh page.
    marigoldEnded() {
      start.disabled = false;
      start.classList.remove("hidden");
      start.removeEventListener("click", play);
      start.addEventListener("click", () => window.location.reload());
    },
  };
})();
