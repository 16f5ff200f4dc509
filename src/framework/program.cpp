// Start-up and the program's process-wide state.
#include "framework/program.h"

#include "controls/controls.h"
#include "framework/display_setup.h"
#include "framework/draw_helpers.h"
#include "framework/frame_pump.h"
#include "framework/game_info.h"
#include "framework/hooks.h"
#include "framework/log.h"
#include "framework/settings.h"
#include "menus/settings_state.h"
#include "platform/clock.h"
#include "platform/draw.h"
#include "platform/files.h"
#include "platform/system.h"

namespace framework {

int InGame = 0;
int GameStartTime = 0;
int PointerMode = 0;
int CurrentGameMode = 0;
int CurrentLevel = 0, CurrentGameFlags = 0;
int PadCount = 0, BadgeCount = 0;
std::string CreditLines[100];
int CreditCount = 1;
platform::Channel Channels[ChannelSlots];
float ChannelVolumes[ChannelSlots];

namespace {

const char* const kCredits[20] = {
    "A Game by Halvik",
    "tamblin.net  /  halvik.net",
    "",
    "Game",
    "Made with C++ and SDL2",
    "using Halvik's Framework",
    "",
    "Graphics",
    "Font : Roboto Condensed by Google",
    "Font : Roboto Condensed Bold by Google",
    "Font : Rampart One by Fontworks",
    "All other graphics by Halvik",
    "",
    "Sound Effects created using",
    "sfxgen by the Vantor team",
    "vantor-game.github.io/sfxgen",
    "",
    "Music : Shiny Tech 2",
    "by the Vantor team",
    "vantor-game.github.io",
};

void WriteLogHeader() {
    const std::string hyphens(28, '-');
    LogLine("Halvik's Brisklow Engine");
    LogLine(hyphens);
    LogLine("Week #" + std::to_string(WeekNumber));
    LogLine(hyphens);
    LogLine(WindowTitle());
    LogLine(hyphens);
    LogLine("");
    LogLine("Loading");
}

// Steps 3 to 6 of start-up: the tables, each back to its start-up state.
void CreateTables() {
    platform::HideMouse();
    LastFrameTime = platform::MilliSecs();
    ResetDrawHelpers();
    SpriteLimits[1] = SpriteLimits[2] = 50000;
    ResetDisplaySetup();
    controls::ResetControls();
    controls::InitControls();
    menus::ResetSettingsState();
    platform::SetAutoReclaim(false);
    ResetSettings();
    for (int i = 0; i < ChannelSlots; ++i) {
        Channels[i] = 0;
        ChannelVolumes[i] = 0;
    }
}

// The 2.5-second minimum of the loading splash, counted from before the display opened.
void WaitForSplash(int until) {
    while (platform::MilliSecs() < until) platform::Delay(1);
}

}  // namespace

void FillCredits() {
    for (auto& line : CreditLines) line.clear();
    for (int i = 0; i < 20; ++i) CreditLines[i + 1] = kCredits[i];
    CreditCount = 21;
}

void ResetProgram() {
    InGame = 0;
    GameStartTime = 0;
    PointerMode = 0;
    CurrentGameMode = 0;
    CurrentLevel = CurrentGameFlags = 0;
    PadCount = BadgeCount = 0;
    for (auto& line : CreditLines) line.clear();
    CreditCount = 1;
}

void RunProgram() {
    platform::SetCaption(WindowTitle());
    FillCredits();
    CreateTables();
    platform::ChangeDir("Files/");
    OpenLog("Debug.txt");
    WriteLogHeader();
    LoadAudioDriverNames();
    for (const std::string& name : AudioDriverNames) platform::Print(name);
    ReadSetupFile();
    LogLine("");
    LogLine("Grabbing Previous Scores");
    LogLine("");
    platform::ChangeDir(GameFolder());
    platform::Print(platform::CurrentDir());
    const int splash_until = platform::MilliSecs() + 2500;
    ApplyDisplaySettings();
    PointerMode = 0;
    PadCount = 4;
    BadgeCount = 16;
    InGame = 0;
    if (Game.create_game_state) Game.create_game_state();
    LogLine("Finished Loading");
    WaitForSplash(splash_until);
    TitleScreen();
    ExitScreen();
}

void ExitScreen() {
    if (Screens.exit_screen) Screens.exit_screen();
    CloseLog();
    platform::EndProcess(0);
}

}  // namespace framework
