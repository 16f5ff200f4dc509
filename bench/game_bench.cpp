// Measures one play-loop frame under load: a full wave set in EnemyList, 300 bullets and 3000
// particles, the logic and drawing of the frame (without the frame pump's pacing) plus the
// score popups and the present. The world is put back before every measured frame, so each one
// does the same work.
//
// Run from the build folder:
//   ./game_bench headless [frames]        the draw-call recorder (no display needed)
//   xvfb-run -a -s "-screen 0 1600x1200x24" ./game_bench gl [frames]   the OpenGL renderer
// Prints one line per scenario: "fresh" is a wave set as generated (most enemies waiting),
// "active" makes every enemy active, so each of them tests every bullet.
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <list>
#include <string>
#include <vector>

#include "framework/display_setup.h"
#include "framework/draw_helpers.h"
#include "framework/game_info.h"
#include "framework/settings.h"
#include "game/entities.h"
#include "game/play_loop.h"
#include "platform/draw.h"
#include "platform/headless/headless.h"
#include "platform/random.h"
#include "platform/system.h"

namespace {

double ClockMs(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return now.tv_sec * 1000.0 + now.tv_nsec / 1e6;
}

// Everything a frame changes, so it can be put back.
struct World {
    std::list<game::die> enemies;
    std::list<game::lets> bullets;
    std::list<game::icle> particles;
    std::list<game::od> pickups;
    float player_x, player_y, camera_x, health, arena_x, arena_speed;
    int cooldown;
};

World Save() {
    return {game::EnemyList, game::BulletList, game::ParticleList, game::PickupList,
            game::PlayerX,   game::PlayerY,    game::CameraX,      game::Health,
            game::ArenaX,    game::ArenaSpeed, game::FireCooldown};
}

void Restore(const World& w) {
    game::EnemyList = w.enemies;
    game::BulletList = w.bullets;
    game::ParticleList = w.particles;
    game::PickupList = w.pickups;
    game::PopupList.clear();
    game::PlayerX = w.player_x;
    game::PlayerY = w.player_y;
    game::CameraX = w.camera_x;
    game::Health = w.health;
    game::ArenaX = w.arena_x;
    game::ArenaSpeed = w.arena_speed;
    game::FireCooldown = w.cooldown;
}

// 300 bullets flying both ways across the screen around the craft, 3000 particles on screen.
void AddLoad() {
    platform::SeedRnd(1234);
    for (int i = 0; i < 300; ++i) {
        game::lets b;
        b.x = static_cast<float>(platform::Rnd(-640, 640));
        b.y = static_cast<float>(platform::Rnd(60, 900));
        b.d = i % 2 ? 14.0f : -14.0f;
        b.r = 255, b.g = 200, b.b = 40;
        b.t = platform::Rand(0, 90);
        game::BulletList.push_back(b);
    }
    for (int i = 0; i < 3000; ++i) {
        game::icle p;
        p.x = static_cast<float>(platform::Rnd(-640, 640));
        p.y = static_cast<float>(platform::Rnd(0, 960));
        p.gx = static_cast<float>(platform::Rnd(-16, 16));
        p.gy = static_cast<float>(platform::Rnd(-2, 2));
        p.sx = p.sy = 1;
        p.r = 255, p.g = 160, p.b = 60;
        p.alp = static_cast<float>(platform::Rnd(0.2, 1));
        game::ParticleList.push_front(p);
    }
}

struct Result {
    double cpu_mean, cpu_median, wall_mean, process_mean;
};

Result Measure(const World& world, int frames) {
    std::vector<double> cpu, wall, process;
    for (int i = 0; i < frames + 20; ++i) {
        Restore(world);
        const double c0 = ClockMs(CLOCK_THREAD_CPUTIME_ID), w0 = ClockMs(CLOCK_MONOTONIC),
                     p0 = ClockMs(CLOCK_PROCESS_CPUTIME_ID);
        game::UpdateAndDrawFrame();
        game::DrawScorePopups();
        platform::Flip(0);
        if (i < 20) continue;  // warm-up
        cpu.push_back(ClockMs(CLOCK_THREAD_CPUTIME_ID) - c0);
        wall.push_back(ClockMs(CLOCK_MONOTONIC) - w0);
        process.push_back(ClockMs(CLOCK_PROCESS_CPUTIME_ID) - p0);
    }
    auto mean = [](const std::vector<double>& v) {
        double sum = 0;
        for (double x : v) sum += x;
        return sum / static_cast<double>(v.size());
    };
    std::vector<double> sorted = cpu;
    std::sort(sorted.begin(), sorted.end());
    return {mean(cpu), sorted[sorted.size() / 2], mean(wall), mean(process)};
}

void Report(const char* backend, const char* scenario, const Result& r) {
    int active = 0;
    for (const game::die& e : game::EnemyList) active += e.w == 0;
    std::printf(
        "%s %s: enemies=%zu active=%d bullets=300 particles=3000 cpu_ms_per_frame=%.3f (median %.3f) "
        "wall_ms=%.3f process_cpu_ms=%.3f drawn=%d/%d/%d\n",
        backend, scenario, game::EnemyList.size(), active, r.cpu_mean, r.cpu_median, r.wall_mean,
        r.process_mean, framework::SpriteCounts[1], framework::SpriteCounts[2], framework::SpriteCounts[3]);
    std::fflush(stdout);
}

void LoadImages() {
    const int flags = platform::MaskedImage | platform::FilteredImage;
    game::ImgCraft = platform::LoadAnimImage("vantor.png", 32, 32, 0, 16, flags);
    game::ImgStar = platform::LoadImage("star.png", flags);
    game::ImgSpinner = platform::LoadImage("spinner.png", flags);
    game::ImgSpinnerGlow = platform::LoadImage("spinner2.png", flags);
    game::ImgBullet = platform::LoadImage("bullet.png", flags);
    game::ImgWhite = platform::LoadImage("white.png", flags);
    game::ImgPickup = platform::LoadImage("bob.png", flags);
}

}  // namespace

int main(int argc, char** argv) {
    const bool gl = argc > 1 && std::string(argv[1]) == "gl";
    const int frames = argc > 2 ? std::max(10, std::atoi(argv[2])) : 300;
    platform::EnterExecutableFolder();
    platform::TuneHeap();
    std::filesystem::current_path(std::filesystem::path("Files") / framework::GameFolder());
    if (!gl) platform::headless::UseHeadlessBackends(0);
    framework::ResetSettings();
    framework::Settings[12] = framework::Settings[13] = 0;  // no sound: the mixer is not measured
    if (gl && !platform::SetGraphicsDriver(0)) {
        std::fprintf(stderr, "OpenGL renderer not available\n");
        return 1;
    }
    if (!platform::Graphics(800, 600, 0, 60, 0)) {
        std::fprintf(stderr, "Could not open the display\n");
        return 1;
    }
    platform::SetVirtualResolution(1280, 960);
    framework::VirtualWidth = 1280;
    framework::VirtualHeight = 960;
    platform::AutoMidHandle(true);
    // Budgets high enough that every draw of the workload is made.
    for (int c = 1; c <= 3; ++c) framework::SpriteLimits[c] = 100000;
    game::CreateGameState();
    LoadImages();
    game::StartGame();
    AddLoad();
    const char* backend = gl ? "opengl" : "headless";
    const World fresh = Save();
    Report(backend, "fresh", Measure(fresh, frames));
    Restore(fresh);
    for (game::die& e : game::EnemyList) e.w = 0;
    const World active = Save();
    Report(backend, "active", Measure(active, frames));
    platform::EndGraphics();
    return 0;
}
