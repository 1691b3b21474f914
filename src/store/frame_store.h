#pragma once

#include "core/session.h"
#include "store/store_layout.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zelto {

// Files of an image folder that are not folders (hidden ones included, unfinished ones and
// frame files that are not whole not); 0 when the folder does not exist.
long frameFileCount(const std::filesystem::path& imageFolder);
// The same, the sizes of the frames the session wrote taken from memory: the count of a
// folder of hundreds of frames asks the file system for no size it knows.
long frameFileCount(const Session& session, const std::filesystem::path& imageFolder);

// The frames of an image folder that have arrived whole, by frame number (frame count down
// to 1), with their bytes. Missing, damaged (see isWholeFrameFile) and unfinished frame
// files are left out; a frame file that cannot be read fails with its run-time message.
using PresentFrames = std::map<long, std::string>;
PresentFrames presentFrames(const std::filesystem::path& imageFolder, long frameCount);

// Joins the frame files N, N-1, ..., 1 of an image folder into the target file, whole or
// not at all, to take its name with the command's other files (session.writes); frames the
// session wrote are taken from memory. A missing frame file, or one that is not whole,
// fails with "File not found" and leaves the target as it stood.
void joinFrames(Session& session, const std::filesystem::path& imageFolder, long frameCount,
                const std::filesystem::path& target);

// The thumbnail folders of an image ID met in the last pass, in the order of Memo4: those
// that missingFramesMessages() speaks of.
std::vector<std::string> thumbnailFoldersOf(const Session& session, std::string_view imageId);

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
