// Process services: the window caption, standard output, heap statistics, the released-object
// count behind Reclaim, the executable's folder and ending the process.
#include "platform/system.h"

#include <SDL.h>
#include <malloc.h>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
// From the AddressSanitizer run-time (its header is not always installed).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/internal.h"

namespace platform {
namespace {

std::string caption;
bool auto_reclaim = true;
bool headless = false;
// Objects may be released wherever their last reference goes, so the counter is atomic.
std::atomic<int> released_since_reclaim{0};

// The program has one window; SDL numbers windows from 1, and a closed one leaves a gap.
void ApplyCaptionToWindows() {
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0) return;
    for (Uint32 id = 1; id <= 64; ++id) {
        if (SDL_Window* window = SDL_GetWindowFromID(id)) SDL_SetWindowTitle(window, caption.c_str());
    }
}

}  // namespace

namespace detail {

void NoteObjectReleased() {
    released_since_reclaim.fetch_add(1, std::memory_order_relaxed);
}

bool HeadlessBackends() {
    return headless;
}

void SetHeadlessBackends(bool on) {
    headless = on;
}

}  // namespace detail

void SetCaption(const std::string& title) {
    caption = title;
    ApplyCaptionToWindows();
}

std::string Caption() {
    return caption;
}

void Print(const std::string& text) {
    std::fputs(text.c_str(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

long long MemoryInUse() {
#if defined(__SANITIZE_ADDRESS__)
    // AddressSanitizer replaces malloc, so glibc's statistics would stay flat.
    return static_cast<long long>(__sanitizer_get_current_allocated_bytes());
#endif
    const struct mallinfo2 info = mallinfo2();
    return static_cast<long long>(info.uordblks) + static_cast<long long>(info.hblkhd);
}

// Objects are reference counted and freed the moment their last reference goes, so there is
// nothing to collect either way; the switch is kept for callers that set it.
void SetAutoReclaim(bool on) {
    auto_reclaim = on;
}

int Reclaim() {
    return released_since_reclaim.exchange(0, std::memory_order_relaxed);
}

void TuneHeap() {
    // 256 MiB before free memory is returned to the system, and blocks up to glibc's ceiling of
    // 32 MiB come from the heap rather than fresh mappings, so per-frame buffers are reused.
    mallopt(M_TRIM_THRESHOLD, 256 * 1024 * 1024);
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
}

void EnterExecutableFolder() {
    char path[4096];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) return;
    std::string folder(path, static_cast<size_t>(length));
    const auto slash = folder.find_last_of('/');
    if (slash == std::string::npos) return;
    folder.resize(slash == 0 ? 1 : slash);
    if (chdir(folder.c_str()) != 0) std::perror(("cannot enter " + folder).c_str());
}

void EndProcess(int status) {
    if (detail::HeadlessBackends()) throw ProcessEnded{status};
    std::fflush(stdout);
    SDL_Quit();
    std::exit(status);
}

}  // namespace platform
