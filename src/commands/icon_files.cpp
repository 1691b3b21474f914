// The icon bitmaps of the working folder, as Show all icons lists them.
#include "commands/icon_files.h"

#include "core/file_io.h"
#include "core/text.h"

namespace zelto {

namespace fs = std::filesystem;

bool isIconFileName(std::string_view name) {
    return name.size() >= 8 && equalsIgnoringCase(name.substr(0, 4), "icon") &&
           equalsIgnoringCase(name.substr(name.size() - 4), ".bmp");
}

std::vector<std::string> iconFiles(const fs::path& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (!isIconFileName(name) || isPartialName(name))
            continue;
        std::error_code typeError;
        if (it->is_regular_file(typeError))
            names.push_back(std::move(name));
    }
    return names;
}

} // namespace zelto
