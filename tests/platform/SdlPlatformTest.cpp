// The SDL platform under SDL's dummy video driver: window, picture, queue.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <vector>

#include "platform/sdl/SdlPlatform.h"

namespace {

TEST(SdlPlatform, WindowPictureAndQueueUnderTheDummyDriver) {
  putenv(const_cast<char*>("SDL_VIDEODRIVER=dummy"));
  putenv(const_cast<char*>("SDL_AUDIODRIVER=dummy"));
  std::unique_ptr<platform::SdlPlatform> p;
  try {
    p = std::make_unique<platform::SdlPlatform>();
  } catch (const std::runtime_error& e) {
    GTEST_SKIP() << "no video: " << e.what();
  }
  EXPECT_EQ(p->VideoDriver(), "dummy");
  p->CreateWindow("焔の庭", 600, 400);
  ASSERT_TRUE(p->WindowCreated());
  int w = 0, h = 0;
  p->OuterSize(w, h);
  EXPECT_GE(w, 600);
  EXPECT_GE(h, 400);
  p->ScreenSize(w, h);
  EXPECT_GT(w, 0);
  p->MoveWindow(10, 20);
  EXPECT_FALSE(p->WindowShown());
  p->ShowWindow();
  EXPECT_TRUE(p->WindowShown());

  std::vector<std::uint8_t> frame(700 * 3 * 450, 128);  // larger than the client: clipped
  p->Present(frame.data(), 700, 450, 700 * 3);

  platform::Event e;
  while (p->PollEvent(e)) {
  }
  p->PostUserMessage(1034);
  p->PostQuit();
  p->WaitEvent(-1);  // returns at once: something is pending
  ASSERT_TRUE(p->PollEvent(e));
  EXPECT_EQ(e.kind, platform::Event::Kind::User);
  EXPECT_EQ(e.message, 1034);
  while (p->PollEvent(e) && e.kind != platform::Event::Kind::Quit) {
  }
  EXPECT_EQ(e.kind, platform::Event::Kind::Quit);
  EXPECT_FALSE(p->PollEvent(e) && e.kind == platform::Event::Kind::Quit);

  std::int32_t before = p->Milliseconds();
  p->WaitEvent(20);
  EXPECT_GE(p->Milliseconds(), before);
  EXPECT_GE(before, 0);
}

}  // namespace
