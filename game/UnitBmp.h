// Everything the game draws into FrameSurface: the title screen, the story
// scene, the instruments, the sayings scroller and the buttons.
#pragma once

#include <cstdint>
#include <string>

class TGaleBitmap;

// Title screen.
void StartTitle();
void PrepareTitleBackground();
void TitlePainter();
// The title's rising shimmer, worked in place on a surface (the last step of
// TitlePainter; exposed for tests and benchmarks).
void RisingShimmer(TGaleBitmap& frame);

// Story scene.
void MainPainter();

// Heat gauge and countdown clock.
void CutDigitGlyphs();
void DrawClock();
void DrawHeatGauge();
// The heat-level word for a heat value (CP932), empty when there is none.
std::string HeatLabel(std::int32_t heat);

// Sayings scroller.
void DrawSayings();
bool CanBreakBefore(const std::string& piece);
void DrawDoubleText(std::int32_t x, std::int32_t y, const std::string& text);

// Buttons.
void DrawButtons();
