// The game's update: everything that moves the game state. Drawing is
// UnitBmp's; this file only calls ComposeFrame from the tick.
//
// This file, section by section:
//   1. Command handlers     the table pairing each story command with its handler
//   2. Bootstrap, shutdown  InitGame, ReloadStory, the surfaces
//   3. Title screen         its background, the title music, the clock's digits
//   4. Tick, input, flow    GameTick, clicks, the held button, title to story
//   5. Story scene          a passage's lines, overlays
//   6. Buttons              adding, hovering, choosing
//   7. Heat                 a click into the gauge
//   8. Sayings              the scroller's typing step and its row breaks
//   9. Script commands      the handlers of the story commands
#include "game/UnitCommon.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>
#include <utility>

#include "engine/GaleForm.h"
#include "engine/GaleTimer.h"
#include "game/BaseFiles.h"
#include "game/UnitBmp.h"
#include "gfx/Painter.h"
#include "platform/Platform.h"
#include "script/GaleUtility.h"
#include "sound/GaleMidi.h"
#include "sound/GaleWave.h"

namespace {

using story::kHeatCeiling;

// The game's path of a file below the data folder.
std::string DataPath(std::string_view name) {
  return "dat\\" + std::string(name);
}

// Piece k of a text: its bytes 2k and 2k + 1 (0-based), shorter near the end.
std::string Piece(const std::string& text, std::int64_t k) {
  const std::int64_t at = 2 * k;
  if (at >= static_cast<std::int64_t>(text.size())) return {};
  return text.substr(static_cast<std::size_t>(at), 2);
}

// Stops what the story shows and goes on from one of the labels the game
// jumps to by itself.
void JumpAndAdvance(std::string_view label) {
  ClearButtons();
  if (Game.StoryScript) Game.StoryScript->JumpToLabel(std::string(label));
  Game.MouseHeld = false;
  AdvanceStory();
}

// #midi, #wave and #waveByLoop: the named file of the data folder on a
// player, repeating or once, or the player stopped when no file is named.
template <typename Player>
void PlayOrStop(Player* player, const TWordList& args, int loop) {
  if (player == nullptr) return;
  if (args.size() >= 2) {
    player->Play(DataPath(args[1]), static_cast<std::uint8_t>(loop));
  } else {
    player->Stop();
  }
}

// The game's handler of each story command, in the table's order.
constexpr std::array<std::pair<story::Id, TCommandHandler>, story::kCommandCount> kHandlers{{
    {story::Id::Midi, [](const TWordList& args) { PlayOrStop(Game.MusicPlayer.get(), args, 1); }},
    {story::Id::Wave, [](const TWordList& args) { PlayOrStop(Game.SoundPlayer.get(), args, 0); }},
    {story::Id::WaveByLoop,
     [](const TWordList& args) { PlayOrStop(Game.SoundPlayer.get(), args, 1); }},
    {story::Id::Image, CmdImage},
    {story::Id::Font, CmdFont},
    {story::Id::Button, CmdButton},
    {story::Id::HeatyJump, CmdHeatyJump},
    {story::Id::ImageSub, CmdImageSub},
    {story::Id::HeatUp, CmdHeatUp},
    {story::Id::HeatSpark, CmdHeatSpark},
    {story::Id::VanishButton, CmdVanishButton},
    {story::Id::Finalize, CmdFinalize},
    {story::Id::Saying, CmdSaying},
    {story::Id::StopTimer, CmdStopTimer},
}};

// A missing row leaves a value-initialised pair behind, whose id is out of
// order. (Handlers are not compared with null here: under the sanitizers GCC
// cannot fold that comparison in a constant expression.)
constexpr bool HandlersPaired() {
  for (std::size_t i = 0; i < kHandlers.size(); ++i) {
    if (kHandlers[i].first != story::kCommands[i].id) return false;
  }
  return true;
}
static_assert(HandlersPaired(), "every story command needs its handler, in the table's order");

// The script's view of the application: beeps and the terminate request go
// to the application that owns the main form, files are read by the machine.
class GameScriptHost : public TScriptHost {
 public:
  explicit GameScriptHost(TApplication& app) : app_(app) {}
  void Beep() override { app_.Platform().Beep(); }
  void Terminate() override { app_.Terminate(); }
  bool ReadFile(const std::string& path, std::string& bytes) override {
    return app_.Platform().ReadFile(path, bytes);
  }

