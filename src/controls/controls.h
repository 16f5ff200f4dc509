// Controls: the numbering of input codes (keyboard keys and joystick directions and buttons),
// their display names, the binding table with its defaults, reading a control and detecting a
// newly held input for rebinding. Play input and menu navigation read controls, never keys.
#pragma once

#include <string>

namespace controls {

// ---- Input codes ---------------------------------------------------------------------------------
// 0 no input; 1-254 keyboard keys (Windows virtual-key numbering; 1-3 name the mouse buttons but
// are never held); 300-499 joystick inputs, 50 per port; everything else is never held.

inline constexpr int NoInput = 0;
inline constexpr int CodesPerPort = 50;
inline constexpr int MaxJoyPorts = 4;
// Distance from an axis' rest reading beyond which a direction counts as held (strictly).
inline constexpr float AxisThreshold = 0.3f;

// Offsets within a port's block of codes.
inline constexpr int JoyYMinus = 0, JoyYPlus = 1, JoyXMinus = 2, JoyXPlus = 3, JoyZMinus = 4, JoyZPlus = 5;
inline constexpr int JoyUMinus = 6, JoyUPlus = 7, JoyVMinus = 8, JoyVPlus = 9, JoyRMinus = 10, JoyRPlus = 11;
inline constexpr int JoyHatUp = 20, JoyHatLeft = 23, JoyHatRight = 25, JoyHatDown = 28;
// Offset of button 0; buttons 0 to 19 follow.
inline constexpr int JoyButton0 = 30;

// The code of an offset on joystick port (1 to 4): 250 + 50 * port + offset.
constexpr int JoyCode(int port, int offset) {
    return 250 + CodesPerPort * port + offset;
}

// ---- Controls and bindings -------------------------------------------------------------------------

// Control slots of a player (0 to 19); these eight are read by the menus and the game.
inline constexpr int Up = 0, Left = 3, Right = 5, Down = 8;
inline constexpr int FaceGreen = 10, FaceRed = 11, FaceBlue = 12, FaceYellow = 13;
inline constexpr int ControlsPerPlayer = 20;
inline constexpr int MaxPlayers = 5;
inline constexpr int BindingCount = 101;

// Input code of control c of player p at (p - 1) * 20 + c; index 100 belongs to no pair. Filled
// with the defaults by InitControls, then overridden by the setup file and the rebinding buttons.
extern int ControlBindings[BindingCount];

// Index of control (0 to 19) of player (1 to 5) in ControlBindings.
constexpr int BindingIndex(int control, int player) {
    return (player - 1) * ControlsPerPlayer + control;
}

// ---- Joystick snapshot -----------------------------------------------------------------------------

// One joystick port as found at start-up. All fields 0 for a port that was not detected.
struct JoyPort {
    int enabled = 0;  // 0: the port's codes are never held and never detected (menu toggle)
    std::string name;
    int button_count = 0;
    // Axis readings at start-up; every direction is judged against these.
    float rest_x = 0, rest_y = 0, rest_z = 0, rest_u = 0, rest_v = 0, rest_r = 0;
    int hat_usable = 0;  // 1 when the hat read exactly -1 (centred) at start-up
};

// Ports 1 to 4 (entry 0 unused), taken once by InitControls.
extern JoyPort JoyPorts[MaxJoyPorts + 1];
// Number of detected ports, 0 to 4.
extern int JoyPortCount;

// ---- Operations ------------------------------------------------------------------------------------

// Takes the joystick snapshot and fills ControlBindings with the defaults (player 1: arrows for
// the directions, Z X C V for the face buttons; everything else unbound).
void InitControls();
// Whether the input named by code is held now.
bool InputDown(int code);
// Whether control (0 to 19) of player (1 to 5) is held; false for any other pair.
bool ControlDown(int control, int player);
// The first held input in the fixed scan order (keys 1-255, then each enabled port's axes, hat
// and buttons 0-18), or 0 when none is held or F11 or F12 is held.
int DetectInput();
// Display name of a code; code 0 (unbound) is "None".
std::string InputName(int code);
// Back to start-up state: every binding 0, no joystick ports.
void ResetControls();

}  // namespace controls
