// The SDL input back-end: keyboard, text, mouse and window events from SDL's queue, turned into
// the platform's key codes (Windows virtual-key numbering, taken from physical scancodes so the
// codes do not depend on the keyboard layout), and up to four joysticks on stable ports.
#include <SDL.h>

#include <array>
#include <string>

#include "platform/service_backends.h"

namespace platform::detail {
namespace {

constexpr int kPorts = 4;

// Scancode -> key code; 0 where the key has no code.
std::array<unsigned char, SDL_NUM_SCANCODES> BuildKeyTable() {
    std::array<unsigned char, SDL_NUM_SCANCODES> table{};
    for (int i = 0; i < 26; ++i) table[SDL_SCANCODE_A + i] = static_cast<unsigned char>(65 + i);
    for (int i = 0; i < 9; ++i) table[SDL_SCANCODE_1 + i] = static_cast<unsigned char>(49 + i);
    table[SDL_SCANCODE_0] = 48;
    for (int i = 0; i < 9; ++i) table[SDL_SCANCODE_KP_1 + i] = static_cast<unsigned char>(97 + i);
    table[SDL_SCANCODE_KP_0] = 96;
    for (int i = 0; i < 12; ++i) table[SDL_SCANCODE_F1 + i] = static_cast<unsigned char>(112 + i);
    for (int i = 0; i < 12; ++i) table[SDL_SCANCODE_F13 + i] = static_cast<unsigned char>(124 + i);
    const std::pair<SDL_Scancode, int> named[] = {
        {SDL_SCANCODE_BACKSPACE, 8},
        {SDL_SCANCODE_TAB, 9},
        {SDL_SCANCODE_CLEAR, 12},
        {SDL_SCANCODE_KP_CLEAR, 12},
        {SDL_SCANCODE_RETURN, 13},
        {SDL_SCANCODE_KP_ENTER, 13},
        {SDL_SCANCODE_RETURN2, 13},
        {SDL_SCANCODE_PAUSE, 19},
        {SDL_SCANCODE_CAPSLOCK, 20},
        {SDL_SCANCODE_ESCAPE, 27},
        {SDL_SCANCODE_SPACE, 32},
        {SDL_SCANCODE_PAGEUP, 33},
        {SDL_SCANCODE_PAGEDOWN, 34},
        {SDL_SCANCODE_END, 35},
        {SDL_SCANCODE_HOME, 36},
        {SDL_SCANCODE_LEFT, 37},
        {SDL_SCANCODE_UP, 38},
        {SDL_SCANCODE_RIGHT, 39},
        {SDL_SCANCODE_DOWN, 40},
        {SDL_SCANCODE_SELECT, 41},
        {SDL_SCANCODE_EXECUTE, 43},
        {SDL_SCANCODE_PRINTSCREEN, 44},
        {SDL_SCANCODE_INSERT, 45},
        {SDL_SCANCODE_DELETE, 46},
        {SDL_SCANCODE_HELP, 47},
        {SDL_SCANCODE_LGUI, 91},
        {SDL_SCANCODE_RGUI, 92},
        {SDL_SCANCODE_APPLICATION, 93},
        {SDL_SCANCODE_KP_MULTIPLY, 106},
        {SDL_SCANCODE_KP_PLUS, 107},
        {SDL_SCANCODE_KP_MINUS, 109},
        {SDL_SCANCODE_KP_PERIOD, 110},
        {SDL_SCANCODE_KP_DIVIDE, 111},
        {SDL_SCANCODE_NUMLOCKCLEAR, 144},
        {SDL_SCANCODE_SCROLLLOCK, 145},
        {SDL_SCANCODE_LSHIFT, 160},
        {SDL_SCANCODE_RSHIFT, 161},
        {SDL_SCANCODE_LCTRL, 162},
        {SDL_SCANCODE_RCTRL, 163},
        {SDL_SCANCODE_LALT, 164},
        {SDL_SCANCODE_RALT, 165},
        {SDL_SCANCODE_MUTE, 173},
        {SDL_SCANCODE_AUDIOMUTE, 173},
        {SDL_SCANCODE_VOLUMEDOWN, 174},
        {SDL_SCANCODE_VOLUMEUP, 175},
        {SDL_SCANCODE_SEMICOLON, 186},
        {SDL_SCANCODE_EQUALS, 187},
        {SDL_SCANCODE_COMMA, 188},
        {SDL_SCANCODE_MINUS, 189},
        {SDL_SCANCODE_PERIOD, 190},
        {SDL_SCANCODE_SLASH, 191},
        {SDL_SCANCODE_APOSTROPHE, 192},
        {SDL_SCANCODE_LEFTBRACKET, 219},
        {SDL_SCANCODE_BACKSLASH, 220},
        {SDL_SCANCODE_RIGHTBRACKET, 221},
        {SDL_SCANCODE_NONUSHASH, 222},
        {SDL_SCANCODE_GRAVE, 223},
        {SDL_SCANCODE_NONUSBACKSLASH, 226},
    };
    for (const auto& [scancode, code] : named) table[scancode] = static_cast<unsigned char>(code);
    return table;
}

int KeyCode(SDL_Scancode scancode) {
    static const auto table = BuildKeyTable();
    return (scancode >= 0 && scancode < SDL_NUM_SCANCODES) ? table[scancode] : 0;
}

// SDL numbers the middle button 2 and the right 3; the platform numbers right 2, middle 3.
int ButtonNumber(Uint8 sdl_button) {
    switch (sdl_button) {
        case SDL_BUTTON_LEFT:
            return 1;
        case SDL_BUTTON_RIGHT:
            return 2;
        case SDL_BUTTON_MIDDLE:
            return 3;
        default:
            return 0;
    }
}

float HatFraction(Uint8 hat) {
    switch (hat) {
        case SDL_HAT_UP:
            return 0.0f;
        case SDL_HAT_RIGHTUP:
            return 0.125f;
        case SDL_HAT_RIGHT:
            return 0.25f;
        case SDL_HAT_RIGHTDOWN:
            return 0.375f;
        case SDL_HAT_DOWN:
            return 0.5f;
        case SDL_HAT_LEFTDOWN:
            return 0.625f;
        case SDL_HAT_LEFT:
            return 0.75f;
        case SDL_HAT_LEFTUP:
            return 0.875f;
        default:
            return -1.0f;
    }
}

class SdlInput final : public InputBackend {
  public:
    void Pump(bool /*from_frame*/) override {
        SDL_Event event;
        while (SDL_PollEvent(&event)) Handle(event);
    }

