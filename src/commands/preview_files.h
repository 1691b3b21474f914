#pragma once

#include <filesystem>

namespace zelto {

// --previews: writes into `folder` (made when missing) a PNG picture of what has arrived of
// every incomplete thumbnail and puzzle of the frame store in `workFolder`, named
// "thumb <ID>.png" or "puzzl <ID>.png", with " <frame count>" before ".png" when the store
// holds image folders of two frame counts for the ID. An image without a picture (its first
// frame missing, its header rejected) gets no file. Each file is written whole; a failure
// throws RunError with its message.
void writePreviewFiles(const std::filesystem::path& workFolder,
                       const std::filesystem::path& folder);

} // namespace zelto
