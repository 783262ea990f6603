#include "platform/MidiCheck.h"

#include <cstddef>
#include <utility>

namespace platform {
namespace {

constexpr int kMaxTracks = 128;                 // FluidSynth's player holds no more
constexpr std::int64_t kMaxTicks = 0x3FFFFFFF;  // its tick counters are plain ints

std::uint32_t Be32(std::string_view b, std::size_t at) {
  return (std::uint32_t(std::uint8_t(b[at])) << 24) |
         (std::uint32_t(std::uint8_t(b[at + 1])) << 16) |
         (std::uint32_t(std::uint8_t(b[at + 2])) << 8) | std::uint32_t(std::uint8_t(b[at + 3]));
}

std::uint16_t Be16(std::string_view b, std::size_t at) {
  return std::uint16_t((std::uint8_t(b[at]) << 8) | std::uint8_t(b[at + 1]));
}

// Reads the events of one track chunk's body.
class TrackReader {
 public:
  explicit TrackReader(std::string_view body) : body_(body) {}

  // Returns an empty string when the track is sound; counts notes and ticks.
  std::string Check(int& notes, std::int64_t& ticks) {
    int running = 0;  // the last channel status, 0 when none may be used
    ticks = 0;
    while (pos_ < body_.size()) {
      std::uint32_t delta = 0;
      if (!ReadVarLen(delta)) return "bad delta time";
      ticks += delta;
      if (ticks > kMaxTicks) return "track too long";
      if (pos_ >= body_.size()) return "event cut off";
      int status = std::uint8_t(body_[pos_]);
      if (status < 0x80) {
        if (running == 0) return "data byte without running status";
        status = running;  // the byte is the first data byte
      } else {
        ++pos_;
      }
      if (status < 0xF0) {
        running = status;
        const int kind = status & 0xF0;
        const std::size_t size = (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
        if (body_.size() - pos_ < size) return "channel message cut off";
        for (std::size_t i = 0; i < size; ++i) {
          if (std::uint8_t(body_[pos_ + i]) >= 0x80) return "status byte inside a channel message";
        }
        if (kind == 0x90 && body_[pos_ + 1] != 0) ++notes;
        pos_ += size;
        continue;
      }
      running = 0;  // sysex and meta events cancel running status
      if (status == 0xF0) {
        std::uint32_t length = 0;
        if (!ReadVarLen(length)) return "bad sysex length";
        if (length > body_.size() - pos_) return "sysex runs past the track";
        pos_ += length;
        continue;
      }
      if (status != 0xFF) return "system message not allowed in a file";  // includes 0xF7
      if (pos_ >= body_.size()) return "meta event cut off";
      const int type = std::uint8_t(body_[pos_++]);
      std::uint32_t length = 0;
      if (!ReadVarLen(length)) return "bad meta length";
      if (length > body_.size() - pos_) return "meta event runs past the track";
      const std::size_t data = pos_;
      pos_ += length;
      switch (type) {
        case 0x2F:
          if (length != 0) return "bad end-of-track length";
          return "";  // whatever follows inside the chunk is never read
        case 0x51:
          if (length != 3) return "bad tempo length";
          if (body_[data] == 0 && body_[data + 1] == 0 && body_[data + 2] == 0) return "zero tempo";
          break;
        case 0x54:
          if (length != 5) return "bad SMPTE offset length";
          break;
        case 0x58:
          if (length != 4) return "bad time signature length";
          break;
        case 0x59:
          if (length != 2) return "bad key signature length";
          break;
        default:
          break;
      }
    }
    return "no end of track";
  }

 private:
  bool ReadVarLen(std::uint32_t& value) {
    value = 0;
    for (int i = 0; i < 4; ++i) {
      if (pos_ >= body_.size()) return false;
      const std::uint8_t c = std::uint8_t(body_[pos_++]);
      value = (value << 7) | (c & 0x7Fu);
      if ((c & 0x80) == 0) return true;
    }
    return false;  // more than four bytes
  }

  std::string_view body_;
  std::size_t pos_ = 0;
};

bool PlainName(std::string_view b, std::size_t at) {
  for (std::size_t i = 0; i < 4; ++i) {
    const std::uint8_t c = std::uint8_t(b[at + i]);
    if (c < 0x20 || c > 0x7E) return false;
  }
  return true;
}

MidiCheckResult Refuse(MidiCheckResult result, std::string reason) {
  result.ok = false;
  result.reason = std::move(reason);
  return result;
}

}  // namespace

MidiCheckResult CheckMidi(std::string_view bytes) {
  MidiCheckResult result;
  if (bytes.size() < 14) return Refuse(result, "too short for a header");
  if (bytes.substr(0, 4) != "MThd") return Refuse(result, "no MThd header");
  if (Be32(bytes, 4) != 6) return Refuse(result, "bad header length");
  const std::uint16_t format = Be16(bytes, 8);
  const std::uint16_t tracks = Be16(bytes, 10);
  const std::uint16_t division = Be16(bytes, 12);
  result.format = format;
  result.tracks = tracks;
  result.division = division & 0x7FFF;
  if (format > 2) return Refuse(result, "unknown format");
  if (tracks == 0) return Refuse(result, "no tracks");
  if (tracks > kMaxTracks) return Refuse(result, "too many tracks");
  if (format == 0 && tracks != 1) return Refuse(result, "format 0 with several tracks");
  if (division & 0x8000) return Refuse(result, "SMPTE timing");
  if (division == 0) return Refuse(result, "zero division");

  std::size_t pos = 14;
  int found = 0;
  while (found < tracks) {
    if (bytes.size() - pos < 8) return Refuse(result, "missing track chunk");
    if (!PlainName(bytes, pos)) return Refuse(result, "bad chunk name");
    const std::uint32_t length = Be32(bytes, pos + 4);
    if (length > bytes.size() - pos - 8) return Refuse(result, "chunk runs past the file");
    const std::string_view body = bytes.substr(pos + 8, length);
    const bool isTrack = bytes.substr(pos, 4) == "MTrk";
    pos += 8 + std::size_t(length);
    if (!isTrack) continue;  // chunks of other kinds are skipped
    std::int64_t ticks = 0;
    const std::string why = TrackReader(body).Check(result.notes, ticks);
    if (!why.empty()) {
      return Refuse(result, "track " + std::to_string(found + 1) + ": " + why);
    }
    if (ticks > result.lengthTicks) result.lengthTicks = ticks;
    ++found;
  }
  if (result.lengthTicks == 0) return Refuse(result, "the piece lasts no time");
  result.ok = true;
  return result;
}

}  // namespace platform
