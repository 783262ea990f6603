// Records the page's music: the packaged page opened in headless Chromium,
// its synthesiser (js-synthesizer on an audio worklet, as the game plays
// through it) started on each piece in turn, SECONDS seconds of its output
// captured as 32-bit float stereo, interleaved, to OUTDIR/NAME.raw, at the
// rate printed (the audio context's).
// usage: node music-capture.cjs PAGE SECONDS OUTDIR PIECE.mid...
"use strict";
const fs = require("fs");
const http = require("http");
const os = require("os");
const path = require("path");
const puppeteer = require(path.join(__dirname, "../../packaging/web/node_modules/puppeteer-core"));

const [pageDir, seconds, outDir, ...pieces] = process.argv.slice(2);

async function main() {
  const root = path.resolve(pageDir);
  const server = http.createServer((request, response) => {
    const file = path.join(root, decodeURIComponent(new URL(request.url, "http://x").pathname));
    const name = file.endsWith("/") ? file + "index.html" : file;
    if (!name.startsWith(root) || !fs.existsSync(name)) {
      response.writeHead(404);
      return response.end();
    }
    const type = name.endsWith(".js") ? "text/javascript" : name.endsWith(".html") ? "text/html" : name.endsWith(".wasm") ? "application/wasm" : "application/octet-stream";
    response.writeHead(200, { "Content-Type": type });
    fs.createReadStream(name).pipe(response);
  });
  await new Promise((resolve) => server.listen(0, "127.0.0.1", resolve));
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), "marigold-chromium-"));
  const browser = await puppeteer.launch({
    executablePath: "/usr/bin/chromium",
    headless: true,
    args: ["--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
      "--disable-background-networking", "--disable-component-update", "--disable-sync",
      "--autoplay-policy=no-user-gesture-required", `--user-data-dir=${profile}`],
  });
  try {
    const page = await browser.newPage();
    page.on("console", (m) => console.error("page: " + m.text()));
    await page.goto(`http://127.0.0.1:${server.address().port}/`, { waitUntil: "load" });
    const rate = await page.evaluate(async () => {
      const context = new AudioContext();
      await context.resume();
      const music = Module.marigoldMusic;
      music.init(context);
      await music.ready;
      window.recording = { on: false, chunks: [] };
      const recorder = context.createScriptProcessor(4096, 2, 2);
      recorder.onaudioprocess = (e) => {
        if (!window.recording.on) return;
        const l = e.inputBuffer.getChannelData(0);
        const r = e.inputBuffer.getChannelData(1);
        const both = new Float32Array(l.length * 2);
        for (let i = 0; i < l.length; i++) {
          both[2 * i] = l[i];
          both[2 * i + 1] = r[i];
        }
        window.recording.chunks.push(both);
      };
      music.node.connect(recorder);
      recorder.connect(context.destination);
      window.context = context;
      return context.sampleRate;
    });
    console.log(`rate ${rate}`);
    for (const piece of pieces) {
      const bytes = Array.from(fs.readFileSync(piece));
      const data = await page.evaluate(async (bytes, seconds) => {
        const music = Module.marigoldMusic;
        window.recording.chunks = [];
        window.recording.on = true;
        music.start(new Uint8Array(bytes), false);
        await new Promise((r) => setTimeout(r, seconds * 1000));
        window.recording.on = false;
        music.stop();
        await music.queue;
        const all = window.recording.chunks;
        const length = all.reduce((n, c) => n + c.length, 0);
        const out = new Float32Array(length);
        let at = 0;
        for (const c of all) {
          out.set(c, at);
          at += c.length;
        }
        // Base64 of the bytes: the way out of the page.
        const u8 = new Uint8Array(out.buffer);
        let text = "";
        for (let i = 0; i < u8.length; i += 0x8000) text += String.fromCharCode.apply(null, u8.subarray(i, i + 0x8000));
        return btoa(text);
      }, bytes, Number(seconds));
      const name = path.basename(piece, path.extname(piece));
      fs.writeFileSync(path.join(outDir, name + ".raw"), Buffer.from(data, "base64"));
      console.log(`${name}: captured`);
    }
  } finally {
    await browser.close();
    server.close();
    fs.rmSync(profile, { recursive: true, force: true });
  }
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});
