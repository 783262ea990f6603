/* The desktop's music, rendered offline: a MIDI piece through FluidSynth set
   up as platform/sdl/SdlMusic.cpp sets it up (gain 0.5, 48 voices, reverb
   and chorus on, linear interpolation, the player timed by the samples),
   SECONDS seconds of it as 32-bit float stereo, interleaved, to OUT.
   usage: music-render SOUNDFONT PIECE RATE SECONDS OUT */
#include <fluidsynth.h>
#include <stdio.h>
#include <stdlib.h>

static int Event(void* synth, fluid_midi_event_t* event) {
  fluid_synth_t* to = synth;
  int type = fluid_midi_event_get_type(event);
  if (type >= 0x80 && type < 0xF0) {
    fluid_synth_set_interp_method(to, fluid_midi_event_get_channel(event), FLUID_INTERP_LINEAR);
  }
  return fluid_synth_handle_midi_event(to, event);
}

int main(int argc, char** argv) {
  if (argc != 6) {
    fprintf(stderr, "usage: music-render SOUNDFONT PIECE RATE SECONDS OUT\n");
    return 2;
  }
  for (int level = 0; level < LAST_LOG_LEVEL; ++level) fluid_set_log_function(level, NULL, NULL);
  const int rate = atoi(argv[3]);
  fluid_settings_t* settings = new_fluid_settings();
  fluid_settings_setnum(settings, "synth.sample-rate", rate);
  fluid_settings_setnum(settings, "synth.gain", 0.5);
  fluid_settings_setint(settings, "synth.polyphony", 48);
  fluid_settings_setint(settings, "synth.reverb.active", 1);
  fluid_settings_setint(settings, "synth.chorus.active", 1);
  fluid_settings_setstr(settings, "player.timing-source", "sample");
  fluid_settings_setint(settings, "player.reset-synth", 1);
  fluid_synth_t* synth = new_fluid_synth(settings);
  if (fluid_synth_sfload(synth, argv[1], 1) < 0) return 1;
  fluid_player_t* player = new_fluid_player(synth);
  fluid_player_set_playback_callback(player, Event, synth);
  if (fluid_player_add(player, argv[2]) != FLUID_OK) return 1;
  fluid_player_play(player);
  FILE* out = fopen(argv[5], "wb");
  if (!out) return 1;
  const long frames = (long)rate * atoi(argv[4]);
  float block[2 * 512];
  for (long done = 0; done < frames; done += 512) {
    fluid_synth_write_float(synth, 512, block, 0, 2, block, 1, 2);
    fwrite(block, sizeof(float), 2 * 512, out);
  }
  fclose(out);
  return 0;
}
