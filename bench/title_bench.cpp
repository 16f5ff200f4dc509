// Measures the title screen on the real back-ends: frames per second under the frame pump's
// pacing, and the main thread's CPU time per frame (the renderer's own threads not counted).
//
// Run from the build folder under a display, e.g.
//   xvfb-run -a -s "-screen 0 1600x1200x24" ./title_bench [frames]
// It copies Files/ into a temporary folder, starts the program there, measures after a warm-up
// and prints one line: frames=... fps=... cpu_ms_per_frame=... p95_frame_ms=...
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "framework/frame_pump.h"
#include "framework/hooks.h"
#include "framework/program.h"
#include "platform/clock.h"
#include "platform/input.h"
#include "platform/system.h"

namespace fs = std::filesystem;

namespace {

constexpr int kWarmupFrames = 120;
int measured_frames = 600;
int frame = 0;
double cpu_start = 0, wall_start = 0;
std::vector<int> frame_ends;

double ThreadCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1000.0 + now.tv_nsec / 1e6;
}

void Report() {
    const double cpu = ThreadCpuMs() - cpu_start;
    const double wall = platform::MilliSecs() - wall_start;
    std::vector<int> durations;
    for (size_t i = 1; i < frame_ends.size(); ++i) durations.push_back(frame_ends[i] - frame_ends[i - 1]);
    std::sort(durations.begin(), durations.end());
    const int p95 = durations.empty() ? 0 : durations[durations.size() * 95 / 100];
    std::printf("frames=%d fps=%.1f cpu_ms_per_frame=%.2f p95_frame_ms=%d measured_fps=%d\n", measured_frames,
                measured_frames * 1000.0 / wall, cpu / measured_frames, p95, framework::MeasuredFps);
    std::fflush(stdout);
}

// Called once per title frame: starts the measurement after the warm-up and ends the program
// when enough frames were measured.
void CountFrame(int, int, int, int) {
    ++frame;
    if (frame == kWarmupFrames) {
        cpu_start = ThreadCpuMs();
        wall_start = platform::MilliSecs();
    }
    if (frame >= kWarmupFrames) frame_ends.push_back(framework::LastFrameTime);
    if (frame == kWarmupFrames + measured_frames) {
        Report();
        platform::EndProcess(0);
    }
}

fs::path copy_dir;

// The program ends the process from its exit path; the copy goes with it.
void RemoveInstallCopy() {
    std::error_code ignored;
    fs::remove_all(copy_dir, ignored);
}

fs::path MakeInstallCopy(const fs::path& build_dir) {
    const fs::path dir = fs::temp_directory_path() / ("vantor-title-bench-" + std::to_string(::getpid()));
    copy_dir = dir;
    std::atexit(RemoveInstallCopy);
    fs::remove_all(dir);
    fs::create_directories(dir);
    fs::copy(build_dir / "Files", dir / "Files", fs::copy_options::recursive);
    return dir;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1) measured_frames = std::max(10, std::atoi(argv[1]));
    platform::EnterExecutableFolder();
    fs::current_path(MakeInstallCopy(fs::current_path()));
    platform::TuneHeap();
    framework::Screens.draw_results_panel = CountFrame;
    framework::RunProgram();
}
