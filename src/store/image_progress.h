#pragma once

#include "store/frame_store.h"

#include <string>

namespace zelto {

// How far an image has come, for the operator deciding whether the next pass is worth
// listening to: "187 of 300 frames".
std::string receivedFramesText(const PresentFrames& frames, long frameCount);

// The frame numbers still wanted, in ascending order, runs joined: "missing 5-9, 120,
// 200-300"; "missing none" when every frame is in.
std::string missingFramesMap(const PresentFrames& frames, long frameCount);

} // namespace zelto
