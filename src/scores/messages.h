// On-screen messages and badges. Any part of the program posts a short status message; the frame
// pump draws the stack in the bottom-left corner for three seconds, newest on top. Badges are up
// to 16 achievements per game, kept as bits of the game's badge counter and of its score record.
#pragma once

#include <cstdint>
#include <list>
#include <string>

namespace scores {

// Frames a message stays on screen, and the frames it shows black on yellow before turning white
// on a translucent black bar.
inline constexpr int MessageFrames = 180;
inline constexpr int MessageFreshFrames = 60;
// Badges a game can hold.
inline constexpr int MaxBadges = 16;

// One on-screen message.
struct ment {
    std::int32_t tick = 0;  // frames shown so far; 0 when posted
    std::string txt;        // the text; empty for a new record
    std::int32_t c = 0;     // a value given by the poster (always 1); the display ignores it
};

// Posted messages, oldest first; a message leaves the list on its 180th drawn frame. Empty at
// start-up and after ResetMessages.
extern std::list<ment> MessageList;
// Badge names at indices 1 to 16 (index 0 unused); empty at start-up, the game may fill them.
extern std::string BadgeNames[MaxBadges + 1];

// Appends a message with tick 0, the text and c.
void ShowMessage(const std::string& text, int c);
// Advances every message by one frame and draws the stack (font slot 3, scale 1) upward from
// 16 units above the bottom of the virtual screen, 14 units apart; removes expired ones. The frame
// pump calls it once per frame, before the frame is presented.
void DrawMessages();

// 1 when bit n - 1 of value is set (n from 1 to 32), else 0; 0 for any other n.
int GetBit(std::int32_t value, int n);
// value with bit n - 1 and bits 30 and 31 cleared, plus v (taken as 0 or 1) times 2^(n - 1), for n
// from 1 to 30; any other n only clears bits 30 and 31.
std::int32_t SetBit(std::int32_t value, int n, int v);

// Points AwardBadge at the game's badge counter of the game in progress and at the last used slot
// of its sound-effect pool (Channels 20 to 255). Until connected (or after ResetMessages) both are
// the framework's own counters. Null pointers leave the current connection in place.
void ConnectBadges(int* game_badges, int* effect_channel_index);
// Awards badge n (1 to 16) in the game in progress: sets its bit, posts "<name> : Badge Earned"
// and plays the badge sound on the next slot of the sound-effect pool. Other n do nothing.
void AwardBadge(int n);
// The badge counter AwardBadge writes to (the game's once connected).
int AwardedBadges();

// Empties MessageList and BadgeNames and puts AwardBadge back on the framework's own counters
// (no badges, effect slot 20).
void ResetMessages();
// Sets the framework's message hooks (ShowMessage, DrawMessages).
void InstallMessages();

}  // namespace scores