    int JoyCount() override {
        // Ports stay where they were opened, so the count reaches the highest occupied port.
        int count = 0;
        for (int port = 0; port < kPorts; ++port)
            if (Port(port)) count = port + 1;
        return count;
    }
    std::string JoyName(int port) override {
        SDL_Joystick* joystick = Port(port);
        const char* name = joystick ? SDL_JoystickName(joystick) : nullptr;
        return name ? name : "";
    }
    int JoyButtonCount(int port) override {
        SDL_Joystick* joystick = Port(port);
        return joystick ? SDL_JoystickNumButtons(joystick) : 0;
    }
    float JoyAxis(int port, int axis) override {
        SDL_Joystick* joystick = Port(port);
        if (!joystick || axis < 0 || axis >= SDL_JoystickNumAxes(joystick)) return 0.0f;
        const float value = SDL_JoystickGetAxis(joystick, axis) / 32767.0f;
        return value < -1.0f ? -1.0f : value;  // -32768 would read just below -1
    }
    float JoyHat(int port) override {
        SDL_Joystick* joystick = Port(port);
        if (!joystick || SDL_JoystickNumHats(joystick) < 1) return -1.0f;
        return HatFraction(SDL_JoystickGetHat(joystick, 0));
    }
    bool JoyDown(int button, int port) override {
        SDL_Joystick* joystick = Port(port);
        if (!joystick || button < 0 || button >= SDL_JoystickNumButtons(joystick)) return false;
        return SDL_JoystickGetButton(joystick, button) != 0;
    }

