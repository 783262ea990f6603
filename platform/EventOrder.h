// The order in which both machines hand out their events (Platform::PollEvent):
// private messages posted with PostUserMessage, oldest first; then the
// machine's own input; then, once both are empty, the quit request, delivered
// once however often it was posted.
#pragma once

#include <deque>

#include "platform/Platform.h"

namespace platform {

// The posted messages and the quit request of one machine, and the rule that
// puts its input between them.
class EventOrder {
 public:
  // Queues a private message (PostUserMessage).
  void Post(int message) { posted_.push_back(message); }

  // Asks for the quit event (PostQuit); asking again before it is taken adds nothing.
  void PostQuit() { quitPending_ = true; }

  // True when a posted message or the quit request is waiting.
  bool Pending() const { return !posted_.empty() || quitPending_; }

  // Takes the next event in order into `event`: a posted message, else what
  // `nextInput(event)` takes (it returns false when the machine has none),
  // else the quit request. False when there is nothing at all.
  template <typename NextInput>
  bool Take(Event& event, NextInput&& nextInput) {
    if (!posted_.empty()) {
      event = Event{};
      event.kind = Event::Kind::User;
      event.message = posted_.front();
      posted_.pop_front();
      return true;
    }
    if (nextInput(event)) return true;
    if (quitPending_) {
      quitPending_ = false;
      event = Event{};
      event.kind = Event::Kind::Quit;
      return true;
    }
    return false;
  }

 private:
  std::deque<int> posted_;
  bool quitPending_ = false;
};

}  // namespace platform
