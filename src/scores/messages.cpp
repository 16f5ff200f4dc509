// On-screen messages and badges: the message stack the frame pump draws each frame, the bit
// helpers for badge sets, and the badge award.
#include "scores/messages.h"

#include <cstdint>
#include <iterator>
#include <utility>

#include "framework/display_setup.h"
#include "framework/draw_helpers.h"
#include "framework/hooks.h"
#include "framework/program.h"
#include "framework/settings.h"
#include "platform/audio.h"
#include "platform/draw.h"

namespace scores {

std::list<ment> MessageList;
std::string BadgeNames[MaxBadges + 1];

namespace {

// The sound-effect pool's slots in framework::Channels.
constexpr int kFirstEffectSlot = 20, kLastEffectSlot = 255;
constexpr int kMasterVolume = 11, kEffectVolume = 12;
// The bottom line's distance from the bottom of the screen, and the step between lines.
constexpr int kBottomMargin = 16, kLineStep = 14;

// The framework's own counters, used until the game connects its own.
int own_badges = 0;
int own_effect_slot = kFirstEffectSlot;
int* badge_counter = &own_badges;
int* effect_slot = &own_effect_slot;

void DrawMessage(const ment& message, int y) {
    const bool fresh = message.tick < MessageFreshFrames;
    if (fresh) {
        framework::SetColorAlpha(255, 255, 0, 0.7f);
    } else {
        framework::SetColorAlpha(0, 0, 0, 0.7f);
    }
    platform::DrawRect(0, static_cast<float>(y), static_cast<float>(platform::TextWidth(message.txt)),
                       static_cast<float>(platform::TextHeight()));
    if (fresh) {
        framework::SetColorAlpha(0, 0, 0, 1.0f);
    } else {
        framework::SetColorAlpha(255, 255, 255, 1.0f);
    }
    framework::DrawTextAligned(0, y, message.txt, 0, 0);
}

// Plays the badge sound the way the game plays its effects: on the pool's next slot, cutting off
// whatever still sounds there, with its parameters set while the channel is paused.
void PlayBadgeSound() {
    int& index = *effect_slot;
    index += 1;
    if (index > kLastEffectSlot || index < kFirstEffectSlot) index = kFirstEffectSlot;
    platform::Channel& slot = framework::Channels[index];
    if (slot != 0 && platform::ChannelPlaying(slot)) {
        platform::StopChannel(slot);
        slot = 0;
    }
    if (slot == 0) slot = platform::AllocChannel();
    if (slot == 0) return;  // no channel left: the award stays silent
    platform::CueSound(framework::BadgeSound, slot);
    const float volume = static_cast<float>(framework::Settings[kEffectVolume]) *
                         static_cast<float>(framework::Settings[kMasterVolume]) / 10000.0f;
    platform::SetVolume(slot, volume);
    framework::ChannelVolumes[index] = 1.0f;
    platform::SetPan(slot, 0);
    platform::SetRate(slot, 1);
    platform::SetPaused(slot, false);
}

}  // namespace

void ShowMessage(const std::string& text, int c) {
    ment message;
    message.txt = text;
    message.c = c;
    MessageList.push_back(std::move(message));
}

void DrawMessages() {
    // The bars are translucent, so alpha blending; the rest of the drawing state is the frame's.
    framework::ScaleTo(1);
    framework::UseBlend(1);
    framework::UseFontSlot(3);
    const int height = platform::TextHeight();
    int y = framework::VirtualHeight - kBottomMargin;
    for (auto it = MessageList.begin(); it != MessageList.end();) {
        ment& message = *it;
        message.tick += 1;
        // Messages pushed above the top of the screen still age, but are not drawn: a burst of
        // thousands of messages then costs no drawing.
        if (y + height > 0) DrawMessage(message, y);
        y -= kLineStep;
        it = message.tick >= MessageFrames ? MessageList.erase(it) : std::next(it);
    }
}

int GetBit(std::int32_t value, int n) {
    if (n < 1 || n > 32) return 0;
    return static_cast<int>((static_cast<std::uint32_t>(value) >> (n - 1)) & 1u);
}

std::int32_t SetBit(std::int32_t value, int n, int v) {
    std::uint32_t bits = static_cast<std::uint32_t>(value) & 0x3FFFFFFFu;
    if (n >= 1 && n <= 30) {
        const std::uint32_t bit = 1u << (n - 1);
        bits &= ~bit;
        if (v != 0) bits |= bit;
    }
    return static_cast<std::int32_t>(bits);
}

void ConnectBadges(int* game_badges, int* effect_channel_index) {
    if (game_badges) badge_counter = game_badges;
    if (effect_channel_index) effect_slot = effect_channel_index;
}

void AwardBadge(int n) {
    if (n < 1 || n > MaxBadges) return;
    *badge_counter = SetBit(*badge_counter, n, 1);
    ShowMessage(BadgeNames[n] + " : Badge Earned", 1);
    PlayBadgeSound();
}

int AwardedBadges() {
    return *badge_counter;
}

void ResetMessages() {
    MessageList.clear();
    for (std::string& name : BadgeNames) name.clear();
    own_badges = 0;
    own_effect_slot = kFirstEffectSlot;
    badge_counter = &own_badges;
    effect_slot = &own_effect_slot;
}

void InstallMessages() {
    framework::Screens.show_message = ShowMessage;
    framework::Screens.draw_messages = DrawMessages;
}

}  // namespace scores
