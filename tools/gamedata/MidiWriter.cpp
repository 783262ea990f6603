#include "tools/gamedata/MidiWriter.h"

#include <algorithm>
#include <sstream>
#include <stdexcept>

namespace mkdata {
namespace {

void PutVarLen(std::vector<std::uint8_t>& out, std::uint32_t value) {
  std::uint8_t groups[5];
  int n = 0;
  do {
    groups[n++] = static_cast<std::uint8_t>(value & 0x7F);
    value >>= 7;
  } while (value != 0);
  while (n > 1) out.push_back(static_cast<std::uint8_t>(groups[--n] | 0x80));
  out.push_back(groups[0]);
}

void PutBe32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

void PutBe16(std::vector<std::uint8_t>& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v >> 8));
  out.push_back(static_cast<std::uint8_t>(v));
}

std::uint8_t Data7(int v, const char* what) {
  if (v < 0 || v > 127) throw std::invalid_argument(std::string("MIDI ") + what + " out of range");
  return static_cast<std::uint8_t>(v);
}

std::uint8_t Status(int kind, int channel) {
  if (channel < 0 || channel > 15) throw std::invalid_argument("MIDI channel out of range");
  return static_cast<std::uint8_t>(kind | channel);
}

}  // namespace

void MidiTrack::Add(std::uint32_t tick, int order, std::vector<std::uint8_t> bytes) {
  events_.push_back(
      Event{tick, order, static_cast<std::uint32_t>(events_.size()), std::move(bytes)});
  last_ = std::max(last_, tick);
}

void MidiTrack::Program(int channel, std::uint32_t tick, int program) {
  Add(tick, 1, {Status(0xC0, channel), Data7(program, "program")});
}

void MidiTrack::Controller(int channel, std::uint32_t tick, int controller, int value) {
  Add(tick, 1, {Status(0xB0, channel), Data7(controller, "controller"), Data7(value, "value")});
}

void MidiTrack::Note(int channel, std::uint32_t tick, std::uint32_t length, int key, int velocity) {
  if (length == 0) throw std::invalid_argument("MIDI note without length");
  if (velocity < 1) throw std::invalid_argument("MIDI note velocity must be at least 1");
  Add(tick, 3, {Status(0x90, channel), Data7(key, "key"), Data7(velocity, "velocity")});
  Add(tick + length, 2, {Status(0x80, channel), Data7(key, "key"), 64});
}

void MidiTrack::Tempo(std::uint32_t tick, int beatsPerMinute) {
  if (beatsPerMinute <= 0) throw std::invalid_argument("MIDI tempo must be positive");
  const std::uint32_t micros = 60000000u / static_cast<std::uint32_t>(beatsPerMinute);
  Add(tick, 0,
      {0xFF, 0x51, 0x03, static_cast<std::uint8_t>(micros >> 16),
       static_cast<std::uint8_t>(micros >> 8), static_cast<std::uint8_t>(micros)});
}

void MidiTrack::TimeSignature(std::uint32_t tick, int numerator, int denominatorPower) {
  Add(tick, 0,
      {0xFF, 0x58, 0x04, Data7(numerator, "metre"), Data7(denominatorPower, "metre"), 24, 8});
}

std::vector<std::uint8_t> MidiTrack::Encode(std::uint32_t endTick) const {
  if (endTick < last_) throw std::logic_error("MIDI track '" + name_ + "' runs past its end");
  std::vector<Event> sorted = events_;
  std::sort(sorted.begin(), sorted.end(), [](const Event& a, const Event& b) {
    if (a.tick != b.tick) return a.tick < b.tick;
    if (a.order != b.order) return a.order < b.order;
    return a.sequence < b.sequence;
  });
  std::vector<std::uint8_t> body;
  // Track name first, at tick 0.
  body.push_back(0);
  body.push_back(0xFF);
  body.push_back(0x03);
  PutVarLen(body, static_cast<std::uint32_t>(name_.size()));
  body.insert(body.end(), name_.begin(), name_.end());
  std::uint32_t now = 0;
  for (const Event& e : sorted) {
    PutVarLen(body, e.tick - now);
    now = e.tick;
    body.insert(body.end(), e.bytes.begin(), e.bytes.end());
  }
  PutVarLen(body, endTick - now);
  body.push_back(0xFF);
  body.push_back(0x2F);
  body.push_back(0x00);

  std::vector<std::uint8_t> chunk{'M', 'T', 'r', 'k'};
  PutBe32(chunk, static_cast<std::uint32_t>(body.size()));
  chunk.insert(chunk.end(), body.begin(), body.end());
  return chunk;
}

