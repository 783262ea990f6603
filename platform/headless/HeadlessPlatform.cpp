// The machine without a screen, for tests and tools.
// Implements: a virtual clock the caller sets, input queued or scheduled for
//   a virtual moment, and an ordered record of frames presented, beeps, error
//   boxes and audio calls (through RecordingAudio); a listening run may stop
//   keeping records so a long run stays flat in memory.
// Not here: a window or real output of any kind; nothing blocks or waits.
#include "platform/headless/HeadlessPlatform.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "platform/Files.h"

namespace platform {

HeadlessPlatform::HeadlessPlatform() {
  music_.onCall = [this](const AudioCall& call) {
    Record r;
    r.kind = Record::Kind::Music;
    r.call = call;
    Add(r);
  };
  sound_.onCall = [this](const AudioCall& call) {
    Record r;
    r.kind = Record::Kind::Sound;
    r.call = call;
    Add(r);
  };
}

void HeadlessPlatform::Add(Record record) {
  record.time = now_;
  if (record.kind == Record::Kind::Beep) ++beeps_;
  if (!keepRecords_) {
    if (onRecord) onRecord(record);
    return;
  }
  records_.push_back(record);
  if (onRecord) onRecord(records_.back());
}

void HeadlessPlatform::KeepRecords(bool keep) {
  keepRecords_ = keep;
  music_.keep = keep;
  sound_.keep = keep;
}

void HeadlessPlatform::Schedule(std::int64_t at, const Event& event) {
  auto pos = std::upper_bound(scheduled_.begin(), scheduled_.end(), at,
                              [](std::int64_t t, const Timed& e) { return t < e.at; });
  scheduled_.insert(pos, Timed{at, event});
}

void HeadlessPlatform::Release() {
  std::size_t n = 0;
  while (n < scheduled_.size() && scheduled_[n].at <= now_) {
    input_.push_back(scheduled_[n].event);
    ++n;
  }
  scheduled_.erase(scheduled_.begin(), scheduled_.begin() + static_cast<std::ptrdiff_t>(n));
}

bool HeadlessPlatform::HasPending() const {
  return order_.Pending() || !input_.empty() ||
         (!scheduled_.empty() && scheduled_.front().at <= now_);
}

void HeadlessPlatform::SetScreenSize(int width, int height) {
  screenWidth_ = width;
  screenHeight_ = height;
}

void HeadlessPlatform::SetBorders(int left, int top, int right, int bottom) {
  borderLeft_ = left;
  borderTop_ = top;
  borderRight_ = right;
  borderBottom_ = bottom;
}

int HeadlessPlatform::BeepCount() const {
  return beeps_;
}

std::vector<HeadlessPlatform::Record> HeadlessPlatform::ErrorBoxes() const {
  std::vector<Record> boxes;
  for (const Record& r : records_) {
    if (r.kind == Record::Kind::ErrorBox) boxes.push_back(r);
  }
  return boxes;
}

void HeadlessPlatform::AddFile(const std::string& gameName, std::string bytes) {
  files_[gameName] = std::move(bytes);
}

bool HeadlessPlatform::ReadFile(const std::string& gameName, std::string& bytes) {
  auto it = files_.find(gameName);
  if (it != files_.end()) {
    bytes = it->second;
    return true;
  }
  return ReadGameFile(dataFolder_, gameName, bytes);
}

std::int32_t HeadlessPlatform::Milliseconds() {
  ++clockReads_;
  return static_cast<std::int32_t>(static_cast<std::uint64_t>(now_) & 0x7FFFFFFFu);
}

void HeadlessPlatform::CreateWindow(const std::string& caption, int clientWidth, int clientHeight) {
  if (created_) return;
  created_ = true;
  caption_ = caption;
  clientWidth_ = std::max(clientWidth, 0);
  clientHeight_ = std::max(clientHeight, 0);
}

void HeadlessPlatform::SetCaption(const std::string& caption) {
  if (created_) caption_ = caption;
}

void HeadlessPlatform::OuterSize(int& width, int& height) {
  width = clientWidth_ + borderLeft_ + borderRight_;
  height = clientHeight_ + borderTop_ + borderBottom_;
}

void HeadlessPlatform::ScreenSize(int& width, int& height) {
  width = screenWidth_;
  height = screenHeight_;
}

void HeadlessPlatform::MoveWindow(int left, int top) {
  left_ = left;
  top_ = top;
}

void HeadlessPlatform::ShowWindow() {
  if (created_) shown_ = true;
}

void HeadlessPlatform::Present(const std::uint8_t* pixels, int width, int height, int stride) {
  int w = std::min(width, clientWidth_);
  int h = std::min(height, clientHeight_);
  if (!pixels || w <= 0 || h <= 0) return;
  lastFrame_.assign(static_cast<std::size_t>(w) * h * 3, 0);
  for (int y = 0; y < h; ++y) {
    std::memcpy(&lastFrame_[static_cast<std::size_t>(y) * w * 3],
                pixels + static_cast<std::ptrdiff_t>(y) * stride, static_cast<std::size_t>(w) * 3);
  }
  lastWidth_ = w;
  lastHeight_ = h;
  Record r;
  r.kind = Record::Kind::Present;
  r.presentIndex = ++presentCount_;
  Add(r);
}

void HeadlessPlatform::PostUserMessage(int message) {
  order_.Post(message);
}

bool HeadlessPlatform::PollEvent(Event& event) {
  return order_.Take(event, [this](Event& input) {
    Release();
    if (input_.empty()) return false;
    input = input_.front();
    input_.pop_front();
    return true;
  });
}

void HeadlessPlatform::WaitEvent(int timeoutMs) {
  ++waitCalls_;
  if (HasPending() || timeoutMs == 0) return;
  bool scheduled = !scheduled_.empty();
  if (timeoutMs < 0 && !scheduled) {
    ++blockedForever_;
    if (onBlockForever) {
      onBlockForever();
    } else {
      now_ += kForeverStepMs;
    }
    return;
  }
  std::int64_t until = timeoutMs < 0 ? LLONG_MAX : now_ + timeoutMs;
  if (scheduled) until = std::min(until, scheduled_.front().at);
  now_ = std::max(now_, until);
}

void HeadlessPlatform::Beep() {
  Record r;
  r.kind = Record::Kind::Beep;
  Add(r);
}

void HeadlessPlatform::ErrorBox(const std::string& title, const std::string& text,
                                const std::string& where) {
  Record r;
  r.kind = Record::Kind::ErrorBox;
  r.title = title;
  r.text = text;
  r.where = where;
  Add(r);
}

}  // namespace platform
