// A machine without a screen, for tests and tools: a virtual clock the caller
// sets, input the caller queues or schedules for a virtual moment, data files
// served from memory or from a folder the caller names, and an ordered record
// of everything the program shows and plays. Nothing blocks.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/EventOrder.h"
#include "platform/Platform.h"
#include "platform/TextRaster.h"
#include "platform/headless/RecordingAudio.h"

namespace platform {

class HeadlessPlatform : public Platform {
 public:
  // One thing the program showed or played, in the order it happened.
  struct Record {
    enum class Kind { Present, Beep, ErrorBox, Music, Sound };
    Kind kind = Kind::Present;
    std::int64_t time = 0;  // the virtual clock at the moment
    int presentIndex = 0;   // Present: 1 for the first picture
    std::string title;      // ErrorBox
    std::string text;       // ErrorBox
    std::string where;      // ErrorBox: the place of a story error, or empty
    AudioCall call;         // Music, Sound
  };

  HeadlessPlatform();

  // The virtual clock, in milliseconds. Milliseconds() reports it modulo 2^31.
  void SetTime(std::int64_t ms) { now_ = ms; }
  void Advance(std::int64_t ms) { now_ += ms; }
  std::int64_t Now() const { return now_; }

  // The wall clock the random seed reads (0 unless set).
  void SetWallClock(std::uint32_t msSinceMidnight) { wallClock_ = msSinceMidnight; }

  // Data files. ReadFile serves a file added here (by its exact game name)
  // first, then looks the name up below the data folder, which is the
  // working folder unless set.
  void AddFile(const std::string& gameName, std::string bytes);
  void SetDataFolder(std::string folder) { dataFolder_ = std::move(folder); }
  const std::string& DataFolder() const { return dataFolder_; }

  // Input: Push makes an event pending at once; Schedule makes it pending once
  // the clock has reached `at` (events for the same moment keep their order).
  void Push(const Event& event) { input_.push_back(event); }
  void Schedule(std::int64_t at, const Event& event);
  bool HasPending() const;

  // The screen and the window frame (border widths around the client area).
  void SetScreenSize(int width, int height);
  void SetBorders(int left, int top, int right, int bottom);

  // WaitEvent with nothing pending moves the clock on to the earlier of
  // now + timeout and the next scheduled event. A wait without limit and with
  // nothing scheduled would block the program for ever: it is counted in
  // BlockedForever(), then the idle handler runs if one is set (it may push
  // input, schedule some or post quit), otherwise the clock moves on by
  // kForeverStepMs and WaitEvent returns with nothing pending.
  static constexpr std::int64_t kForeverStepMs = 60000;
  std::function<void()> onBlockForever;
  int WaitCalls() const { return waitCalls_; }
  int BlockedForever() const { return blockedForever_; }
  int ClockReads() const { return clockReads_; }

  // The record, with a listener called after each entry, if set. A long run
  // that only listens can stop keeping entries (and audio calls), so memory
  // stays flat; the counts and the last frame are kept either way.
  const std::vector<Record>& Records() const { return records_; }
  std::function<void(const Record&)> onRecord;
  void KeepRecords(bool keep);
  int PresentCount() const { return presentCount_; }
  int BeepCount() const;
  std::vector<Record> ErrorBoxes() const;
  // The last picture, packed (width * 3 bytes a row), blue-green-red.
  const std::vector<std::uint8_t>& LastFrame() const { return lastFrame_; }
  int LastFrameWidth() const { return lastWidth_; }
  int LastFrameHeight() const { return lastHeight_; }

  // The window.
  const std::string& Caption() const { return caption_; }
  int ClientWidth() const { return clientWidth_; }
  int ClientHeight() const { return clientHeight_; }
  int Left() const { return left_; }
  int Top() const { return top_; }

  RecordingMusicOut& RecordedMusic() { return music_; }
  RecordingSoundOut& RecordedSound() { return sound_; }

  // Platform
  std::int32_t Milliseconds() override;
  std::uint32_t MillisecondsSinceMidnightUtc() override { return wallClock_; }
  bool ReadFile(const std::string& gameName, std::string& bytes) override;
  TextRaster& Text() override { return text_; }
  void CreateWindow(const std::string& caption, int clientWidth, int clientHeight) override;
  void SetCaption(const std::string& caption) override;
  bool WindowCreated() const override { return created_; }
  void OuterSize(int& width, int& height) override;
  void ScreenSize(int& width, int& height) override;
  void MoveWindow(int left, int top) override;
  void ShowWindow() override;
  bool WindowShown() const override { return shown_; }
  void Present(const std::uint8_t* pixels, int width, int height, int stride) override;
  void PostUserMessage(int message) override;
  void PostQuit() override { order_.PostQuit(); }
  bool PollEvent(Event& event) override;
  void WaitEvent(int timeoutMs) override;
  void Beep() override;
  void ErrorBox(const std::string& title, const std::string& text,
                const std::string& where) override;
  MusicOut& Music() override { return music_; }
  SoundOut& Sound() override { return sound_; }

 private:
  struct Timed {
    std::int64_t at;
    Event event;
  };
  void Add(Record record);
  void Release();  // moves scheduled events that are due into the input queue

  std::int64_t now_ = 0;
  std::uint32_t wallClock_ = 0;
  std::map<std::string, std::string> files_;
  std::string dataFolder_ = ".";
  TextRaster text_;
  EventOrder order_;
  std::deque<Event> input_;
  std::vector<Timed> scheduled_;  // sorted by time, stable
  int waitCalls_ = 0;
  int blockedForever_ = 0;
  int clockReads_ = 0;

  std::vector<Record> records_;
  bool keepRecords_ = true;
  int presentCount_ = 0;
  int beeps_ = 0;
  std::vector<std::uint8_t> lastFrame_;
  int lastWidth_ = 0;
  int lastHeight_ = 0;

  bool created_ = false;
  bool shown_ = false;
  std::string caption_;
  int clientWidth_ = 0;
  int clientHeight_ = 0;
  int left_ = 0;
  int top_ = 0;
  int screenWidth_ = 1920;
  int screenHeight_ = 1080;
  int borderLeft_ = 0;
  int borderTop_ = 0;
  int borderRight_ = 0;
  int borderBottom_ = 0;

  RecordingMusicOut music_;
  RecordingSoundOut sound_;
};

}  // namespace platform