 private:
  TApplication& app_;
};

std::unique_ptr<TGaleScript> LoadStoryScript();

[[noreturn]] void ScriptError(const TWordList& args, const std::string& what) {
  const std::string word = args.empty() ? std::string("?") : QuoteForMessage(args[0]);
  throw std::runtime_error(word + ": " + what);
}

// Element i of a command's arguments, or a script error when it is missing.
const std::string& Argument(const TWordList& args, std::size_t i) {
  if (i >= args.size()) ScriptError(args, "引数 " + std::to_string(i) + " がありません");
  return args[i];
}

std::int32_t IntArgument(const TWordList& args, std::size_t i) {
  return StrToInt(Argument(args, i));
}

// Caps a heat ceiling at 999. A result below the 32-bit range has no
// meaningful value and is raised as a script error instead of wrapping.
std::int32_t CapHeatLimit(const TWordList& args, std::int64_t value) {
  if (value > kHeatCeiling) return kHeatCeiling;
  if (value < std::numeric_limits<std::int32_t>::min()) {
    ScriptError(args, "熱の上限が整数の範囲を下回ります (" + std::to_string(value) + ")");
  }
  return static_cast<std::int32_t>(value);
}

}  // namespace

GameState Game;

void PadToFrame(TGaleBitmap& s) {
  s.GrowTo(kFrameWidth, kFrameHeight, FillColor);
}

void TRandom::BadBound() {
  throw std::invalid_argument("random: bound must be at least 1");
}

void ResetGameState() {
  DoneGame();
  Game = GameState{};
}

// ---------------------------------------------------------------------------
// Bootstrap and shutdown.

void InitGame(TGaleForm& form, std::optional<std::uint32_t> seed) {
  TApplication& app = form.Owner();
  platform::Platform& machine = app.Platform();
  Game.Machine = &machine;

  Game.Random.Seed(seed ? *seed : machine.MillisecondsSinceMidnightUtc());
  Game.MusicPlayer = std::make_unique<TGaleMidi>(machine);
  Game.SoundPlayer = std::make_unique<TGaleWave>(machine);
  Game.TaskTimer = std::make_unique<TGaleTimer>(form);

  Game.ScriptHost = std::make_unique<GameScriptHost>(app);
  Game.StoryScript = LoadStoryScript();

  Game.SayingList.clear();
  LoadSayings(*Game.ScriptHost, DataPath(basefiles::kSayings), Game.SayingList, ScrambledFiles);
  ResetSayings();

  CreateSurfaces();
  Game.TaskTimer->AddTask(GameTick, 50, "");
  StartTitle();
}

namespace {

// The story as the game runs it: loaded from its file, its commands registered.
std::unique_ptr<TGaleScript> LoadStoryScript() {
  auto loaded =
      std::make_unique<TGaleScript>(*Game.ScriptHost, DataPath(basefiles::kStory), ScrambledFiles);
  loaded->SetBatchLimit(kMaxStoryLines);
  loaded->SetBatchHandler(TakeStoryLines);
  RegisterStoryCommands(*loaded);
  return loaded;
}

}  // namespace

std::string ReloadStory(const std::string& label) {
  if (!Game.ScriptHost) throw std::logic_error("the game is not running");
  std::unique_ptr<TGaleScript> script = LoadStoryScript();
  if (script->Pages.empty())
    throw std::runtime_error(DataPath(basefiles::kStory) + " を読めません");
  Game.StoryScript = std::move(script);
  Game.SayingList.clear();
  LoadSayings(*Game.ScriptHost, DataPath(basefiles::kSayings), Game.SayingList, ScrambledFiles);
  ResetSayings();
  if (Game.Mode != "MAIN") return "";

  // A label on the story's first line is never found by a jump (the cursor
  // stands on it), as in the game's own jump to the start label.
  const TScriptUnit& page = *Game.StoryScript->Pages.back();
  const auto first = page.Lines.begin() + 1;
  const auto end = page.Lines.begin() + page.Count;
  const bool found = IsLabel(label, 1) && std::find(first, end, label) != end;
  const std::string target = found ? label : std::string(story::kStartLabel);
  ClearButtons();
  // The passage's own overlays come again when it is gathered again.
  Game.SubImageCount = std::min(Game.SubImageCount, Game.SubImagesBeforePassage);
  Game.MouseHeld = false;
  Game.StoryScript->JumpToLabel(target);
  AdvanceStory();
  return target;
}

