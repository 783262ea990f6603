// The game's state, its 50 ms tick, input, bootstrap and script commands.
// All game logic is plain routines over the one GameState.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "game/GameState.h"
#include "platform/Platform.h"

class TGaleForm;

// The stored story and sayings are scrambled.
constexpr bool ScrambledFiles = true;

// Puts every field back to its initial value, releasing what it holds (tests).
void ResetGameState();

// Pads a picture smaller than the frame with white up to 600 x 400, so that
// everything reading a background (the marker scan, the title's brightening,
// every composed frame) covers the whole frame.
void PadToFrame(TGaleBitmap& surface);

// Bootstrap and shutdown. The seed defaults to the milliseconds since
// midnight (UTC); tests and tools pass their own.
void InitGame(TGaleForm& form, std::optional<std::uint32_t> seed = std::nullopt);
void DoneGame();
// Loads the story and the sayings again from their files. In the story, the
// game goes back to `label` (to "@start" when the story no longer holds it)
// and shows that passage, keeping heat, ceiling, clock, vanished captions and
// the overlays from before the passage;
// on the title it stays there. Returns the label gone to, or "" on the title.
// Throws, changing nothing, when the story file cannot be loaded.
std::string ReloadStory(const std::string& label);
void CreateSurfaces();
void FreeSurfaces();

// Title screen: its prepared background and painter, and the title music.
void StartTitle();
// Loads the title picture, brightens it toward the bottom and makes the
// title painter the frame's.
void PrepareTitleBackground();
// Cuts the clock's twelve digit glyphs from the digit strip.
void CutDigitGlyphs();

// Tick, input and flow. The tick moves the clock, the held button and the
// sayings, composes the frame (UnitBmp's ComposeFrame) and then follows the
// jump the end of the sayings asks for.
void GameTick();
void HandleClick(std::int32_t x, std::int32_t y);
void StartMain();
void AdvanceStory();
void PntMainMouseDown(platform::MouseButton button, std::int32_t x, std::int32_t y);
void PntMainMouseMove(std::int32_t x, std::int32_t y);
void PntMainMouseUp(platform::MouseButton button);

// Story scene.
void TakeStoryLines(const TWordList& lines);
void AddSubImage(const std::string& path, std::int32_t x, std::int32_t y);

// Buttons.
void ClearButtons();
void AddButton(const std::string& caption, std::int32_t captionSize, std::int32_t left,
               std::int32_t top, std::int32_t right, std::int32_t bottom,
               const std::string& target);
void UpdateHover(std::int32_t x, std::int32_t y);
void ActivateButton(std::int32_t index);

// Heat.
void HeatClick();

// Sayings.
void ResetSayings();
// One typing step of the scroller (once a tick while the sayings show): a
// running scroll moves on, or one two-byte piece is typed and the row break
// decided; sets SayingsDone when the last saying is typed out.
void TypeSayingStep();
// True unless the piece is a mark that hangs on the end of a full row.
bool CanBreakBefore(const std::string& piece);

// Registers every story command with its handler, in the table's order.
void RegisterStoryCommands(TGaleScript& script);

// The handler the game runs for a story command.
using TCommandHandler = void (*)(const TWordList&);
TCommandHandler HandlerFor(story::Id id);

// Script commands, in the order they are registered (#midi, #wave and
// #waveByLoop share one handler, paired with them in UnitCommon.cpp).
void CmdImage(const TWordList& args);
void CmdFont(const TWordList& args);
void CmdButton(const TWordList& args);
void CmdHeatyJump(const TWordList& args);
void CmdImageSub(const TWordList& args);
void CmdHeatUp(const TWordList& args);
void CmdHeatSpark(const TWordList& args);
void CmdVanishButton(const TWordList& args);
void CmdFinalize(const TWordList& args);
void CmdSaying(const TWordList& args);
void CmdStopTimer(const TWordList& args);
