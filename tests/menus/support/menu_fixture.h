// A fresh program for settings-panel tests: headless back-ends on the manual clock, a 1280 x 960
// recording window drawn 1:1 as the 1280 x 960 virtual screen (so window pixels are virtual
// units), stand-in icon strips, four pads, the panel installed in the frame pump, and a
// temporary install folder ("Files/Common", "Files/<game folder>") with the game folder current.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/headless/recorder.h"

namespace menu_testing {

inline constexpr int kKeyBackspace = 8, kKeyTab = 9, kKeyLeft = 37, kKeyUp = 38, kKeyRight = 39;
inline constexpr int kKeyDown = 40, kKeyW = 87;

// Where a text was found: its top-left drawing position and the colour of its first glyph.
struct TextHit {
    float x, y;
    int r, g, b, a;
};

class MenuTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // One frame as every screen runs it: clear, then the frame pump with the pointer shown.
    static void Frame();
    static void Frames(int count);
    // Tab, then the ten frames that bring the panel to rest.
    static void OpenPanel();
    // Moves the pointer to virtual (x, y) and runs the frame that records it for the next frame.
    static void PointAt(int x, int y);
    // A click of the button at (x, y), seen by the panel in the frame this runs.
    static void ClickAt(int x, int y, int button = 1);
    // Text lines of Files/Setup.ini, without line ends; empty when there is no file.
    std::vector<std::string> SetupFileLines() const;

    std::filesystem::path root_, previous_dir_;
};

// Every place where the last frame run by MenuTest::Frame drew the text, in font slot 2 at scale 1.
std::vector<TextHit> FindText(const std::string& text);
// Whether the last frame run by MenuTest::Frame drew the text with its top-left corner at (x, y).
bool TextDrawnAt(const std::string& text, float x, float y);
// Where DrawTextAligned centred on (x, y) puts the text's top-left corner, in font slot 2.
void CentredOrigin(const std::string& text, int x, int y, float& left, float& top);
// The icon-strip frame whose unglowed picture the last frame run by MenuTest::Frame drew with its top-left
// corner at (x, y), or -1; glow is the alpha of its glow picture (or -1 without one).
int IconFrameAt(int x, int y, float* glow_alpha = nullptr);

}  // namespace menu_testing
