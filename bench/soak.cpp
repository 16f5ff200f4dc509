// A long session of the whole program on the headless back-ends and the manual clock: a scripted
// player plays game after game (steering, firing both ways, collecting pickups, pausing and
// continuing, opening and closing the settings panel, typing a name at each game's end) for a
// given number of frames, then leaves through the exit screen.
//
// Every 1,000 frames it prints the heap in use, the resident memory and the CPU cost per frame.
// After a warm-up (the first 10,000 frames) neither memory figure may grow by more than 5 %:
// the last line says so, and the exit status is 1 when it does not hold.
//
// Run from the build folder (not part of `make test`; 100,000 frames take some minutes):
//   ./soak [frames]
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "framework/hooks.h"
#include "framework/program.h"
#include "game/enemies.h"
#include "game/entities.h"
#include "game/game.h"
#include "game/play_loop.h"
#include "menus/settings_state.h"
#include "platform/clock.h"
#include "platform/headless/headless.h"
#include "platform/headless/script_input.h"
#include "platform/system.h"
#include "scores/score_file.h"

namespace fs = std::filesystem;
using namespace platform::headless;

namespace {

constexpr int kKeyTab = 9, kKeyEnter = 13, kKeyEscape = 27, kKeySpace = 32;
constexpr int kKeyLeft = 37, kKeyUp = 38, kKeyRight = 39, kKeyDown = 40;
constexpr int kKeyX = 88, kKeyZ = 90;
constexpr int kSampleEvery = 1000, kWarmupFrames = 10000;
// Health is kept up for this many frames of each game, so games last long enough for waves to
// come and go; then the player is left to the enemies and the zone.
constexpr int kProtectedFrames = 12000;

struct Sample {
    int frame;
    long long heap_bytes, resident_bytes;
    double cpu_ms_per_frame;
    int games, wave_sets, enemies, particles;
};

struct Session {
    int target_frames = 100000;
    int frames = 0;  // frame pumps on every screen
    int title_frames = 0, game_frames = 0, pause_frames = 0, name_frames = 0;
    int games = 0, wave_sets = 0;  // games started, and wave sets generated in all of them
    int wave_set_of_game = 0;
    bool in_game = false, finishing = false;
    double cpu_at_last_sample = 0;
    std::vector<Sample> samples;
    framework::GameHooks game;
    framework::ScreenHooks screens;
} session;

double ProcessCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec * 1000.0 + now.tv_nsec / 1e6;
}

long long ResidentBytes() {
    std::ifstream statm("/proc/self/statm");
    long long pages_total = 0, pages_resident = 0;
    statm >> pages_total >> pages_resident;
    return pages_resident * sysconf(_SC_PAGESIZE);
}

void TakeSample() {
    const double cpu = ProcessCpuMs();
    session.samples.push_back({session.frames, platform::MemoryInUse(), ResidentBytes(),
                               (cpu - session.cpu_at_last_sample) / kSampleEvery, session.games,
                               session.wave_sets, static_cast<int>(game::EnemyList.size()),
                               static_cast<int>(game::ParticleList.size())});
    session.cpu_at_last_sample = cpu;
    const Sample& s = session.samples.back();
    std::printf(
        "frame=%d heap_kb=%lld rss_kb=%lld cpu_ms_per_frame=%.3f games=%d wave_sets=%d enemies=%d "
        "particles=%d\n",
        s.frame, s.heap_bytes / 1024, s.resident_bytes / 1024, s.cpu_ms_per_frame, s.games, s.wave_sets,
        s.enemies, s.particles);
    std::fflush(stdout);
}

void Hold(int key, bool down) {
    if (down) {
        PressKey(key);
    } else {
        ReleaseKey(key);
    }
}

// Steers in slow sweeps, fires both ways in turn, pauses and opens the settings now and then.
void PlayFrame() {
    const int f = ++session.game_frames;
    if (f == 1) ReleaseKey(kKeyRight);
    const bool right = (f / 240) % 2 == 0;
    Hold(kKeyRight, right);
    Hold(kKeyLeft, !right);
    const bool down = (f / 90) % 2 == 0;
    Hold(kKeyDown, down);
    Hold(kKeyUp, !down);
    const bool fire_left = (f / 30) % 2 == 0;
    Hold(kKeyZ, fire_left);
    Hold(kKeyX, !fire_left);
    if (f <= kProtectedFrames && !session.finishing) game::Health = 99;
    // A scripted player cannot destroy a whole wave set; thinning the list as if it had makes
    // the play loop generate the next set, as a strong player would see it.
    if (f % 4000 == 2000) game::EnemyList.resize(std::min<std::size_t>(game::EnemyList.size(), 99));
    if (session.finishing) game::Health = 0;
    if (f % 5000 == 1500) TapKey(kKeyTab);
    if (f % 5000 == 1560) TapKey(kKeyTab);
    if (f % 5000 == 3000) {
        // The pause menu opens once Escape is let go.
        PressKey(kKeyEscape);
        AtTime(platform::MilliSecs() + 200, [] { ReleaseKey(kKeyEscape); });
    }
    if (f == 1 || game::WaveSetNumber != session.wave_set_of_game) ++session.wave_sets;
    session.wave_set_of_game = game::WaveSetNumber;
}

