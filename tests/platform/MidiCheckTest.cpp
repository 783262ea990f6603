// The structural check that stands between MIDI files and the synthesiser.
#include <gtest/gtest.h>

#include <random>

#include "platform/MidiCheck.h"
#include "tests/platform/AudioFiles.h"

namespace {

using namespace soundtest;
using platform::CheckMidi;

std::string Track(const std::string& events) {
  return Chunk("MTrk", events);
}

std::string Piece0(const std::string& events) {
  return Header(0, 1, 96) + Track(events);
}

TEST(MidiCheck, AcceptsAPlainOneNotePiece) {
  const auto r = CheckMidi(OneNotePiece());
  EXPECT_TRUE(r.ok) << r.reason;
  EXPECT_EQ(r.format, 0);
  EXPECT_EQ(r.tracks, 1);
  EXPECT_EQ(r.division, 96);
  EXPECT_EQ(r.notes, 1);
  EXPECT_EQ(r.lengthTicks, 96);
}

TEST(MidiCheck, AcceptsTheUsualVarietyOfAMultiTrackFile) {
  const std::string conductor = Bytes({0x00, 0xFF, 0x03, 0x04}) + "Song" +      // track name
                                Bytes({0x00, 0xFF, 0x58, 0x04, 4, 2, 24, 8}) +  // time signature
                                Bytes({0x00, 0xFF, 0x59, 0x02, 0, 0}) +         // key signature
                                Bytes({0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20}) + EndOfTrack(400);
  const std::string melody =
      Bytes({0x00, 0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7}) +  // GM reset
      Bytes({0x00, 0xB1, 0x07, 100}) +                           // volume
      Bytes({0x00, 0x91, 64, 90}) + Bytes({0x60, 67, 90}) +      // running status
      Bytes({0x60, 64, 0}) + Bytes({0x00, 67, 0}) +              // note-on velocity 0 = off
      VarLen(200) + Bytes({0xE1, 0x00, 0x40}) +                  // pitch bend
      Bytes({0x00, 0xD1, 0x20}) +                                // channel pressure
      EndOfTrack(1) + Bytes({0x12, 0x34});                       // stray bytes after the end
  const std::string file = Header(1, 2, 480) + Chunk("XFIH", "vendor data") + Track(conductor) +
                           Track(melody) + "trailing bytes past the last track";
  const auto r = CheckMidi(file);
  EXPECT_TRUE(r.ok) << r.reason;
  EXPECT_EQ(r.tracks, 2);
  EXPECT_EQ(r.notes, 2);
  EXPECT_EQ(r.lengthTicks, 400);  // the conductor track is the longer
}

TEST(MidiCheck, AcceptsASilentPieceThatTakesTime) {
  const auto r = CheckMidi(Piece0(EndOfTrack(960)));
  EXPECT_TRUE(r.ok) << r.reason;
  EXPECT_EQ(r.notes, 0);
}

TEST(MidiCheck, RefusesEmptyGarbageAndForeignFiles) {
  EXPECT_FALSE(CheckMidi("").ok);
  EXPECT_FALSE(CheckMidi("MThd").ok);
  EXPECT_FALSE(CheckMidi("This is not a MIDI file at all, just some text.").ok);
  EXPECT_FALSE(CheckMidi(ToneWav(440, 10)).ok);
  std::mt19937 random(7);
  for (int i = 0; i < 200; ++i) {
    std::string noise(std::size_t(random() % 300), '\0');
    for (char& c : noise) c = char(random());
    EXPECT_FALSE(CheckMidi(noise).ok);
    EXPECT_FALSE(CheckMidi("MThd" + noise).ok) << i;
  }
}

TEST(MidiCheck, RefusesEveryTruncationOfAValidFile) {
  const std::string file = OneNotePiece();
  ASSERT_TRUE(CheckMidi(file).ok);
  for (std::size_t n = 0; n < file.size(); ++n) {
    EXPECT_FALSE(CheckMidi(file.substr(0, n)).ok) << "cut at " << n;
  }
}

TEST(MidiCheck, RefusesBadHeaders) {
  const std::string track = Track(NoteTrack(96));
  struct Case {
    const char* what;
    std::string file;
  };
  const Case cases[] = {
      {"header length 7", "MThd" + Be32(7) + Be16(0) + Be16(1) + Be16(96) + "x" + track},
      {"header length 0x106", "MThd" + Be32(0x106) + Be16(0) + Be16(1) + Be16(96) + track},
      {"format 3", Header(3, 1, 96) + track},
      {"no tracks", Header(1, 0, 96) + track},
      {"129 tracks", Header(1, 129, 96) + track},
      {"format 0 with two", Header(0, 2, 96) + track + track},
      {"SMPTE", Header(0, 1, 0xE728) + track},
      {"zero division", Header(0, 1, 0) + track},
      {"fewer tracks than told", Header(1, 3, 96) + track + track},
  };
  for (const Case& c : cases) EXPECT_FALSE(CheckMidi(c.file).ok) << c.what;
  EXPECT_TRUE(CheckMidi(Header(2, 2, 96) + track + track).ok);
}

TEST(MidiCheck, RefusesChunksWhoseLengthDoesNotFit) {
  const std::string events = NoteTrack(96);
  // Longer than the file.
  EXPECT_FALSE(
      CheckMidi(Header(0, 1, 96) + "MTrk" + Be32(std::uint32_t(events.size() + 1)) + events).ok);
  EXPECT_FALSE(CheckMidi(Header(0, 1, 96) + "MTrk" + Be32(0xFFFFFFFF) + events).ok);
  // Shorter than its events, so the last event is cut off.
  EXPECT_FALSE(CheckMidi(Header(0, 1, 96) + "MTrk" + Be32(std::uint32_t(events.size() - 1)) +
                         events + "\x00")
                   .ok);
  // An unknown chunk that runs past the end, or with a name that is not text.
  EXPECT_FALSE(CheckMidi(Header(0, 1, 96) + "JUNK" + Be32(1000) + Track(events)).ok);
  EXPECT_FALSE(CheckMidi(Header(0, 1, 96) + Chunk("\x81\x82\x83\x84", "x") + Track(events)).ok);
}

TEST(MidiCheck, RefusesMalformedEvents) {
  struct Case {
    const char* what;
    std::string events;
  };
  const std::string note = Bytes({0x00, 0x90, 60, 100}) + Bytes({0x60, 0x80, 60, 0});
  const Case cases[] = {
      {"no end of track", note},
      {"end of track with data", note + Bytes({0x00, 0xFF, 0x2F, 0x01, 0x00})},
      {"running status at the start", Bytes({0x00, 60, 100}) + EndOfTrack(96)},
      {"running status after a meta event",
       Bytes({0x00, 0x90, 60, 100, 0x00, 0xFF, 0x01, 0x01, 'a', 0x60, 60, 0}) + EndOfTrack()},
      {"running status after sysex",
       Bytes({0x00, 0x90, 60, 100, 0x00, 0xF0, 0x01, 0xF7, 0x60, 60, 0}) + EndOfTrack()},
      {"five-byte delta", Bytes({0x81, 0x81, 0x81, 0x81, 0x01, 0x90, 60, 100}) + EndOfTrack(96)},
      {"escape sysex", note + Bytes({0x00, 0xF7, 0x01, 0x00}) + EndOfTrack()},
      {"system common", note + Bytes({0x00, 0xF3, 0x01}) + EndOfTrack()},
      {"status byte as data", Bytes({0x00, 0x90, 60, 0x90}) + EndOfTrack(96)},
      {"meta past the track", note + Bytes({0x00, 0xFF, 0x01, 0x7F, 'a'})},
      {"sysex past the track", note + Bytes({0x00, 0xF0, 0x40, 0x01})},
      {"huge meta length", note + Bytes({0x00, 0xFF, 0x01, 0x8F, 0xFF, 0xFF, 0x7F})},
      {"tempo of two bytes", Bytes({0x00, 0xFF, 0x51, 0x02, 0x07, 0xA1}) + note + EndOfTrack()},
      {"zero tempo", Bytes({0x00, 0xFF, 0x51, 0x03, 0, 0, 0}) + note + EndOfTrack()},
      {"short time signature", Bytes({0x00, 0xFF, 0x58, 0x03, 4, 2, 24}) + note + EndOfTrack()},
      {"long key signature", Bytes({0x00, 0xFF, 0x59, 0x03, 0, 0, 0}) + note + EndOfTrack()},
      {"short SMPTE offset", Bytes({0x00, 0xFF, 0x54, 0x04, 0, 0, 0, 0}) + note + EndOfTrack()},
      {"channel message cut by the end", Bytes({0x00, 0x90, 60})},
      {"lasts no time", Bytes({0x00, 0x90, 60, 100, 0x00, 0x80, 60, 0}) + EndOfTrack()},
  };
  for (const Case& c : cases) {
    const auto r = CheckMidi(Piece0(c.events));
    EXPECT_FALSE(r.ok) << c.what;
  }
  // The same structures done right pass, so the refusals above are about the fault.
  EXPECT_TRUE(CheckMidi(Piece0(note + EndOfTrack())).ok);
  EXPECT_TRUE(CheckMidi(Piece0(Bytes({0x00, 0x90, 60, 100, 0x60, 60, 0}) + EndOfTrack())).ok);
  EXPECT_TRUE(
      CheckMidi(Piece0(Bytes({0x00, 0xFF, 0x58, 0x04, 4, 2, 24, 8}) + note + EndOfTrack())).ok);
}

TEST(MidiCheck, NamesTheTrackAndFault) {
  const std::string file =
      Header(1, 2, 96) + Track(NoteTrack(96)) + Track(Bytes({0x00, 0x90, 60, 100}));
  const auto r = CheckMidi(file);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.reason, "track 2: no end of track");
}

TEST(MidiCheck, SurvivesRandomDamageToAValidFile) {
  // Run under the sanitizers this shows that no damage makes the check read
  // outside the bytes it was given.
  const std::string file = Header(1, 2, 96) + Track(NoteTrack(96)) + Track(NoteTrack(48, 64));
  std::mt19937 random(11);
  int accepted = 0;
  for (int i = 0; i < 5000; ++i) {
    std::string damaged = file;
    const int hits = 1 + int(random() % 4);
    for (int h = 0; h < hits; ++h) damaged[random() % damaged.size()] = char(random());
    const std::string copy(damaged);  // exact-size buffer
    accepted += CheckMidi(copy).ok ? 1 : 0;
  }
  EXPECT_GT(accepted, 0);     // damage to note numbers and velocities is harmless
  EXPECT_LT(accepted, 5000);  // most damage is caught
}

}  // namespace
