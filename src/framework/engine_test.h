// The engine test: measures how many sprites this machine draws per frame at the wanted frame
// rate and sets the per-frame sprite budgets from it; switches a machine too slow for the floors
// to frameskip at 30 frames per second.
#pragma once

namespace framework {

// Frame rate the last engine test aimed for (30 whenever frameskip is on).
extern int TargetFps;

// Runs passes of 500 to 20000 invisible sprites, eight frames each through the frame pump, stops
// at the first pass that cannot hold target - 2, then sets SpriteLimits 1 to 3, logs the result
// and applies the floors (forcing slow-system mode when main sprites fall below 1000).
void EngineTest(int target_fps, float sprite_scale);

}  // namespace framework