// Opens and closes the settings panel while paused, then continues. The menu takes a choice
// only once every menu input is up, so the game's held keys are let go first.
void PauseFrame() {
    const int f = ++session.pause_frames;
    if (f == 1) {
        for (int key : {kKeyLeft, kKeyRight, kKeyUp, kKeyDown, kKeyX, kKeyZ}) ReleaseKey(key);
    }
    if (f == 10) TapKey(kKeyTab);
    if (f == 50) TapKey(kKeyTab);
    if (f == 80) PressKey(kKeySpace);
    if (f == 83) {
        ReleaseKey(kKeySpace);
        session.pause_frames = 0;
    }
}

void NameEntryFrame() {
    const int f = ++session.name_frames;
    if (f == 2) TypeText("!");
    if (f == 6) PressKey(kKeyEnter);
    if (f == 9) ReleaseKey(kKeyEnter);
}

void TitleFrame() {
    const int f = ++session.title_frames;
    if (session.finishing && f == 20) PressKey(kKeyEscape);
    if (!session.finishing && f == 20) PressKey(kKeyRight);
}

void OnFramePump() {
    if (session.screens.music_tick) session.screens.music_tick();
    ++session.frames;
    if (session.frames % kSampleEvery == 0) TakeSample();
    if (session.frames >= session.target_frames) session.finishing = true;
    if (!session.in_game) {
        TitleFrame();
    } else if (framework::InGame == 1) {
        PlayFrame();
    } else if (framework::InGame == 2) {
        PauseFrame();
    } else {
        NameEntryFrame();
    }
}

void RunGameScripted() {
    session.in_game = true;
    session.game_frames = session.pause_frames = session.name_frames = 0;
    session.game.run_game();
    session.in_game = false;
    session.title_frames = 0;
    ++session.games;
}

void ExitScreenScripted() {
    AtTime(platform::MilliSecs() + 1000, [] { PressKey(kKeySpace); });
    session.screens.exit_screen();
}

// Growth of a figure from the end of the warm-up to its highest later value, in percent.
double GrowthAfterWarmup(long long Sample::*figure) {
    long long base = 0, peak = 0;
    for (const Sample& s : session.samples) {
        if (s.frame == kWarmupFrames) base = s.*figure;
        if (s.frame > kWarmupFrames) peak = std::max(peak, s.*figure);
    }
    return base > 0 ? 100.0 * (peak - base) / base : 0;
}

// The program runs in a copy of the generated tree, so the build's own files stay untouched.
fs::path PrepareFolder() {
    const fs::path build = fs::current_path();
    const fs::path work = fs::temp_directory_path() / ("vantor-soak-" + std::to_string(::getpid()));
    fs::remove_all(work);
    fs::create_directories(work);
    fs::copy(build / "Files", work / "Files", fs::copy_options::recursive);
    for (const char* written : {"Debug.txt", "Setup.ini"}) fs::remove(work / "Files" / written);
    fs::current_path(work);
    return work;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1) session.target_frames = std::max(kWarmupFrames + kSampleEvery, std::atoi(argv[1]));
    platform::EnterExecutableFolder();
    platform::TuneHeap();
    const fs::path work = PrepareFolder();
    UseHeadlessBackends(1000);
    game::ConnectProgram();
    session.game = framework::Game;
    session.screens = framework::Screens;
    framework::Game.run_game = RunGameScripted;
    framework::Screens.music_tick = OnFramePump;
    framework::Screens.exit_screen = ExitScreenScripted;
    session.cpu_at_last_sample = ProcessCpuMs();
    int status = -1;
    try {
        framework::RunProgram();
    } catch (const platform::ProcessEnded& ended) {
        status = ended.status;
    }
    fs::current_path(fs::temp_directory_path());
    fs::remove_all(work);
    const double heap_growth = GrowthAfterWarmup(&Sample::heap_bytes);
    const double resident_growth = GrowthAfterWarmup(&Sample::resident_bytes);
    const bool flat = heap_growth <= 5 && resident_growth <= 5;
    std::printf(
        "soak: frames=%d games=%d records=%zu exit_status=%d heap_growth=%.1f%% rss_growth=%.1f%% %s\n",
        session.frames, session.games, scores::ScoreList.size(), status, heap_growth, resident_growth,
        flat ? "flat" : "GROWING");
    return flat && status == 0 ? 0 : 1;
}
