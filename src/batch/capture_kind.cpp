// Which command a file is for, by its extension.
#include "batch/capture_kind.h"

#include "core/text.h"

namespace zelto {

namespace {
bool endsWithIgnoringCase(std::string_view name, std::string_view ending) {
    return name.size() >= ending.size() &&
           equalsIgnoringCase(name.substr(name.size() - ending.size()), ending);
}
} // namespace

CaptureKind captureKindOf(std::string_view fileName) {
    // A folder part ending in ".kss/" says nothing about the file itself.
    const std::size_t slash = fileName.find_last_of('/');
    if (slash != std::string_view::npos)
        fileName.remove_prefix(slash + 1);
    if (endsWithIgnoringCase(fileName, ".kss"))
        return CaptureKind::Kiss;
    if (endsWithIgnoringCase(fileName, ".txt"))
        return CaptureKind::Text;
    if (endsWithIgnoringCase(fileName, ".csv") || endsWithIgnoringCase(fileName, ".json"))
        return CaptureKind::Satnogs;
    for (const std::string_view ending : {".wav", ".flac", ".ogg"})
        if (endsWithIgnoringCase(fileName, ending))
            return CaptureKind::Recording;
    return CaptureKind::Hex;
}

} // namespace zelto
