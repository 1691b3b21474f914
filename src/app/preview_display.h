#pragma once

#include <filesystem>
#include <string_view>

class QLabel;

namespace zelto {

class PictureBox;

// Shows what has arrived of an incomplete image: its preview in the large viewer (or, when
// there is none, why), and in the label beside it the image's name, how many of its frames
// are in and which ones are still missing. `imageName` is the name of its JPEG file without
// ".jpg" ("thumb 0A 1B 2C 3D").
void showPreview(PictureBox* viewer, QLabel* progress, std::string_view imageName,
                 const std::filesystem::path& imageFolder, long frameCount);

} // namespace zelto