void RegisterStoryCommands(TGaleScript& script) {
  for (const story::Command& command : story::kCommands) {
    script.RegisterCommand(std::string(command.word), HandlerFor(command.id));
  }
}

TCommandHandler HandlerFor(story::Id id) {
  return kHandlers.at(static_cast<std::size_t>(id)).second;
}

void DoneGame() {
  Game.MusicPlayer.reset();
  Game.SoundPlayer.reset();
  Game.TaskTimer.reset();
  Game.StoryScript.reset();
  Game.ScriptHost.reset();
  Game.SayingList.clear();
  FreeSurfaces();
}

void CreateSurfaces() {
  Game.FrameSurface = std::make_unique<TGaleBitmap>();
  Game.BackgroundSurface = std::make_unique<TGaleBitmap>();
  for (auto& glyph : Game.DigitGlyphs) glyph = std::make_unique<TGaleBitmap>();
  Game.SandClockSurface = std::make_unique<TGaleBitmap>();
  for (auto& sub : Game.SubImages) sub.Surface = std::make_unique<TGaleBitmap>();

  Game.FrameSurface->Resize(kFrameWidth, kFrameHeight, FillColor);
  Game.FrameSurface->UseText(Game.Machine->Text());
  CutDigitGlyphs();
  Game.SandClockSurface->LoadImage(*Game.Machine, DataPath(basefiles::kSandClock));
  Game.SandClockSurface->MakeTransparentAt(0, 0);
}

void FreeSurfaces() {
  Game.FrameSurface.reset();
  Game.BackgroundSurface.reset();
  for (auto& glyph : Game.DigitGlyphs) glyph.reset();
  Game.SandClockSurface.reset();
  for (auto& sub : Game.SubImages) sub.Surface.reset();
}

// ---------------------------------------------------------------------------
// Title screen.

void StartTitle() {
  PrepareTitleBackground();
  if (Game.MusicPlayer) Game.MusicPlayer->Play(DataPath(basefiles::kTitleMusic), 1);
}

void PrepareTitleBackground() {
  if (!Game.BackgroundSurface) Game.BackgroundSurface = std::make_unique<TGaleBitmap>();
  TGaleBitmap& bg = *Game.BackgroundSurface;
  bg.LoadImage(*Game.Machine, DataPath(basefiles::kTitlePicture));

  PadToFrame(bg);  // the brightening below reads every pixel of the frame

  // Lighter toward the bottom: row r gains r div 3 on every byte, saturating.
  TPainter painter(bg);
  for (int r = 0; r < kFrameHeight; ++r) {
    const unsigned add = static_cast<unsigned>(r / 3);
    painter.MapBytes(TRect::Corners(0, r, kFrameWidth - 1, r), [add](std::uint8_t c) {
      const unsigned v = c + add;
      return static_cast<std::uint8_t>(v > 255 ? 255 : v);
    });
  }

  Game.FramePainter = TitlePainter;
}

void CutDigitGlyphs() {
  TGaleBitmap strip;
  strip.LoadImage(*Game.Machine, DataPath(basefiles::kDigitStrip));
  for (int i = 0; i < static_cast<int>(Game.DigitGlyphs.size()); ++i) {
    auto& glyph = Game.DigitGlyphs[static_cast<std::size_t>(i)];
    if (!glyph) glyph = std::make_unique<TGaleBitmap>();
    glyph->Resize(25, 40);
    strip.CopyBlock(*glyph, 0, 0, 25, 40, 25 * i, 0);
    glyph->MakeTransparentAt(0, 0);
  }
}

// ---------------------------------------------------------------------------
// Tick, input and flow.

void GameTick() {
  if (Game.ClockRunning) {
    if (Game.TimeLeft > 0) {
      Game.TimeLeft -= 50;
    } else {
      JumpAndAdvance(story::kGameOverLabel);
    }
    if (Game.TimeLeft % 1000 == 0 && Game.HeatLimit < 50) Game.HeatLimit += 1;
  }

  if (Game.MouseHeld) {
    if (Game.HoldTicks < 10) {
      Game.HoldTicks += 1;
    } else {
      HandleClick(Game.HoldX, Game.HoldY);
    }
  }

  // The scroller types while the story scene shows the sayings; the frame
  // composed next shows the step.
  if (Game.SayingActive && Game.Mode == "MAIN") TypeSayingStep();

  ComposeFrame();

  if (Game.SayingsDone) {
    Game.SayingsDone = false;
    JumpAndAdvance(story::kSayEndLabel);
  }
}