MidiSong::MidiSong(int ticksPerQuarter, int beatsPerMinute, int beatsPerBar)
    : division_(ticksPerQuarter), beatsPerBar_(beatsPerBar) {
  if (ticksPerQuarter <= 0 || ticksPerQuarter > 0x7FFF) {
    throw std::invalid_argument("MIDI division out of range");
  }
  tracks_.emplace_back("conductor");
  tracks_.front().Tempo(0, beatsPerMinute);
  tracks_.front().TimeSignature(0, beatsPerBar, 2);
}

MidiTrack& MidiSong::AddTrack(const std::string& name) {
  tracks_.emplace_back(name);
  return tracks_.back();
}

std::vector<std::uint8_t> MidiSong::Encode(std::uint32_t lengthTicks) const {
  std::vector<std::uint8_t> out{'M', 'T', 'h', 'd'};
  PutBe32(out, 6);
  PutBe16(out, 1);  // format 1
  PutBe16(out, static_cast<std::uint32_t>(tracks_.size()));
  PutBe16(out, static_cast<std::uint32_t>(division_));
  for (const MidiTrack& track : tracks_) {
    std::vector<std::uint8_t> chunk = track.Encode(lengthTicks);
    out.insert(out.end(), chunk.begin(), chunk.end());
  }
  return out;
}

int KeyOf(const std::string& pitch) {
  static const int kSteps[7] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
  if (pitch.size() < 2 || pitch[0] < 'A' || pitch[0] > 'G') {
    throw std::invalid_argument("bad pitch '" + pitch + "'");
  }
  int key = kSteps[pitch[0] - 'A'];
  std::size_t pos = 1;
  if (pitch[pos] == '#') {
    ++key;
    ++pos;
  } else if (pitch[pos] == 'b') {
    --key;
    ++pos;
  }
  if (pos + 1 != pitch.size() || pitch[pos] < '0' || pitch[pos] > '8') {
    throw std::invalid_argument("bad pitch '" + pitch + "'");
  }
  key += (pitch[pos] - '0' + 1) * 12;
  if (key < 0 || key > 127) throw std::invalid_argument("pitch out of range '" + pitch + "'");
  return key;
}

std::uint32_t WriteLine(MidiTrack& track, int channel, std::uint32_t tick, std::uint32_t unit,
                        const std::string& line, int velocity) {
  std::istringstream in(line);
  std::string token;
  while (in >> token) {
    const std::size_t slash = token.find('/');
    if (slash == std::string::npos || slash + 1 >= token.size()) {
      throw std::invalid_argument("bad note token '" + token + "'");
    }
    const std::string pitch = token.substr(0, slash);
    std::uint32_t units = 0;
    for (std::size_t i = slash + 1; i < token.size(); ++i) {
      if (token[i] < '0' || token[i] > '9') {
        throw std::invalid_argument("bad note length '" + token + "'");
      }
      units = units * 10 + static_cast<std::uint32_t>(token[i] - '0');
    }
    if (units == 0) throw std::invalid_argument("note without length '" + token + "'");
    const std::uint32_t length = units * unit;
    if (pitch != "r") {
      // Slightly detached, so repeated notes speak.
      const std::uint32_t sounding = length > unit / 4 ? length - unit / 8 : length;
      track.Note(channel, tick, sounding, KeyOf(pitch), velocity);
    }
    tick += length;
  }
  return tick;
}

}  // namespace mkdata
