// The scripted input back-end: a queue of actions keyed by frame number or clock time, run when
// the platform pumps events, and four virtual joystick ports the script sets directly.
#include "platform/headless/script_input.h"

#include <algorithm>
#include <vector>

#include "platform/clock.h"
#include "platform/service_backends.h"

namespace platform::headless {
namespace {

constexpr int kPorts = 4;
constexpr int kAxes = 6;

struct VirtualJoystick {
    bool attached = false;
    std::string name;
    int button_count = 0;
    float axes[kAxes] = {};
    float hat = -1.0f;
    std::vector<bool> buttons;
};

struct Scheduled {
    bool by_frame;  // else by clock time
    int when;
    long long order;  // insertion order breaks ties
    std::function<void()> action;
};

class ScriptInput final : public detail::InputBackend {
  public:
    void Reset() {
        frame_ = 0;
        next_order_ = 0;
        pending_.clear();
        for (VirtualJoystick& joystick : ports_) joystick = VirtualJoystick{};
    }

    void Pump(bool from_frame) override {
        if (from_frame) ++frame_;
        RunDue();
    }
    int JoyCount() override {
        int count = 0;
        for (int port = 0; port < kPorts; ++port)
            if (ports_[port].attached) count = port + 1;
        return count;
    }
    std::string JoyName(int port) override { return Valid(port) ? ports_[port].name : ""; }
    int JoyButtonCount(int port) override { return Valid(port) ? ports_[port].button_count : 0; }
    float JoyAxis(int port, int axis) override {
        return (Valid(port) && axis >= 0 && axis < kAxes) ? ports_[port].axes[axis] : 0.0f;
    }
    float JoyHat(int port) override { return Valid(port) ? ports_[port].hat : -1.0f; }
    bool JoyDown(int button, int port) override {
        if (!Valid(port) || button < 0 || button >= ports_[port].button_count) return false;
        return ports_[port].buttons[button];
    }

    int Frame() const { return frame_; }
    void Schedule(bool by_frame, int when, std::function<void()> action) {
        pending_.push_back({by_frame, when, next_order_++, std::move(action)});
    }
    VirtualJoystick* Port(int port) { return Valid(port) ? &ports_[port] : nullptr; }
    VirtualJoystick* FreePort(int* index) {
        for (int port = 0; port < kPorts; ++port) {
            if (!ports_[port].attached) {
                *index = port;
                return &ports_[port];
            }
        }
        return nullptr;
    }

  private:
    int frame_ = 0;
    long long next_order_ = 0;
    std::vector<Scheduled> pending_;
    VirtualJoystick ports_[kPorts];

    bool Valid(int port) const { return port >= 0 && port < kPorts && ports_[port].attached; }

    // Takes the due actions out before running them, so an action may schedule more.
    void RunDue() {
        if (pending_.empty()) return;
        const int now = MilliSecs();
        std::vector<Scheduled> due;
        auto is_due = [&](const Scheduled& s) { return s.by_frame ? s.when <= frame_ : s.when <= now; };
        for (Scheduled& s : pending_)
            if (is_due(s)) due.push_back(std::move(s));
        std::erase_if(pending_, [&](const Scheduled& s) { return !s.action || is_due(s); });
        std::stable_sort(due.begin(), due.end(), [](const Scheduled& a, const Scheduled& b) {
            if (a.by_frame != b.by_frame) return a.by_frame;  // frame actions first
            return a.when != b.when ? a.when < b.when : a.order < b.order;
        });
        for (Scheduled& s : due) s.action();
    }
};

ScriptInput script;
bool active = false;

ScriptInput& Script() {
    if (!active) UseScriptInput();
    return script;
}

}  // namespace

void UseScriptInput() {
    script.Reset();
    detail::ResetInputState();
    detail::InstallInputBackend(&script);
    active = true;
}

void UseSdlInput() {
    detail::InstallInputBackend(nullptr);
    detail::ResetInputState();
    active = false;
}

bool ScriptInputActive() {
    return active;
}

int FrameNumber() {
    return active ? script.Frame() : 0;
}

void AtFrame(int frame, std::function<void()> action) {
    Script().Schedule(true, frame, std::move(action));
}

void AtTime(int ms, std::function<void()> action) {
    Script().Schedule(false, ms, std::move(action));
}

void PressKey(int code) {
    Script();
    detail::ApplyKey(code, true);
}

void ReleaseKey(int code) {
    Script();
    detail::ApplyKey(code, false);
}

void TapKey(int code) {
    PressKey(code);
    ReleaseKey(code);
}

void RepeatKey(int code) {
    Script();
    detail::ApplyKey(code, true, true);
}

void TypeText(const std::string& utf8) {
    Script();
    detail::QueueUtf8Text(utf8.c_str());
}

void TypeChar(int code) {
    Script();
    detail::QueueChar(code);
}

void MovePointer(int window_x, int window_y) {
    Script();
    detail::ApplyMouseMove(window_x, window_y);
}

void PressButton(int button) {
    Script();
    detail::ApplyMouseButton(button, true);
}

void ReleaseButton(int button) {
    Script();
    detail::ApplyMouseButton(button, false);
}

void TurnWheel(int steps) {
    Script();
    detail::ApplyWheel(steps);
}

void RequestClose() {
    Script();
    detail::ApplyCloseRequest();
}

int AttachJoystick(const std::string& name, int button_count) {
    int port = -1;
    VirtualJoystick* joystick = Script().FreePort(&port);
    if (!joystick) return -1;
    *joystick = VirtualJoystick{};
    joystick->attached = true;
    joystick->name = name;
    joystick->button_count = std::max(0, button_count);
    joystick->buttons.assign(joystick->button_count, false);
    return port;
}

void DetachJoystick(int port) {
    if (VirtualJoystick* joystick = Script().Port(port)) *joystick = VirtualJoystick{};
}

void SetJoyAxis(int port, int axis, float value) {
    VirtualJoystick* joystick = Script().Port(port);
    if (joystick && axis >= 0 && axis < kAxes) joystick->axes[axis] = std::clamp(value, -1.0f, 1.0f);
}

void SetJoyHat(int port, float hat) {
    if (VirtualJoystick* joystick = Script().Port(port)) joystick->hat = hat;
}

void SetJoyButton(int port, int button, bool down) {
    VirtualJoystick* joystick = Script().Port(port);
    if (joystick && button >= 0 && button < joystick->button_count) joystick->buttons[button] = down;
}

}  // namespace platform::headless
