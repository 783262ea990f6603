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

// One pass of RunLoop without its wait: the pending messages, then, unless
// the machine's error box is open, the clock read once and every due task
// run. An error from a routine leaves the pass at once. Returns false once
// the application is terminating.
bool RunLoopPass();

// How long RunLoop waits for input after a pass: milliseconds until the next
// task is due (0: one is due now), -1 when no task is runnable.
int LoopWaitMs();

// For a host that calls one pass per frame itself instead of letting the
// program loop (the browser): the first call shows the main form; each call
// then does nothing while the machine's error box is open, else dispatches
// the pending messages, or, once the timer's loop has started, runs one
// RunLoopPass instead (an error from a routine ends that loop as it ends
// RunLoop, shown in the error box). Returns false once the application is
// terminating. Set TApplication::HostDrivesLoop before the timer is made.
bool RunHostFrame();
