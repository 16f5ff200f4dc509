// The headless display for tests: a display system whose sinks record every quad, clear,
// viewport and present, keep every texture's pixels, and rasterise the recorded frame in memory
// when pixels are read back (GrabPixmap, GrabImage).
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "platform/draw.h"
#include "platform/video_sink.h"

namespace platform::headless {

// One drawn quad as the sink received it: corners in virtual units, and the blend mode then.
struct RecordedQuad {
    TextureId texture;
    Vertex corners[4];
    int blend;
};

// One Clear: its colour and the viewport it cleared (virtual units).
struct RecordedClear {
    std::uint8_t r, g, b;
    int x, y, width, height;
};

struct RecordedViewport {
    int x, y, width, height;
};

// A live texture of the recorder: its size, sampling and current pixels (RGBA8, rows top first).
struct RecordedTexture {
    int width = 0, height = 0;
    bool filtered = false;
    std::vector<std::uint8_t> rgba;
};

// A typical list of fullscreen modes: 640x480 up to 1920x1080 at depths 16, 24 and 32, 60 Hz.
std::vector<DisplayMode> DefaultRecorderModes();
// Installs the recording display system (closing any open display) with these fullscreen modes,
// marks the headless back-ends on and clears the recording.
void UseRecorder(std::vector<DisplayMode> modes = DefaultRecorderModes());

// Quads drawn since the last ClearRecording. To stay small in long runs, once more than 200000
// quads are kept a present drops those of the frames before it.
const std::vector<RecordedQuad>& RecordedQuads();
// Quads of the most recently presented frame.
const std::vector<RecordedQuad>& LastFrameQuads();
// Clears and viewport changes since the last ClearRecording (beyond 10000 of a kind, a present
// keeps only the latest).
const std::vector<RecordedClear>& RecordedClears();
const std::vector<RecordedViewport>& RecordedViewports();
// Forgets the recorded quads, clears, viewports and the present and blend counters.
void ClearRecording();
// Presents since the last ClearRecording, and how many of them asked for the vertical blank.
int PresentCount();
// SubmitDrawing calls (and paced Flips) that reached the recorder since the last ClearRecording.
int SubmitCount();
int VsyncPresentCount();
// SetBlend calls that reached the sink since the last ClearRecording.
int BlendChangeCount();
// The live texture with this id, nullptr when there is none (never made, or destroyed).
const RecordedTexture* RecordedTextureInfo(TextureId texture);
// Textures alive in the recorder now.
int LiveTextureCount();
// The request the last opened display was made with.
DisplayRequest LastDisplayRequest();
// Pointer placements asked of the sink, in window pixels, since the last ClearRecording.
const std::vector<std::pair<int, int>>& RecordedMouseWarps();
// The virtual resolution the open (or last) sink maps onto its window.
float RecordedVirtualWidth();
float RecordedVirtualHeight();

}  // namespace platform::headless