void HandleClick(std::int32_t x, std::int32_t y) {
  if (Game.Mode == "TITLE") {
    StartMain();
    return;
  }
  if (Game.Mode != "MAIN") return;
  if (Game.GaugeActive && x >= kGaugeLeft && y < kGaugeBottom) {
    HeatClick();
    return;
  }
  if (Game.ButtonCount <= 0) {
    AdvanceStory();
    return;
  }
  UpdateHover(x, y);
  if (Game.HoverButton != -1) ActivateButton(Game.HoverButton);
}

void StartMain() {
  Game.ClockRunning = true;
  Game.GaugeActive = true;
  Game.FramePainter = MainPainter;
  Game.Mode = "MAIN";
  if (Game.StoryScript) Game.StoryScript->JumpToLabel(std::string(story::kStartLabel));
  AdvanceStory();
}

void AdvanceStory() {
  Game.SayingActive = false;
  Game.FontSize = GameState::DefaultFontSize;
  Game.SubImagesBeforePassage = Game.SubImageCount;
  if (Game.StoryScript) Game.StoryScript->DeliverNext();
}

void PntMainMouseDown(platform::MouseButton button, std::int32_t x, std::int32_t y) {
  if (button != platform::MouseButton::Left) return;
  HandleClick(x, y);
  Game.MouseHeld = true;
  Game.HoldTicks = 0;
  Game.HoldX = x;
  Game.HoldY = y;
}

void PntMainMouseMove(std::int32_t x, std::int32_t y) {
  UpdateHover(x, y);
}

void PntMainMouseUp(platform::MouseButton button) {
  if (button == platform::MouseButton::Left) Game.MouseHeld = false;
}

// ---------------------------------------------------------------------------
// Story scene.

void TakeStoryLines(const TWordList& lines) {
  if (lines.size() > static_cast<std::size_t>(kMaxStoryLines)) {
    throw std::runtime_error("一度に表示できる行は " + std::to_string(kMaxStoryLines) +
                             " 行までです (" + std::to_string(lines.size()) + " 行)");
  }
  Game.StoryLineCount = 0;
  for (const std::string& line : lines) {
    Game.StoryLines.at(static_cast<std::size_t>(Game.StoryLineCount)) = line;
    Game.StoryLineCount += 1;
  }
  // A batch cut short by "#end" is never seen: the game ends first.
  const bool ended = Game.StoryScript && Game.StoryScript->Ended != 0;
  if (!lines.empty() && !ended && Game.PassageShown) Game.PassageShown();
}

void AddSubImage(const std::string& path, std::int32_t x, std::int32_t y) {
  if (Game.SubImageCount < 0 || Game.SubImageCount >= kMaxSubImages) {
    throw std::runtime_error("#imagesub: 重ねる画像は " + std::to_string(kMaxSubImages) +
                             " 枚までです");
  }
  TSubImage& entry = Game.SubImages.at(static_cast<std::size_t>(Game.SubImageCount));
  if (!entry.Surface) entry.Surface = std::make_unique<TGaleBitmap>();
  entry.Surface->LoadImage(*Game.Machine, path);
  entry.Surface->MakeTransparentAt(0, 0);
  entry.X = x;
  entry.Y = y;
  Game.SubImageCount += 1;
}

// ---------------------------------------------------------------------------
// Buttons.

void ClearButtons() {
  Game.ButtonCount = 0;
  Game.HoverButton = -1;
}

void AddButton(const std::string& caption, std::int32_t captionSize, std::int32_t left,
               std::int32_t top, std::int32_t right, std::int32_t bottom,
               const std::string& target) {
  if (Game.ButtonCount < 0 || Game.ButtonCount >= kMaxButtons) {
    throw std::runtime_error("#button: ボタンは " + std::to_string(kMaxButtons) + " 個までです");
  }
  TMarigoldButton& b = Game.Buttons.at(static_cast<std::size_t>(Game.ButtonCount));
  b.Caption = caption;
  b.CaptionSize = captionSize;
  b.Left = left;
  b.Top = top;
  b.Right = right;
  b.Bottom = bottom;
  b.Target = target;
  Game.ButtonCount += 1;
}

