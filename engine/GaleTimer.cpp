#include "engine/GaleTimer.h"

#include <algorithm>
#include <climits>

#include "engine/GaleForm.h"

std::vector<TGaleThread> Tasks;
bool TimerCreated = false;

namespace {

// Milliseconds from `since` to `now`, both readings of the 31-bit clock.
std::int64_t Elapsed(std::int32_t now, std::int32_t since) {
  return static_cast<std::int64_t>(
      (static_cast<std::uint32_t>(now) - static_cast<std::uint32_t>(since)) & 0x7FFFFFFFu);
}

bool Runnable(const TGaleThread& task) {
  return task.Routine && task.Interval > 0;
}

bool Due(const TGaleThread& task, std::int32_t now) {
  return Runnable(task) && Elapsed(now, task.LastRun) > task.Interval;
}

// The host-driven loop: whether the timer's loop has started (and not ended
// with an error).
bool hostLoopRunning = false;

}  // namespace

TGaleTimer::TGaleTimer(TGaleForm& form) : platform_(&form.Owner().Platform()) {
  if (TimerCreated) {
    platform_->Beep();
    return;
  }
  accepted_ = true;
  TimerCreated = true;
  ClearTasks();
  if (form.Owner().HostDrivesLoop) {
    // The host runs the passes; the message only marks the loop started.
    hostLoopRunning = false;
    form.StartLoop([] { hostLoopRunning = true; });
  } else {
    form.StartLoop(RunLoop);
  }
  // The clock already steps by 1 ms; there is no resolution to raise.
}

TGaleTimer::~TGaleTimer() {
  if (accepted_) TimerCreated = false;
}

void TGaleTimer::AddTask(std::function<void()> routine, std::int32_t interval,
                         const std::string& name) {
  TGaleThread task;
  task.Name = name;
  task.Routine = std::move(routine);
  task.Interval = interval;
  task.LastRun = platform_->Milliseconds();
  Tasks.push_back(std::move(task));
}

void TGaleTimer::ClearTasks() {
  Tasks.clear();
}

bool RunLoopPass() {
  TApplication& app = *Application;
  platform::Platform& p = app.Platform();
  app.ProcessMessages();
  // A box that does not hold the pass up holds the tasks up instead.
  if (p.ErrorBoxOpen()) return !app.Terminated();
  const std::int32_t now = p.Milliseconds();
  const std::size_t count = Tasks.size();
  for (std::size_t i = 0; i < count && i < Tasks.size(); ++i) {
    if (!Due(Tasks[i], now)) continue;
    // A copy: the routine may add tasks, which may move the list.
    std::function<void()> routine = Tasks[i].Routine;
    routine();
    if (i < Tasks.size()) Tasks[i].LastRun = now;
  }
  return !app.Terminated();
}

int LoopWaitMs() {
  const std::int32_t later = Application->Platform().Milliseconds();
  std::int64_t wait = -1;
  for (const TGaleThread& task : Tasks) {
    if (!Runnable(task)) continue;
    std::int64_t left =
        std::max<std::int64_t>(0, std::int64_t{task.Interval} + 1 - Elapsed(later, task.LastRun));
    if (wait < 0 || left < wait) wait = left;
  }
  return static_cast<int>(std::min<std::int64_t>(wait, INT_MAX));
}

void RunLoop() {
  platform::Platform& p = Application->Platform();
  while (RunLoopPass()) {
    // Wait for input until the next task is due instead of spinning.
    const int wait = LoopWaitMs();
    if (wait != 0) p.WaitEvent(wait);
  }
}

bool RunHostFrame() {
  TApplication& app = *Application;
  platform::Platform& p = app.Platform();
  if (app.MainForm && !p.WindowShown()) p.ShowWindow();
  if (app.Terminated()) return false;
  if (p.ErrorBoxOpen()) return true;
  if (!hostLoopRunning) {
    app.ProcessMessages();
    return !app.Terminated();
  }
  try {
    return RunLoopPass();
  } catch (const std::exception& error) {
    // As an error leaves RunLoop: to the guard of the message that started it.
    hostLoopRunning = false;
    app.ShowException(error);
    return !app.Terminated();
  }
}
