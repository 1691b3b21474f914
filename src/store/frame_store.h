#pragma once

#include "core/session.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zelto {

// Image folder: image ID + " . " + frame count, under Thumbs or Puzzles.
std::string imageFolderName(std::string_view imageId, long frameCount);

// Frame file of a frame number: low byte, blank, high byte in upper-case hex, ".bin"
// (300 gives "2C 01.bin").
std::string frameFileName(long frameNumber);

// The frame number a frame file name stands for ("2C 01.bin" gives 300), letter case aside;
// none for a name of another form.
std::optional<long> frameNumberOfFileName(std::string_view fileName);

// Every frame numbered above 1 carries 200 bytes: a frame file of another size was cut short
// (by a power cut, say) and does not hold the frame.
bool isWholeFrameFile(long frameNumber, std::uintmax_t size);

// Files of an image folder that are not folders (hidden ones included, unfinished ones and
// frame files that are not whole not); 0 when the folder does not exist.
long frameFileCount(const std::filesystem::path& imageFolder);
// The same, the sizes of the frames the session wrote taken from memory: the count of a
// folder of hundreds of frames asks the file system for no size it knows.
long frameFileCount(const Session& session, const std::filesystem::path& imageFolder);

// The frame count written in an image folder name (characters 15 to 17, decimal);
// fails with "'%s' is not a valid integer value".
long frameCountOfFolder(std::string_view folderName);

// Joins the frame files N, N-1, ..., 1 of an image folder into the target file, whole or
// not at all, to take its name with the command's other files (session.writes); frames the
// session wrote are taken from memory. A missing frame file, or one that is not whole,
// fails with "File not found" and leaves the target as it stood.
void joinFrames(Session& session, const std::filesystem::path& imageFolder, long frameCount,
                const std::filesystem::path& target);

// Deletes every file of an image folder moved out of sight, then the folder. One that keeps
// something else (a subfolder) takes back its name `folderName` beside it, unless that name
// is taken. `deleted` hears of each file name deleted. Failures are passed over.
void removeImageFolder(const std::filesystem::path& hiddenFolder, const std::string& folderName,
                       const std::function<void(const std::string&)>& deleted = {});

// The missing-frames messages for an incomplete thumbnail's ID (ListBox3Click): one per
// thumbnail folder of that ID met in the last pass, in the order of Memo4.
std::vector<std::string> missingFramesMessages(const Session& session, std::string_view imageId);

// What clicks on each of these IDs in turn would show, in one walk over Memo4.
std::vector<std::string> missingFramesMessages(const Session& session,
                                               const std::vector<std::string>& imageIds);

} // namespace zelto
