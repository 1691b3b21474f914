#pragma once

#include "core/session.h"

#include <filesystem>

namespace zelto {

// Start-up: stores the folder as the working folder, creates an empty ThumbList.txt when
// missing (throws RunError when it cannot), creates Thumbs and Puzzles when missing
// (silently skipped when that fails) and removes unfinished files left by a crash.
void prepareWorkFolder(Session& session, const std::filesystem::path& folder);

} // namespace zelto
