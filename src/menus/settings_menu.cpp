// The settings panel and its widgets. Everything is immediate: each frame reads the clicks once,
// then every widget draws itself and acts on the pointer, the clicks and the keys of that frame.
#include "menus/settings_menu.h"

#include <algorithm>
#include <cstddef>

#include "controls/controls.h"
#include "framework/display_setup.h"
#include "framework/draw_helpers.h"
#include "framework/frame_pump.h"
#include "framework/hooks.h"
#include "framework/program.h"
#include "framework/settings.h"
#include "menus/settings_state.h"
#include "platform/draw.h"
#include "platform/input.h"
#include "scores/fields.h"

namespace menus {
namespace {

using framework::ScaleTo;
using framework::SetColorAlpha;

constexpr int kKeyBackspace = 8, kKeyLeft = 37, kKeyUp = 38, kKeyRight = 39, kKeyDown = 40;
constexpr std::size_t kMaxLabels = 6;

// Icon frames of the icon strip.
constexpr int kIconKey = 3, kIconHat = 8, kIconAxis = 9, kIconJoyButton = 10;
constexpr int kIconResolution = 11, kIconScreenMode = 13, kIconBars = 18, kIconAudio = 24;
constexpr int kIconTrackLeft = 21, kIconTrackRight = 22, kIconKnob = 23;

// Arrow-key hits of this frame, read on every call so that a press made while the pointer was
// elsewhere is not kept and acted on when the pointer later reaches the Resolution row.
int next_mode_keys = 0, previous_mode_keys = 0;
// Set while Apply reopens the display: its engine test runs frames through the pump, which call
// this menu again, and a second Apply inside the first would close the display mid-load.
bool applying = false;

void ReadArrowKeys() {
    const int right = platform::KeyHit(kKeyRight), up = platform::KeyHit(kKeyUp);
    const int left = platform::KeyHit(kKeyLeft), down = platform::KeyHit(kKeyDown);
    next_mode_keys = right + up;
    previous_mode_keys = left + down;
}

// The panel's lines stand 16 apart (two-line labels, the joystick list): on small displays,
// whose fonts are larger, the panel uses the largest font of its face that still fits them.
void UsePanelFont() {
    platform::SetImageFont(framework::FontForLines(2, 17).font);
}

void Slide() {
    if (settings_open == 1 && panel_y < 0) panel_y += PanelSlideStep;
    if (settings_open == 0 && panel_y > PanelHiddenY) panel_y -= PanelSlideStep;
}

void DrawBackground() {
    UsePanelFont();
    framework::ResetDrawState();
    const float width = static_cast<float>(framework::VirtualWidth);
    framework::UseBlend(2);
    SetColorAlpha(40, 40, 40, 0.8f);
    platform::DrawRect(0, 0, width, static_cast<float>(panel_y + 300));
    framework::UseBlend(1);
    SetColorAlpha(80, 80, 80, 0.4f);
    platform::DrawRect(0, 0, width, static_cast<float>(panel_y + 298));
    SetColorAlpha(180, 255, 180, 1);
    platform::DrawRect(0, static_cast<float>(panel_y + 298), width, 2);
}

// A label "top|bottom" as its two lines; a label without a bar has an empty second line.
bool SplitLabel(const std::string& label, std::string& top, std::string& bottom) {
    if (label.find('|') == std::string::npos) {
        top = label;
        bottom.clear();
        return false;
    }
    top = scores::SplitField(label, "|", 1);
    bottom = scores::SplitField(label, "|", 2);
    return true;
}

// The audio row's labels: one per driver (at most six), or "AUDIO" alone without drivers.
std::vector<std::string> AudioDriverLabels() {
    std::vector<std::string> labels;
    for (const std::string& name : framework::AudioDriverNames) {
        if (labels.size() == kMaxLabels) break;
        labels.push_back("Audio Driver|" + name);
    }
    if (labels.empty()) labels.push_back("AUDIO");
    return labels;
}

// Number of options: 1 + the index of the last non-empty label among the first six.
int OptionCount(const std::vector<std::string>& labels) {
    int count = 1;
    for (std::size_t i = 0; i < labels.size() && i < kMaxLabels; ++i) {
        if (!labels[i].empty()) count = static_cast<int>(i) + 1;
    }
    return count;
}

const std::string& CurrentLabel(const std::vector<std::string>& labels, int value) {
    static const std::string none;
    if (value >= 0 && value < OptionCount(labels) && !labels[static_cast<std::size_t>(value)].empty()) {
        return labels[static_cast<std::size_t>(value)];
    }
    return labels.empty() ? none : labels.front();
}

// Steps Settings[4] through the mode list by delta (+1 or -1), wrapping at both ends, and makes
// the mode's size the requested one. With no usable modes there is nothing to step through.
void StepDisplayMode(int delta) {
    const int count = framework::ModeCount;
    if (count < 1) return;
    int mode = framework::Settings[4] + delta;
    if (delta > 0 && mode > count) mode = 1;
    if (delta < 0 && (mode < 1 || mode > count)) mode = count;
    framework::Settings[4] = mode;
    framework::Settings[5] = framework::ModeWidths[mode];
    framework::Settings[6] = framework::ModeHeights[mode];
}

void ResolutionRow(int x) {
    const bool over = OptionRow(2, x, 70, kIconResolution, {"Resolution"}) == 1 ||
                      framework::PointerIn(x, panel_y + 70, 200, 70);
    if (!over) return;
    if (next_mode_keys > 0 || LeftClicks != 0) {
        StepDisplayMode(+1);
    } else if (previous_mode_keys > 0 || RightClicks != 0) {
        StepDisplayMode(-1);
    }
}

// The requested size, and how it will look on the virtual screen.
void SizeAndQualityNote(int x) {
    ScaleTo(1);
    const int height = framework::Settings[6];
    framework::DrawTextAligned(x, panel_y + 108,
                               std::to_string(framework::Settings[5]) + "x" + std::to_string(height));
    if (height < 900) {
        SetColorAlpha(255, 180, 80);
        framework::DrawTextAligned(80, panel_y + 128, "Small (Bit blurry)");
    } else if (height <= 960) {
        SetColorAlpha(255, 255, 80);
        framework::DrawTextAligned(80, panel_y + 128, "Native (Crisp, Clear)");
    } else {
        SetColorAlpha(180, 255, 80);
        framework::DrawTextAligned(80, panel_y + 128, "Bigger! (High-Definition!)");
    }
    SetColorAlpha(80, 255, 80);
}

// Saves the settings, closes the panel and reopens the display with the chosen mode, size and
// renderer; every asset is loaded again for the new display.
void ApplyButton() {
    ScaleTo(1);
    const int width = platform::TextWidth("Apply") + 4, height = platform::TextHeight() + 4;
    if (framework::PointerIn(18, panel_y + 258, width, height)) {
        SetColorAlpha(0, 120, 0, 0.5f);
        platform::DrawRect(18, static_cast<float>(panel_y + 258), static_cast<float>(width),
                           static_cast<float>(height));
        if (LeftClicks != 0 && !applying) {
            LeftClicks = 0;
            settings_open = 0;
            applying = true;
            framework::WriteSetupFile();
            framework::ApplyDisplaySettings();
            applying = false;
            // The new display brought new fonts; the rest of this frame draws with them.
            UsePanelFont();
            ScaleTo(1);
        }
    }
    SetColorAlpha(80, 255, 80, 1);
    framework::DrawTextAligned(20, panel_y + 260, "Apply");
}

void GraphicsColumn() {
    constexpr int x = 20;
    SetColorAlpha(80, 255, 80);
    framework::DrawTextAligned(x, panel_y + 4, "Graphics");
    OptionRow(1, x, 30, kIconScreenMode, {"Windowed", "Fullscreen"});
    ResolutionRow(x);
    SizeAndQualityNote(x);
    OptionRow(7, x, 146, kIconBars, {"Draw all Frames|Decent System", "Frameskip|Slow System"});
    OptionRow(3, x, 184, kIconBars, {"OpenGL|Optimum", "DirectX 9|Alternative", "DirectX 7|Backup"});
    ApplyButton();
}

// One player's pad: the direction cross on the left, the four face buttons on the right.
void DrawPad(int player, int x, int y) {
    struct Button {
        int control, dx, dy, r, g, b;
    };
    static constexpr Button kButtons[8] = {
        {controls::Up, 50, 0, 80, 255, 80},           {controls::Left, 0, 50, 80, 255, 80},
        {controls::Right, 100, 50, 80, 255, 80},      {controls::Down, 50, 50, 80, 255, 80},
        {controls::FaceYellow, 190, 0, 255, 255, 80}, {controls::FaceBlue, 155, 30, 80, 80, 255},
        {controls::FaceRed, 225, 30, 255, 80, 80},    {controls::FaceGreen, 190, 60, 80, 255, 80},
    };
    for (const Button& button : kButtons) {
        SetColorAlpha(static_cast<float>(button.r), static_cast<float>(button.g),
                      static_cast<float>(button.b));
        BindingButton(controls::BindingIndex(button.control, player), x + button.dx, y + button.dy);
    }
    // Four identical pads need their player named; dim, so the bindings stay what catches the eye.
    SetColorAlpha(180, 255, 180, 0.5f);
    framework::DrawTextAligned(x + 136, y + 118, "Player " + std::to_string(player), 1, 1);
    SetColorAlpha(80, 255, 80, 1);
}

// Players 1 and 2 in the column at x 250, players 3 and 4 in the column at x 650.
void Pads() {
    if (framework::PointerMode != 0) return;
    int x = 250, y = panel_y + 10;
    for (int player = 1; player <= framework::PadCount; ++player) {
        DrawPad(player, x, y);
        y += 150;
        if (player == 2) {
            y = panel_y + 10;
            x += 400;
        }
    }
}

// Volumes near the ends snap to them, so silence and full volume are easy to reach.
int SnappedVolume(int value) {
    if (value < 6) return 0;
    if (value > 94) return 100;
    return value;
}

// One line per detected joystick; clicking a name switches the port off or on again.
void JoystickList(int x) {
    ScaleTo(1);
    for (int port = 1; port <= controls::JoyPortCount; ++port) {
        controls::JoyPort& joystick = controls::JoyPorts[port];
        const int line_y = panel_y + 230 + (port - 1) * 15;
        const bool button_held = platform::JoyDown(0, port - 1);
        SetColorAlpha(button_held ? 255.0f : 80.0f, 255, 80, joystick.enabled == 1 ? 1.0f : 0.2f);
        framework::DrawTextAligned(x, line_y, joystick.name);
        if (LeftClicks != 0 && framework::PointerIn(x, line_y, platform::TextWidth(joystick.name), 14)) {
            LeftClicks = 0;
            joystick.enabled = 1 - joystick.enabled;
        }
    }
    SetColorAlpha(80, 255, 80, 1);
}

void AudioColumn() {
    const int x = framework::VirtualWidth - 280;
    SetColorAlpha(80, 255, 80, 1);
    OptionRow(14, x, 20, kIconAudio, {"AUDIO"});
    ScaleTo(1);
    SetColorAlpha(255, 180, 180);
    framework::DrawTextAligned(x, panel_y + 50, "Changes require a Restart");
    int* volumes = framework::Settings;
    volumes[11] = SnappedVolume(VolumeSlider(volumes[11], x, 70, "Master Volume"));
    volumes[12] = SnappedVolume(VolumeSlider(volumes[12], x, 120, "Sounds"));
    volumes[13] = SnappedVolume(VolumeSlider(volumes[13], x, 170, "Music"));
    JoystickList(x);
}

}  // namespace

void SettingsMenu() {
    LeftClicks = platform::MouseHit(1);
    RightClicks = platform::MouseHit(2);
    ReadArrowKeys();
    Slide();
    if (panel_y <= PanelHiddenY) return;
    DrawBackground();
    // The panel's icons must never be starved by what the screen below drew this frame.
    framework::SpriteCounts[framework::MainSprites] = 0;
    framework::SpriteCounts[framework::GlowSprites] = 0;
    GraphicsColumn();
    Pads();
    AudioColumn();
}

int OptionRow(int setting, int x, int y, int first_icon, const std::vector<std::string>& given) {
    const std::vector<std::string> labels =
        !given.empty() && given.front() == "AUDIO" ? AudioDriverLabels() : given;
    const int count = OptionCount(labels);
    const int value = framework::Settings[setting];
    const std::string& label = CurrentLabel(labels, value);
    const int top = y + panel_y;

    ScaleTo(1);
    UsePanelFont();
    std::string first, second;
    if (SplitLabel(label, first, second)) {
        framework::DrawTextAligned(x + 38, top + 8, first, 0, 1);
        framework::DrawTextAligned(x + 38, top + 24, second, 0, 1);
    } else {
        framework::DrawTextAligned(x + 38, top + 16, first, 0, 1);
    }
    const int width = platform::TextWidth(first);

    ScaleTo(2);
    const bool over = framework::PointerIn(x, top, width + 38, 32);
    if (!over) {
        framework::DrawSprite(framework::IconsSharp, x, top, first_icon + value, framework::MainSprites);
        return 0;
    }
    framework::DrawGlowSprite(framework::IconsSharp, x, top, first_icon + value, framework::IconsFiltered,
                              1.1f, 0.8f);
    // A single-option row (Resolution, or the audio row without drivers) has nothing to step to;
    // stepping it would overwrite a setting that is not the row's to choose.
    if (LeftClicks != 0 && count > 1) framework::Settings[setting] = ((value + 1) % count + count) % count;
    return 1;
}

int VolumeSlider(int value, int x, int y, const std::string& label) {
    const int top = y + panel_y;
    SetColorAlpha(80, 255, 80);
    ScaleTo(3.1f, 1.5f);
    framework::DrawSprite(framework::IconsSharp, x - 2, top, kIconTrackLeft, framework::MainSprites);
    framework::DrawSprite(framework::IconsSharp, x + 48, top, kIconTrackRight, framework::MainSprites);
    SetColorAlpha(255, 80, 80);
    ScaleTo(1, 1.5f);
    framework::DrawSprite(framework::IconsSharp, x + value - 9, top, kIconKnob, framework::MainSprites);
    SetColorAlpha(80, 180, 255);
    if (framework::PointerIn(x - 2, top - 4, 100, 24) && platform::MouseDown(1)) {
        value = framework::PointerX - (x - 2);
    }
    ScaleTo(1);
    // The label shows the volume as it is stored, so a drag to the end reads 0 or 100 at once.
    framework::DrawTextAligned(x, top + 20, label + " : " + std::to_string(SnappedVolume(value)));
    return value;
}

void BindingButton(int binding, int x, int y) {
    int& entry = controls::ControlBindings[binding];
    const int code = entry;  // drawn as it was at the start of the call
    bool active = false;
    if (framework::PointerIn(x, y, 48, 48) && panel_y >= 0) {
        active = true;
        const int detected = controls::DetectInput();
        if (detected > kKeyBackspace) entry = detected;
        if (detected == kKeyBackspace) entry = controls::NoInput;
    }
    if (controls::InputDown(entry)) active = true;

    int frame = -1, text_x = x + 24, text_y = y + 24;
    std::string name;
    if (code == controls::NoInput) {
        frame = kIconKey;
        name = "?!";
    } else if (code >= 9 && code <= 254) {
        frame = kIconKey;
        name = controls::InputName(code);
    } else if (code >= 300) {
        const int offset = code % controls::CodesPerPort;
        name = controls::InputName(code);
        if (offset < 12 || (offset >= 20 && offset <= 29)) {
            // Sticks and hats carry their direction at the icon's top-left corner.
            frame = offset < 12 ? kIconAxis : kIconHat;
            text_x = x;
            text_y = y;
        } else if (offset >= 30) {
            frame = kIconJoyButton;
        }
    }
    if (frame < 0) return;  // a code no input can hold: nothing to show
    ScaleTo(3);
    framework::DrawGlowSprite(framework::IconsSharp, x, y, frame, framework::IconsFiltered, 1.1f,
                              active ? 1.0f : 0.0f);
    ScaleTo(1);
    UsePanelFont();
    framework::DrawTextAligned(text_x, text_y, name, 1, 1);
}

void InstallSettingsMenu() {
    framework::Screens.settings_menu = SettingsMenu;
}

}  // namespace menus
