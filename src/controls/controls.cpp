// Reading controls against the platform's keyboard and joystick state, detecting a new binding
// and naming input codes.
#include "controls/controls.h"

#include <algorithm>

#include "platform/input.h"

namespace controls {

int ControlBindings[BindingCount];
JoyPort JoyPorts[MaxJoyPorts + 1];
int JoyPortCount = 0;

namespace {

constexpr int kKeyF11 = 122, kKeyF12 = 123;
constexpr int kLastKeyCode = 254;
constexpr int kLastDetectedKey = 255;
// Button 19 can be held but is left out of the detection scan.
constexpr int kDetectedButtons = 19;

// Names of offsets 0 to 11, in offset order.
const char* const kAxisNames[12] = {"Y-", "Y+", "X-", "X+", "Z-", "Z+", "U-", "U+", "V-", "V+", "R-", "R+"};

// The platform axis and the rest value behind an axis offset pair (0/1 y, 2/3 x, 4/5 z, 6/7 u,
// 8/9 v, 10/11 r).
int PlatformAxis(int offset) {
    static const int kAxes[6] = {platform::JoyY, platform::JoyX, platform::JoyZ,
                                 platform::JoyU, platform::JoyV, platform::JoyR};
    return kAxes[offset / 2];
}

float RestValue(const JoyPort& port, int offset) {
    const float rests[6] = {port.rest_y, port.rest_x, port.rest_z, port.rest_u, port.rest_v, port.rest_r};
    return rests[offset / 2];
}

// Even offsets are the minus direction, odd ones the plus direction; both comparisons are strict.
bool AxisHeld(int port, int offset) {
    const float reading = platform::JoyAxis(port - 1, PlatformAxis(offset));
    const float rest = RestValue(JoyPorts[port], offset);
    if (offset % 2 == 0) return reading < rest - AxisThreshold;
    return reading > rest + AxisThreshold;
}

// The hat ranges overlap, so a diagonal holds both neighbouring directions. Up excludes the
// centred reading -1 through its lower bound 0.
bool HatHeld(int port, int offset) {
    if (JoyPorts[port].hat_usable != 1) return false;
    const float h = platform::JoyHat(port - 1);
    switch (offset) {
        case JoyHatUp:
            return h > 0.8f || (h >= 0.0f && h < 0.2f);
        case JoyHatRight:
            return h > 0.1f && h < 0.4f;
        case JoyHatDown:
            return h > 0.3f && h < 0.7f;
        case JoyHatLeft:
            return h > 0.6f && h < 0.9f;
        default:
            return false;
    }
}

// A port's codes are live only for a detected port that is switched on.
bool PortLive(int port) {
    return port >= 1 && port <= MaxJoyPorts && port <= JoyPortCount && JoyPorts[port].enabled == 1;
}

bool JoyInputDown(int code) {
    const int port = code / CodesPerPort - 5;
    const int offset = code % CodesPerPort;
    if (!PortLive(port)) return false;
    if (offset <= JoyRPlus) return AxisHeld(port, offset);
    if (offset >= JoyButton0) return platform::JoyDown(offset - JoyButton0, port - 1);
    return HatHeld(port, offset);
}

// Detection accepts only the four exact hat positions, never a diagonal.
int DetectHat(int port) {
    const float h = platform::JoyHat(port - 1);
    if (h == 0.0f) return JoyHatUp;
    if (h == 0.25f) return JoyHatRight;
    if (h == 0.5f) return JoyHatDown;
    if (h == 0.75f) return JoyHatLeft;
    return -1;
}

// The first held input of one port: axes y, x, z, u, v, r (minus before plus), hat, buttons.
int DetectOnPort(int port) {
    for (int offset = JoyYMinus; offset <= JoyRPlus; ++offset) {
        if (AxisHeld(port, offset)) return JoyCode(port, offset);
    }
    if (JoyPorts[port].hat_usable == 1) {
        const int hat = DetectHat(port);
        if (hat >= 0) return JoyCode(port, hat);
    }
    const int buttons = std::min(JoyPorts[port].button_count, kDetectedButtons);
    for (int button = 0; button < buttons; ++button) {
        if (platform::JoyDown(button, port - 1)) return JoyCode(port, JoyButton0 + button);
    }
    return NoInput;
}

void TakeJoystickSnapshot() {
    JoyPortCount = std::clamp(platform::JoyCount(), 0, MaxJoyPorts);
    for (int port = 1; port <= MaxJoyPorts; ++port) JoyPorts[port] = JoyPort{};
    for (int port = 1; port <= JoyPortCount; ++port) {
        JoyPort& p = JoyPorts[port];
        const int device = port - 1;
        p.button_count = platform::JoyButtonCount(device);
        p.name = platform::JoyName(device);
        p.rest_x = platform::JoyAxis(device, platform::JoyX);
        p.rest_y = platform::JoyAxis(device, platform::JoyY);
        p.rest_z = platform::JoyAxis(device, platform::JoyZ);
        p.rest_u = platform::JoyAxis(device, platform::JoyU);
        p.rest_v = platform::JoyAxis(device, platform::JoyV);
        p.rest_r = platform::JoyAxis(device, platform::JoyR);
        p.enabled = 1;
        p.hat_usable = platform::JoyHat(device) == -1.0f ? 1 : 0;
    }
}

void SetDefaultBindings() {
    std::fill(std::begin(ControlBindings), std::end(ControlBindings), NoInput);
    ControlBindings[BindingIndex(Up, 1)] = 38;
    ControlBindings[BindingIndex(Left, 1)] = 37;
    ControlBindings[BindingIndex(Right, 1)] = 39;
    ControlBindings[BindingIndex(Down, 1)] = 40;
    ControlBindings[BindingIndex(FaceGreen, 1)] = 90;   // Z
    ControlBindings[BindingIndex(FaceRed, 1)] = 88;     // X
    ControlBindings[BindingIndex(FaceBlue, 1)] = 67;    // C
    ControlBindings[BindingIndex(FaceYellow, 1)] = 86;  // V
}

// Names of the keyboard codes that have one of their own; nullptr falls to the joystick rule.
const char* KeyName(int code) {
    switch (code) {
        case 1:
            return "Left Mousebutton";
        case 2:
            return "Right Mousebutton";
        case 3:
            return "Middle Mousebutton";
        case 8:
            return "Backspace";
        case 9:
            return "Tab";
        case 12:
            return "Clear";
        case 13:
            return "Return";
        case 19:
            return "Pause";
        case 20:
            return "CapsLock";
        case 27:
            return "Escape";
        case 32:
            return "Space";
        case 33:
            return "Page Up";
        case 34:
            return "Page Down";
        case 35:
            return "End";
        case 36:
            return "Home";
        case 37:
            return "Left";
        case 38:
            return "Up";
        case 39:
            return "Right";
        case 40:
            return "Down";
        case 41:
            return "Select";
        case 42:
            return "Print";
        case 43:
            return "Execute";
        case 44:
            return "Screen";
        case 45:
            return "Insert";
        case 46:
            return "Delete";
        case 91:
            return "Sys Left";
        case 92:
            return "Sys Right";
        case 106:
            return "*";
        case 107:
            return "+";
        case 109:
            return "-";
        case 110:
            return ".";
        case 111:
            return "/";
        case 144:
            return "NumLock";
        case 145:
            return "ScrollLock";
        case 160:
            return "LShift";
        case 161:
            return "RShift";
        case 162:
            return "LControl";
        case 163:
            return "RControl";
        case 164:
            return "LAlt";
        case 165:
            return "RAlt";
        case 173:
            return "Mute";
        case 174:
            return "Volume Down";
        case 175:
            return "Volume Up";
        default:
            return nullptr;
    }
}

// Punctuation of a UK keyboard layout.
const char* PunctuationName(int code) {
    switch (code) {
        case 186:
            return ";";
        case 187:
            return "=";
        case 188:
            return ",";
        case 189:
            return "-";
        case 190:
            return ".";
        case 191:
            return "/";
        case 192:
            return "'";
        case 219:
            return "[";
        case 220:
            return "\\";
        case 221:
            return "]";
        case 222:
            return "#";
        case 223:
            return "`";
        case 226:
            return "\\";
        default:
            return nullptr;
    }
}

// Every code without a name of its own is named as a joystick offset, keyboard codes included.
std::string JoystickRuleName(int code) {
    const int m = code % CodesPerPort;
    if (m >= 0 && m <= JoyRPlus) return kAxisNames[m];
    if (m == JoyHatUp) return "Up";
    if (m == JoyHatLeft) return "Left";
    if (m == JoyHatRight) return "Right";
    if (m == JoyHatDown) return "Down";
    return std::to_string(m - JoyButton0);
}

}  // namespace

void InitControls() {
    TakeJoystickSnapshot();
    SetDefaultBindings();
}

bool InputDown(int code) {
    if (code >= 10 && code <= kLastKeyCode && platform::KeyDown(code)) return true;
    if (code <= 299) return false;
    return JoyInputDown(code);
}

bool ControlDown(int control, int player) {
    if (control < 0 || control >= ControlsPerPlayer || player < 1 || player > MaxPlayers) return false;
    return InputDown(ControlBindings[BindingIndex(control, player)]);
}

int DetectInput() {
    // F11 and F12 are the framework's screenshot and overlay keys; holding one hides the rest.
    if (platform::KeyDown(kKeyF11) || platform::KeyDown(kKeyF12)) return NoInput;
    for (int code = 1; code <= kLastDetectedKey; ++code) {
        if (platform::KeyDown(code)) return code;
    }
    for (int port = 1; port <= JoyPortCount; ++port) {
        if (!PortLive(port)) continue;
        const int found = DetectOnPort(port);
        if (found != NoInput) return found;
    }
    return NoInput;
}

std::string InputName(int code) {
    if (code == NoInput) return "None";
    if (code >= 48 && code <= 57) return std::string(1, static_cast<char>(code));
    if (code >= 65 && code <= 90) return std::string(1, static_cast<char>(code));
    if (code >= 96 && code <= 105) return std::string(1, static_cast<char>('0' + code - 96));
    if (code >= 112 && code <= 123) return "F" + std::to_string(code - 111);
    if (const char* name = KeyName(code)) return name;
    if (const char* name = PunctuationName(code)) return name;
    return JoystickRuleName(code);
}

void ResetControls() {
    std::fill(std::begin(ControlBindings), std::end(ControlBindings), NoInput);
    for (JoyPort& port : JoyPorts) port = JoyPort{};
    JoyPortCount = 0;
}

}  // namespace controls