void UpdateHover(std::int32_t x, std::int32_t y) {
  Game.HoverButton = -1;
  for (std::int32_t i = 0; i < Game.ButtonCount && i < kMaxButtons; ++i) {
    const TMarigoldButton& b = Game.Buttons[static_cast<std::size_t>(i)];
    if (b.Left <= x && x <= b.Right && b.Top <= y && y <= b.Bottom) Game.HoverButton = i;
  }
}

void ActivateButton(std::int32_t index) {
  if (index < 0 || index >= Game.ButtonCount) {
    throw std::out_of_range("ボタン番号 " + std::to_string(index) + " は範囲外です");
  }
  const std::string target = Game.Buttons.at(static_cast<std::size_t>(index)).Target;
  if (target != story::kThroughTarget && Game.StoryScript) Game.StoryScript->JumpToLabel(target);
  ClearButtons();
  AdvanceStory();
}

// ---------------------------------------------------------------------------
// Heat.

void HeatClick() {
  if (Game.Heat < Game.HeatLimit) {
    if (Game.SoundPlayer) Game.SoundPlayer->Play(DataPath(basefiles::kHeatTaken), 0);
    Game.Heat = CheckedAdd(Game.Heat, 1);
  } else {
    if (Game.SoundPlayer) Game.SoundPlayer->Play(DataPath(basefiles::kHeatRefused), 0);
  }
}

// ---------------------------------------------------------------------------
// Sayings.

void ResetSayings() {
  Game.SayingIndex = 0;
  Game.SayingCharPos = 0;
  for (auto& row : Game.SayingRows) row.clear();
  Game.SayingRow = 0;
  Game.SayingScroll = 0;
  Game.SayingsDone = false;
}

bool CanBreakBefore(const std::string& piece) {
  static const std::array<const char*, 8> kHangingMarks = {
      "\x81\x42",  // 。
      "\x81\x41",  // 、
      "\x81\x44",  // ．
      "\x81\x48",  // ？
      "\x81\x49",  // ！
      "\x81\x40",  // full-width space
      "\x81\xE2",  // ≫
      "\x81\x76",  // 」
  };
  for (const char* mark : kHangingMarks) {
    if (piece == mark) return false;
  }
  return true;
}

void TypeSayingStep() {
  const auto count = static_cast<std::int64_t>(Game.SayingList.size());
  if (Game.SayingIndex >= count) return;

  if (Game.SayingScroll > 0) {
    Game.SayingScroll -= 3;
    if (Game.SayingScroll <= 0) Game.SayingRow = CheckedAdd(Game.SayingRow, 1);
    return;
  }

  const std::string& saying = Game.SayingList.at(static_cast<std::size_t>(Game.SayingIndex));
  std::string& row = Game.SayingRows.at(static_cast<std::size_t>(Game.SayingRow));
  row += Piece(saying, Game.SayingCharPos);

  if (static_cast<std::int64_t>(saying.size()) >
      2 * static_cast<std::int64_t>(Game.SayingCharPos)) {
    Game.SayingCharPos = CheckedAdd(Game.SayingCharPos, 1);
  } else {
    Game.SayingIndex = CheckedAdd(Game.SayingIndex, 1);
    Game.SayingCharPos = 0;
    if (Game.SayingIndex >= count) Game.SayingsDone = true;
  }

  const std::size_t length = row.size();
  const bool more = Game.SayingIndex < count;
  const std::string next =
      more ? Piece(Game.SayingList.at(static_cast<std::size_t>(Game.SayingIndex)),
                   Game.SayingCharPos)
           : std::string();
  bool breakRow = false;
  if (length >= 50 && CanBreakBefore(next)) {
    breakRow = true;
  } else if (length > 50) {
    breakRow = true;
  } else if (Game.SayingCharPos == 0 && more) {
    breakRow = true;
  }
  if (!breakRow) return;

  if (Game.SayingRow < 3) {
    Game.SayingRow += 1;
  } else {
    Game.SayingRows[0] = Game.SayingRows[1];
    Game.SayingRows[1] = Game.SayingRows[2];
    Game.SayingRows[2] = Game.SayingRows[3];
    Game.SayingRows[3].clear();
    Game.SayingScroll = 24;
    Game.SayingRow = 2;
  }
}

