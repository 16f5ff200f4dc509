// Screenshots. The picture is taken before the notice is drawn, so it shows the screen's own
// drawing only; the frame pump calls this before it adds its overlays, the pointer and messages.
#include "framework/screenshot.h"

#include "framework/display_setup.h"
#include "framework/draw_helpers.h"
#include "framework/game_info.h"
#include "framework/hooks.h"
#include "framework/log.h"
#include "platform/clock.h"
#include "platform/draw.h"
#include "platform/files.h"

namespace framework {
namespace {

// Characters that some file systems refuse or that read as paths or patterns.
constexpr char kUnsafe[] = {'#', '\'', ',', '`', '.', '\\', '/', ':', '|', '*', '?', '"'};

// The notice stays on screen while the file is written; it is drawn after the grab.
void ShowSavingNotice() {
    ResetDrawState();
    const int x = VirtualWidth / 2, y = VirtualHeight / 2;
    UseFontSlot(5);
    DrawTextAligned(x, y - 30, "Saving Screenshot", 1, 1);
    UseFontSlot(6);
    DrawTextAligned(x, y + 30, "Sometimes, this takes a while!", 1, 1);
    platform::Flip(-1);
}

// Back into the folder the screenshot started in. Without a "Files/" tree the step up may have
// left the program's own folder, and the game folder is then not found from there.
void ReturnToGameFolder(const std::string& start_folder) {
    if (!platform::ChangeDir(GameFolder()) || platform::CurrentDir() != start_folder) {
        platform::ChangeDir(start_folder);
    }
}

}  // namespace

std::string SafeFileName(const std::string& text) {
    std::string safe;
    safe.reserve(text.size());
    for (char c : text) {
        bool keep = true;
        for (char unsafe : kUnsafe) keep = keep && c != unsafe;
        if (keep) safe += c;
    }
    return safe;
}

std::string ScreenshotFileName() {
    const std::string name = std::string(GameTitle) + " " + WeekLabel() + " (Screenshot_" +
                             platform::CurrentDate() + "_" + platform::CurrentTime() + ")";
    return SafeFileName(name) + ".png";
}

void TakeScreenshot() {
    const std::string start_folder = platform::CurrentDir();
    LogLine("");
    LogLine("\tScreenshot");
    platform::ChangeDir("..");
    LogLine("\tGrabbing Screenshot");
    const platform::Pixmap picture = platform::GrabPixmap(0, 0, DisplayWidth, DisplayHeight);
    ShowSavingNotice();
    const std::string name = ScreenshotFileName();
    LogLine("\tSaving Screenshot : " + name);
    const bool saved = platform::SavePixmapPNG(picture, name, 9);
    LogLine(std::string("\tSaved Screenshot ") + (saved ? "1" : "0"));
    LogLine("");
    ReturnToGameFolder(start_folder);
    // Posted either way: a failed save shows only in the log.
    if (Screens.show_message) Screens.show_message("Saved Screenshot", 1);
}

void InstallScreenshots() {
    Screens.take_screenshot = TakeScreenshot;
}

}  // namespace framework
