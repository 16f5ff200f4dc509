// The settings-panel test fixture and its readers of the recorded frame.
#include "menus/support/menu_fixture.h"

#include <unistd.h>

#include <cmath>
#include <fstream>

#include "controls/controls.h"
#include "framework/display_setup.h"
#include "framework/draw_helpers.h"
#include "framework/frame_pump.h"
#include "framework/game_info.h"
#include "framework/hooks.h"
#include "framework/program.h"
#include "framework/settings.h"
#include "menus/settings_menu.h"
#include "menus/settings_state.h"
#include "platform/draw.h"
#include "platform/headless/headless.h"
#include "platform/headless/script_input.h"

namespace fs = std::filesystem;
namespace hl = platform::headless;

namespace menu_testing {
namespace {

// The quads of the last frame a test ran, kept apart from the recorder, which forgets them when
// the readers below draw their reference pictures.
std::vector<hl::RecordedQuad> last_frame;

bool Near(float a, float b) {
    return std::fabs(a - b) < 0.01f;
}

float Left(const hl::RecordedQuad& quad) {
    return std::min(std::min(quad.corners[0].x, quad.corners[1].x),
                    std::min(quad.corners[2].x, quad.corners[3].x));
}

float Top(const hl::RecordedQuad& quad) {
    return std::min(std::min(quad.corners[0].y, quad.corners[1].y),
                    std::min(quad.corners[2].y, quad.corners[3].y));
}

float CentreX(const hl::RecordedQuad& quad) {
    return (quad.corners[0].x + quad.corners[2].x) / 2;
}

float CentreY(const hl::RecordedQuad& quad) {
    return (quad.corners[0].y + quad.corners[2].y) / 2;
}

bool SameUv(const hl::RecordedQuad& a, const hl::RecordedQuad& b) {
    for (int i = 0; i < 4; ++i) {
        if (!Near(a.corners[i].u, b.corners[i].u) || !Near(a.corners[i].v, b.corners[i].v)) return false;
    }
    return true;
}

// The quads of a reference drawing made outside any frame; the recording is left empty.
template <typename Draw>
std::vector<hl::RecordedQuad> ReferenceQuads(Draw draw) {
    hl::ClearRecording();
    framework::ResetDrawState();
    framework::UseFontSlot(2);
    draw();
    std::vector<hl::RecordedQuad> quads = hl::RecordedQuads();
    hl::ClearRecording();
    return quads;
}

}  // namespace

void MenuTest::SetUp() {
    previous_dir_ = fs::current_path();
    root_ = fs::temp_directory_path() / ("vantor-menus-" + std::to_string(::getpid()) + "-" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(root_ / "Files" / "Common");
    fs::create_directories(root_ / "Files" / framework::GameFolder());
    fs::current_path(root_ / "Files" / framework::GameFolder());
    hl::UseHeadlessBackends(1000);
    platform::EndGraphics();
    framework::ResetHooks();
    framework::ResetProgram();
    framework::ResetFramePump();
    framework::ResetDisplaySetup();
    framework::ResetSettings();
    framework::ResetDrawHelpers();
    framework::AudioDriverNames.clear();
    controls::ResetControls();
    controls::InitControls();
    menus::ResetSettingsState();
    ASSERT_TRUE(platform::Graphics(1280, 960, 0, 60, 0));
    platform::SetVirtualResolution(1280, 960);
    framework::VirtualWidth = 1280;
    framework::VirtualHeight = 960;
    framework::OverlayOn = 0;
    framework::PadCount = 4;
    for (int c = 1; c <= 3; ++c) framework::SpriteLimits[c] = 100000;
    platform::AutoMidHandle(true);
    framework::IconsSharp = platform::CreateImage(16, 16, 64);
    framework::IconsFiltered = platform::CreateImage(16, 16, 64);
    menus::InstallSettingsMenu();
}

void MenuTest::TearDown() {
    platform::EndGraphics();
    framework::ResetDisplaySetup();
    framework::AudioDriverNames.clear();
    controls::ResetControls();
    menus::ResetSettingsState();
    framework::ResetHooks();
    fs::current_path(previous_dir_);
    std::error_code ignored;
    fs::remove_all(root_, ignored);
}

void MenuTest::Frame() {
    framework::BeginFrame(1);
    framework::FramePump(1);
    last_frame = hl::LastFrameQuads();
}

void MenuTest::Frames(int count) {
    for (int i = 0; i < count; ++i) Frame();
}

void MenuTest::OpenPanel() {
    hl::TapKey(kKeyTab);
    Frames(10);
    ASSERT_EQ(menus::panel_y, 20);
}

void MenuTest::PointAt(int x, int y) {
    // The script places the pointer in window pixels; after an Apply the window may no longer be
    // the size of the virtual screen.
    const float to_window_x =
        static_cast<float>(platform::GraphicsWidth()) / platform::VirtualResolutionWidth();
    const float to_window_y =
        static_cast<float>(platform::GraphicsHeight()) / platform::VirtualResolutionHeight();
    hl::MovePointer(static_cast<int>(std::lround(static_cast<float>(x) * to_window_x)),
                    static_cast<int>(std::lround(static_cast<float>(y) * to_window_y)));
    Frame();
}

void MenuTest::ClickAt(int x, int y, int button) {
    PointAt(x, y);
    hl::PressButton(button);
    Frame();
    hl::ReleaseButton(button);
}

std::vector<std::string> MenuTest::SetupFileLines() const {
    std::ifstream in(root_ / "Files" / "Setup.ini", std::ios::binary);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::vector<TextHit> FindText(const std::string& text) {
    const std::vector<hl::RecordedQuad>& frame = last_frame;
    const std::vector<hl::RecordedQuad> glyphs = ReferenceQuads([&] { platform::DrawText(text, 0, 0); });
    std::vector<TextHit> hits;
    if (glyphs.empty()) return hits;
    for (std::size_t start = 0; start + glyphs.size() <= frame.size(); ++start) {
        const hl::RecordedQuad& first = frame[start];
        if (first.texture != glyphs[0].texture) continue;
        const float dx = first.corners[0].x - glyphs[0].corners[0].x;
        const float dy = first.corners[0].y - glyphs[0].corners[0].y;
        bool same = true;
        for (std::size_t i = 0; i < glyphs.size() && same; ++i) {
            const hl::RecordedQuad& drawn = frame[start + i];
            same = drawn.texture == glyphs[i].texture && SameUv(drawn, glyphs[i]) &&
                   Near(drawn.corners[0].x - glyphs[i].corners[0].x, dx) &&
                   Near(drawn.corners[0].y - glyphs[i].corners[0].y, dy);
        }
        if (same) {
            const platform::Vertex& v = first.corners[0];
            hits.push_back(TextHit{dx, dy, v.r, v.g, v.b, v.a});
        }
    }
    return hits;
}

bool TextDrawnAt(const std::string& text, float x, float y) {
    for (const TextHit& hit : FindText(text)) {
        if (Near(hit.x, x) && Near(hit.y, y)) return true;
    }
    return false;
}

void CentredOrigin(const std::string& text, int x, int y, float& left, float& top) {
    framework::UseFontSlot(2);
    left = static_cast<float>(x - platform::TextWidth(text) / 2);
    top = static_cast<float>(y - platform::TextHeight() / 2);
}

int IconFrameAt(int x, int y, float* glow_alpha) {
    const std::vector<hl::RecordedQuad>& frame = last_frame;
    std::vector<hl::RecordedQuad> frames;
    for (int f = 0; f < 64; ++f) {
        frames.push_back(ReferenceQuads([&] { platform::DrawImage(framework::IconsSharp, 0, 0, f); }).at(0));
    }
    const platform::TextureId sharp = frames[0].texture;
    const platform::TextureId filtered = framework::IconsFiltered->texture;
    for (const hl::RecordedQuad& quad : frame) {
        if (quad.texture != sharp || !Near(Left(quad), static_cast<float>(x)) ||
            !Near(Top(quad), static_cast<float>(y))) {
            continue;
        }
        if (glow_alpha) {
            *glow_alpha = -1;
            for (const hl::RecordedQuad& glow : frame) {
                if (glow.texture == filtered && Near(CentreX(glow), CentreX(quad)) &&
                    Near(CentreY(glow), CentreY(quad))) {
                    *glow_alpha = glow.corners[0].a / 255.0f;
                }
            }
        }
        for (int f = 0; f < 64; ++f) {
            if (SameUv(quad, frames[static_cast<std::size_t>(f)])) return f;
        }
    }
    return -1;
}

}  // namespace menu_testing