  private:
    // Instance ids rather than handles: a handle dies with SDL_Quit, an id just stops resolving.
    SDL_JoystickID ports_[kPorts] = {-1, -1, -1, -1};
    bool started_ = false;  // this back-end holds a reference on SDL's joystick subsystem
    bool init_failed_ = false;

    void Handle(const SDL_Event& event);
    void OpenJoysticks();
    void AddJoystick(int device_index);
    void RemoveJoystick(SDL_JoystickID id);

    SDL_Joystick* Port(int port) {
        OpenJoysticks();
        if (port < 0 || port >= kPorts || ports_[port] < 0) return nullptr;
        return SDL_JoystickFromInstanceID(ports_[port]);
    }
};

void SdlInput::Handle(const SDL_Event& event) {
    switch (event.type) {
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            ApplyKey(KeyCode(event.key.keysym.scancode), event.type == SDL_KEYDOWN, event.key.repeat != 0);
            break;
        case SDL_TEXTINPUT:
            QueueUtf8Text(event.text.text);
            break;
        case SDL_MOUSEMOTION:
            ApplyMouseMove(event.motion.x, event.motion.y);
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            ApplyMouseMove(event.button.x, event.button.y);
            ApplyMouseButton(ButtonNumber(event.button.button), event.type == SDL_MOUSEBUTTONDOWN);
            break;
        case SDL_MOUSEWHEEL:
            ApplyWheel(event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y : event.wheel.y);
            break;
        case SDL_QUIT:
            ApplyCloseRequest();
            break;
        case SDL_WINDOWEVENT:
            if (event.window.event == SDL_WINDOWEVENT_CLOSE) ApplyCloseRequest();
            break;
        case SDL_JOYDEVICEADDED:
            if (started_) AddJoystick(event.jdevice.which);
            break;
        case SDL_JOYDEVICEREMOVED:
            if (started_) RemoveJoystick(event.jdevice.which);
            break;
        default:
            break;
    }
}

// The joystick subsystem starts on the first joystick query, so programs and tests that never
// ask pay nothing; devices present then take ports 0.. in SDL's index order. After an SDL_Quit
// (which closes every device) the next query starts it again.
void SdlInput::OpenJoysticks() {
    if (init_failed_ || (started_ && SDL_WasInit(SDL_INIT_JOYSTICK))) return;
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) {
        init_failed_ = true;
        return;
    }
    started_ = true;
    const int devices = SDL_NumJoysticks();
    for (int index = 0; index < devices; ++index) AddJoystick(index);
}

// A device already open (SDL also announces devices present at start-up) is left alone; a new
// one takes the first port whose device is gone.
void SdlInput::AddJoystick(int device_index) {
    const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(device_index);
    for (SDL_JoystickID open : ports_)
        if (open == id) return;
    for (SDL_JoystickID& slot : ports_) {
        if (slot < 0 || !SDL_JoystickFromInstanceID(slot)) {
            SDL_Joystick* joystick = SDL_JoystickOpen(device_index);
            slot = joystick ? SDL_JoystickInstanceID(joystick) : -1;
            return;
        }
    }
}

// The port of a removed device stays empty (reads as centred and released) until a device is
// added again, so other ports never move.
void SdlInput::RemoveJoystick(SDL_JoystickID id) {
    for (SDL_JoystickID& slot : ports_) {
        if (slot == id) {
            if (SDL_Joystick* joystick = SDL_JoystickFromInstanceID(id)) SDL_JoystickClose(joystick);
            slot = -1;
        }
    }
}

}  // namespace

InputBackend& SdlInputBackend() {
    static SdlInput backend;
    return backend;
}

}  // namespace platform::detail
