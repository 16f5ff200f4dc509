// Keyboard, mouse, wheel, typed characters, close requests and joysticks: the shared input state
// that every input back-end feeds, and the public readers over it. Events are pumped at every
// Flip (through PollEvents) and, at most once a millisecond, when input is read, so a screen that
// polls without presenting (the exit screen) still sees fresh input.
#include "platform/input.h"

#include <climits>

#include "platform/clock.h"
#include "platform/internal.h"
#include "platform/service_backends.h"

namespace platform {
namespace {

constexpr int kKeys = 256;
constexpr int kRing = 256;
constexpr int kButtons = 3;

struct InputState {
    bool key_down[kKeys] = {};
    int key_hits[kKeys] = {};
    unsigned char ring[kRing] = {};
    int ring_head = 0;  // index of the oldest character
    int ring_count = 0;
    bool button_down[kButtons + 1] = {};  // index 0 unused
    int button_hits[kButtons + 1] = {};
    int pointer_x = 0;  // window pixels
    int pointer_y = 0;
    int wheel = 0;
    bool close_requested = false;
};

InputState state;
detail::InputBackend* installed = nullptr;
int last_poll_ms = INT_MIN;

detail::InputBackend& Backend() {
    return installed ? *installed : detail::SdlInputBackend();
}

// Readers call this first: pumps events when the clock has moved on since the previous pump.
void RefreshIfStale() {
    const int now = MilliSecs();
    if (now == last_poll_ms) return;
    last_poll_ms = now;
    Backend().Pump(false);
}

bool ValidKey(int code) {
    return code >= 0 && code < kKeys;
}
bool ValidButton(int button) {
    return button >= 1 && button <= kButtons;
}

// Control keys are queued as characters too, so text entry can read Return, Backspace, Tab and
// Escape through GetChar (auto-repeat included, so a held Backspace keeps deleting).
int ControlCharacter(int code) {
    switch (code) {
        case 8:
        case 9:
        case 13:
        case 27:
            return code;
        default:
            return 0;
    }
}

}  // namespace

namespace detail {

void InstallInputBackend(InputBackend* backend) {
    installed = backend;
    last_poll_ms = INT_MIN;
}

void ResetInputState() {
    state = InputState{};
    last_poll_ms = INT_MIN;
}

void ApplyKey(int code, bool down, bool repeat) {
    if (code == 0 || !ValidKey(code)) return;  // 0: a key without a code
    if (down) {
        // A hit is a transition to down; the system's auto-repeat of a held key is not a press.
        if (!state.key_down[code] && !repeat) ++state.key_hits[code];
        state.key_down[code] = true;
        if (const int ch = ControlCharacter(code)) QueueChar(ch);
    } else {
        state.key_down[code] = false;
    }
}

void QueueChar(int code) {
    if (code < 1 || code > 255 || state.ring_count == kRing) return;
    state.ring[(state.ring_head + state.ring_count) % kRing] = static_cast<unsigned char>(code);
    ++state.ring_count;
}

void QueueUtf8Text(const char* utf8) {
    const auto* p = reinterpret_cast<const unsigned char*>(utf8);
    while (*p) {
        int extra = 0;
        unsigned code = *p;
        if (code < 0x80) {
            extra = 0;
        } else if ((code & 0xe0) == 0xc0) {
            extra = 1, code &= 0x1f;
        } else if ((code & 0xf0) == 0xe0) {
            extra = 2, code &= 0x0f;
        } else if ((code & 0xf8) == 0xf0) {
            extra = 3, code &= 0x07;
        } else {
            ++p;  // a stray continuation or invalid lead byte
            continue;
        }
        ++p;
        bool complete = true;
        for (int i = 0; i < extra; ++i, ++p) {
            if ((*p & 0xc0) != 0x80) {
                complete = false;  // truncated sequence: resume at this byte
                break;
            }
            code = (code << 6) | (*p & 0x3f);
        }
        if (complete && code <= 255) QueueChar(static_cast<int>(code));
    }
}

void ApplyMouseMove(int window_x, int window_y) {
    state.pointer_x = window_x;
    state.pointer_y = window_y;
}

void ApplyMouseButton(int button, bool down) {
    if (!ValidButton(button)) return;
    if (down && !state.button_down[button]) ++state.button_hits[button];
    state.button_down[button] = down;
}

void ApplyWheel(int steps) {
    state.wheel += steps;
}

void ApplyCloseRequest() {
    state.close_requested = true;
}

}  // namespace detail

void PollEvents() {
    last_poll_ms = MilliSecs();
    Backend().Pump(true);
}

bool KeyDown(int code) {
    RefreshIfStale();
    return ValidKey(code) && state.key_down[code];
}

int KeyHit(int code) {
    RefreshIfStale();
    if (!ValidKey(code)) return 0;
    const int hits = state.key_hits[code];
    state.key_hits[code] = 0;
    return hits;
}

void FlushKeys() {
    RefreshIfStale();
    for (int i = 0; i < kKeys; ++i) {
        state.key_down[i] = false;
        state.key_hits[i] = 0;
    }
    state.ring_head = 0;
    state.ring_count = 0;
}

int GetChar() {
    RefreshIfStale();
    if (state.ring_count == 0) return 0;
    const int code = state.ring[state.ring_head];
    state.ring_head = (state.ring_head + 1) % kRing;
    --state.ring_count;
    return code;
}

int MouseX() {
    RefreshIfStale();
    return static_cast<int>(static_cast<float>(state.pointer_x) * detail::MouseScaleX());
}

int MouseY() {
    RefreshIfStale();
    return static_cast<int>(static_cast<float>(state.pointer_y) * detail::MouseScaleY());
}

bool MouseDown(int button) {
    RefreshIfStale();
    return ValidButton(button) && state.button_down[button];
}

int MouseHit(int button) {
    RefreshIfStale();
    if (!ValidButton(button)) return 0;
    const int hits = state.button_hits[button];
    state.button_hits[button] = 0;
    return hits;
}

int MouseWheel() {
    RefreshIfStale();
    const int steps = state.wheel;
    state.wheel = 0;
    return steps;
}

bool CloseRequested() {
    RefreshIfStale();
    const bool requested = state.close_requested;
    state.close_requested = false;
    return requested;
}

int JoyCount() {
    RefreshIfStale();
    return Backend().JoyCount();
}

std::string JoyName(int port) {
    return Backend().JoyName(port);
}

int JoyButtonCount(int port) {
    return Backend().JoyButtonCount(port);
}

float JoyAxis(int port, int axis) {
    RefreshIfStale();
    return Backend().JoyAxis(port, axis);
}

float JoyHat(int port) {
    RefreshIfStale();
    return Backend().JoyHat(port);
}

bool JoyDown(int button, int port) {
    RefreshIfStale();
    return Backend().JoyDown(button, port);
}

}  // namespace platform
