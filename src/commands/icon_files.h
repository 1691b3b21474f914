#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace zelto {

// Whether a name matches "icon*.bmp", letter case ignored.
bool isIconFileName(std::string_view name);

// The icon bitmaps of a folder, in the order the file system lists them; folders and
// unfinished files are left out, and a folder that cannot be read holds none.
std::vector<std::string> iconFiles(const std::filesystem::path& folder);

} // namespace zelto
