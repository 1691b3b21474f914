#pragma once

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sched.h>
#include <string>
#include <sys/mount.h>

namespace zelto::test {

// A small file system of its own (tmpfs) mounted on a folder, so that writes fail as on a
// full disk, for root too. It is mounted in a mount namespace private to this process and
// the programs it starts: nothing of it is seen elsewhere, and it goes when they end. Where
// mounting is not allowed, available() is false and why() tells the reason.
class SmallDisk {
  public:
    SmallDisk(const std::filesystem::path& mountPoint, std::size_t bytes, std::size_t files)
        : mountPoint_(mountPoint) {
        if (const int error = enterPrivateMounts()) {
            why_ = std::string("no private mount namespace: ") + std::strerror(error);
            return;
        }
        options_ =
            "size=" + std::to_string(bytes) + ",nr_inodes=" + std::to_string(files) + ",mode=755";
        if (::mount("zelto-small-disk", mountPoint.c_str(), "tmpfs", 0, options_.c_str()) != 0) {
            why_ = std::string("cannot mount a tmpfs: ") + std::strerror(errno);
            return;
        }
        mounted_ = true;
    }
    ~SmallDisk() {
        if (mounted_)
            ::umount2(mountPoint_.c_str(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool available() const { return mounted_; }
    const std::string& why() const { return why_; }

    // Mounted again read-only, or writable again: writes then fail with EROFS, for root too.
    bool setReadOnly(bool readOnly) {
        return ::mount("zelto-small-disk", mountPoint_.c_str(), "tmpfs",
                       MS_REMOUNT | (readOnly ? MS_RDONLY : 0), options_.c_str()) == 0;
    }

  private:
    // Once per process: a mount namespace of its own whose mounts do not reach the system's.
    static int enterPrivateMounts() {
        static const int error = [] {
            if (::unshare(CLONE_NEWNS) != 0)
                return errno;
            if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
                return errno;
            return 0;
        }();
        return error;
    }

    std::filesystem::path mountPoint_;
    std::string options_;
    bool mounted_ = false;
    std::string why_;
};

} // namespace zelto::test
