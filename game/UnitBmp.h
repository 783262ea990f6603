// Everything the game draws into FrameSurface: the title screen, the story
// scene, the instruments, the sayings scroller and the buttons. Drawing only
// draws: it reads the game state and changes nothing in it but the random
// generator, whose numbers make the picture tremble.
#pragma once

#include <cstdint>
#include <string>

class TGaleBitmap;

// The whole frame: the background, the scene's painter, the heat gauge and
// the buttons, then the frame handed to the machine to show.
void ComposeFrame();

// Title screen: the heading, the prompt, the clock and the shimmer.
void TitlePainter();
// The title's rising shimmer, worked in place on a surface (the last step of
// TitlePainter; exposed for tests and benchmarks).
void RisingShimmer(TGaleBitmap& frame);

// Story scene: overlays, black flicker, the passage's lines, the clock and
// the sayings.
void MainPainter();

// The countdown clock and sand clock in the clock's corner.
void DrawClock();
// The heat gauge in the gauge's corner: streaks, level word, heat, ceiling.
void DrawHeatGauge();
// The heat-level word for a heat value (CP932), empty when there is none.
std::string HeatLabel(std::int32_t heat);

// Sayings scroller: the pale band and the rows typed so far.
void DrawSayings();
// A text two bytes at a time, 20 pixels apart, each piece twice (one pixel
// apart vertically).
void DrawDoubleText(std::int32_t x, std::int32_t y, const std::string& text);

// Buttons: each face, its rough frame and its caption; the hovered one red.
void DrawButtons();