// ---------------------------------------------------------------------------
// Script commands.

void CmdImage(const TWordList& args) {
  const std::string& name = Argument(args, 1);
  if (!Game.BackgroundSurface) Game.BackgroundSurface = std::make_unique<TGaleBitmap>();
  TGaleBitmap& bg = *Game.BackgroundSurface;
  bg.LoadImage(*Game.Machine, DataPath(name));
  PadToFrame(bg);

  // The first marker (row by row, left to right) places the text; its left
  // neighbour gives the colour every marker is painted over with, and the
  // text colour is that colour inverted. A marker in column 0 has no left
  // neighbour: white stands in for it.
  bool found = false;
  TPixel replacement = FillColor;
  TPainter painter(bg);
  for (int r = 0; r < kFrameHeight; ++r) {
    for (int c = 0; c < kFrameWidth; ++c) {
      if (!SameColor(painter.At(c, r), TextMarkColor)) continue;
      if (!found) {
        found = true;
        replacement = c > 0 ? painter.At(c - 1, r) : FillColor;
        Game.TextColor = ToColorRef(Inverted(replacement));
        Game.TextOriginX = c;
        Game.TextOriginY = r;
      }
      painter.Put(c, r, replacement);
    }
  }
  Game.SubImageCount = 0;
}

void CmdFont(const TWordList& args) {
  Game.FontSize = IntArgument(args, 1);
}

void CmdButton(const TWordList& args) {
  Game.MouseHeld = false;
  const std::string& caption = Argument(args, 1);
  for (std::int32_t i = 0; i < Game.VanishedCount && i < kMaxVanished; ++i) {
    if (Game.VanishedNames[static_cast<std::size_t>(i)] == caption) return;
  }
  if (args.size() < 6) ScriptError(args, "引数が足りません (キャプション 大きさ x y 行き先)");
  const std::int32_t size = StrToInt(args[2]);
  const std::int32_t x = StrToInt(args[3]);
  const std::int32_t y = StrToInt(args[4]);
  const std::string& target = args[5];
  if (Game.ButtonCount >= kMaxButtons) {
    ScriptError(args, "ボタンは " + std::to_string(kMaxButtons) + " 個までです");
  }
  if (caption.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
    ScriptError(args, "キャプションが長すぎます");
  }
  const ButtonBox box = LayOutButton(static_cast<std::int32_t>(caption.size()), size, x, y);
  AddButton(caption, size, box.left, box.top, box.right, box.bottom, target);
}

void CmdHeatyJump(const TWordList& args) {
  const std::size_t pairs = args.empty() ? 0 : (args.size() - 1) / 2;
  for (std::size_t i = 0; i < pairs; ++i) {
    const std::int32_t threshold = StrToInt(args[1 + 2 * i]);
    if (threshold <= Game.Heat) {
      if (Game.StoryScript) Game.StoryScript->JumpToLabel(args[2 + 2 * i]);
      break;
    }
  }
  Game.Heat = 0;
}

void CmdImageSub(const TWordList& args) {
  const std::string& name = Argument(args, 1);
  const std::int32_t y = IntArgument(args, 3);
  const std::int32_t x = IntArgument(args, 2);
  AddSubImage(DataPath(name), x, y);
}

void CmdHeatUp(const TWordList& args) {
  const std::int32_t n = IntArgument(args, 1);
  Game.HeatLimit = CapHeatLimit(args, std::int64_t{Game.HeatLimit} + n);
}

void CmdHeatSpark(const TWordList& args) {
  Game.HeatLimit = CapHeatLimit(args, std::int64_t{Game.HeatLimit} * 3);
}

void CmdVanishButton(const TWordList& args) {
  const std::string& caption = Argument(args, 1);
  if (Game.VanishedCount < 0 || Game.VanishedCount >= kMaxVanished) {
    ScriptError(args, "消せるキャプションは " + std::to_string(kMaxVanished) + " 個までです");
  }
  Game.VanishedNames.at(static_cast<std::size_t>(Game.VanishedCount)) = caption;
  Game.VanishedCount += 1;
}

void CmdFinalize(const TWordList&) {
  Game.ClockRunning = false;
  Game.GaugeActive = false;
}

void CmdSaying(const TWordList&) {
  Game.SayingActive = true;
}

void CmdStopTimer(const TWordList&) {
  Game.ClockRunning = false;
}
