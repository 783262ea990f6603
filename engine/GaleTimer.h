// Periodic tasks and the cooperative loop that runs them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class TGaleForm;
namespace platform {
class Platform;
}

struct TGaleThread {
  std::string Name;
  std::function<void()> Routine;
  std::int32_t Interval = 0;  // milliseconds; 0 or less never runs
  std::int32_t LastRun = 0;   // clock reading of the last run, or of the adding
};

// The unit's state: one task list per program.
extern std::vector<TGaleThread> Tasks;
extern bool TimerCreated;

class TGaleTimer {
 public:
  // The first instance clears the task list and has the form start the loop;
  // a second one is refused with the system beep and holds nothing.
  explicit TGaleTimer(TGaleForm& form);
  ~TGaleTimer();
  TGaleTimer(const TGaleTimer&) = delete;
  TGaleTimer& operator=(const TGaleTimer&) = delete;

  void AddTask(std::function<void()> routine, std::int32_t interval, const std::string& name);
  void ClearTasks();
  bool Accepted() const { return accepted_; }

 private:
  platform::Platform* platform_;  // the form's: its clock and its beep
  bool accepted_ = false;
};

// Processes pending messages, reads the clock once and runs every due task,
// pass after pass, until the application is terminating. A task is due when
// it has a routine, a positive interval and more than Interval ms have passed
// since LastRun (readings compared modulo 2^31, so the clock may wrap). When
// nothing is pending and nothing is due, it waits for input until the next
// task is due, never longer; with no runnable task, until input comes. An
// error from a routine leaves the loop at once (that task's LastRun is kept).
void RunLoop();
