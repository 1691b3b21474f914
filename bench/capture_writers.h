#pragma once

#include "beacon_frames.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace zelto::bench {

// A file written in large blocks; throws std::runtime_error when the file system refuses.
class BlockFile {
  public:
    explicit BlockFile(const std::filesystem::path& path);
    ~BlockFile();
    BlockFile(const BlockFile&) = delete;
    BlockFile& operator=(const BlockFile&) = delete;

    void write(std::string_view bytes);
    void close();

  private:
    void flush();

    std::filesystem::path path_;
    std::FILE* file_;
    std::string buffer_;
};

// Where the frames of a capture go, one frame at a time, with the second of the day at
// which it was heard.
class CaptureWriter {
  public:
    virtual ~CaptureWriter() = default;
    virtual void add(const Frame& frame, long secondOfDay) = 0;
    virtual void close() = 0;
};

// KISS capture: C0, the command byte, the frame bytes from byte 1 with C0 sent as DB DC
// and DB as DB DD, C0.
class KissCaptureWriter : public CaptureWriter {
  public:
    explicit KissCaptureWriter(const std::filesystem::path& path) : file_(path) {}
    void add(const Frame& frame, long secondOfDay) override;
    void close() override { file_.close(); }

  private:
    BlockFile file_;
    std::string frame_;
};

// Monitor text capture: a header line per frame, then the frame bytes from byte 1 as
// lower-case hex pairs separated by blanks; lines end with CR LF.
class MonitorTextWriter : public CaptureWriter {
  public:
    explicit MonitorTextWriter(const std::filesystem::path& path) : file_(path) {}
    void add(const Frame& frame, long secondOfDay) override;
    void close() override { file_.close(); }

  private:
    BlockFile file_;
    std::string lines_;
};

// HEX frame file: every byte from byte 0 as upper-case hex and a blank, CR LF.
class HexFrameWriter : public CaptureWriter {
  public:
    explicit HexFrameWriter(const std::filesystem::path& path) : file_(path) {}
    void add(const Frame& frame, long secondOfDay) override;
    void close() override { file_.close(); }

  private:
    BlockFile file_;
    std::string line_;
};

// The same frames to two captures at once.
class TwinCaptureWriter : public CaptureWriter {
  public:
    TwinCaptureWriter(CaptureWriter& first, CaptureWriter& second)
        : first_(first), second_(second) {}
    void add(const Frame& frame, long secondOfDay) override {
        first_.add(frame, secondOfDay);
        second_.add(frame, secondOfDay);
    }
    void close() override {
        first_.close();
        second_.close();
    }

  private:
    CaptureWriter& first_;
    CaptureWriter& second_;
};

} // namespace zelto::bench
