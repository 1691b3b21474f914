// Files written whole: each on its way under a hidden name, named only once its bytes are on the
// disk.
#include "core/durable_writes.h"

#include "core/file_io.h"
#include "core/run_error.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace zelto {

namespace fs = std::filesystem;

void DurableWrites::noteFolder(const fs::path& path) {
    if (folder_.empty())
        folder_ = path.parent_path();
}

void DurableWrites::add(std::string tempPath, std::string finalPath, Waiting how) {
    noteFolder(finalPath);
    bytesUnsynced_ = true;
    if (how == Waiting::Unlisted) {
        unlisted_.emplace_back(std::move(tempPath), std::move(finalPath));
        return;
    }
    const auto [entry, added] = waiting_.try_emplace(std::move(finalPath), tempPath);
    if (!added) {
        ::unlink(entry->second.c_str());
        entry->second = std::move(tempPath);
    }
}

const std::string& DurableWrites::readable(const std::string& finalPath) const {
    const auto known = waiting_.find(finalPath);
    return known == waiting_.end() ? finalPath : known->second;
}

void DurableWrites::noteChange(const fs::path& where) {
    if (folder_.empty())
        folder_ = where;
    changesUnsynced_ = true;
}

void DurableWrites::guardAppend(const fs::path& file) {
    for (const auto& guarded : markers_)
        if (guarded.first == file.native())
            return;
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(file, ec);
    if (ec)
        return; // the append itself reports what is wrong with the file
    const std::string marker = appendMarkerPath(file, size).native();
    const int fd = ::open(marker.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return; // a folder that takes no new file: the append goes on unguarded
    ::close(fd);
    markers_.emplace_back(file.native(), marker);
    noteFolder(file);
    sync();
}

void DurableWrites::sync() {
    fs::path folder = folder_.empty() ? fs::path(".") : folder_;
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    // A folder removed since (an image folder) is synced through the folder that held it.
    while (fd < 0 && errno == ENOENT && folder.has_relative_path()) {
        folder = folder.parent_path();
        fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    }
    int err = fd < 0 ? errno : 0;
    if (fd >= 0) {
        if (::syncfs(fd) != 0)
            err = errno;
        ::close(fd);
    }
    if (err != 0)
        throwWriteError(err);
    bytesUnsynced_ = namesUnsynced_ = changesUnsynced_ = false;
}

void DurableWrites::publish() {
    if (waiting_.empty() && unlisted_.empty())
        return;
    if (bytesUnsynced_) {
        try {
            sync();
        } catch (const RunError&) {
            // Bytes that may not be on the disk must not take a name.
            for (const auto& entry : waiting_)
                ::unlink(entry.second.c_str());
            for (const auto& entry : unlisted_)
                ::unlink(entry.first.c_str());
            waiting_.clear();
            unlisted_.clear();
            throw;
        }
    }
    int firstError = 0;
    auto rename = [&firstError](const std::string& tempPath, const std::string& finalPath) {
        if (::rename(tempPath.c_str(), finalPath.c_str()) != 0) {
            if (firstError == 0)
                firstError = errno;
            ::unlink(tempPath.c_str());
        }
    };
    for (const auto& [tempPath, finalPath] : unlisted_)
        rename(tempPath, finalPath);
    for (const auto& [finalPath, tempPath] : waiting_)
        rename(tempPath, finalPath);
    waiting_.clear();
    unlisted_.clear();
    namesUnsynced_ = true;
    if (firstError != 0)
        throwWriteError(firstError);
}

void DurableWrites::publishDurably() {
    publish();
    if (namesUnsynced_)
        sync();
}

void DurableWrites::finish() {
    try {
        publish();
    } catch (const RunError&) {
        if (namesUnsynced_ || changesUnsynced_) {
            try {
                sync();
            } catch (const RunError&) {
                // The first failure is the one reported.
            }
        }
        throw;
    }
    if (namesUnsynced_ || changesUnsynced_ || bytesUnsynced_)
        sync();
    // The appended lines are on the disk: their markers have done their work.
    for (const auto& guarded : markers_)
        ::unlink(guarded.second.c_str());
    markers_.clear();
}

void FinishOnExit::finish() {
    finished_ = true;
    writes_.finish();
}

FinishOnExit::~FinishOnExit() {
    if (finished_)
        return;
    try {
        writes_.finish();
    } catch (const std::exception&) {
        // Passed over: see the class comment.
    }
}

} // namespace zelto
