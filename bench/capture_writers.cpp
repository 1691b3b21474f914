#include "capture_writers.h"

#include <cstdio>
#include <stdexcept>

namespace zelto::bench {

namespace {

constexpr std::size_t kBlock = 1 << 20;

void appendHex(std::string& out, unsigned char byte, const char* digits) {
    out.push_back(digits[byte >> 4]);
    out.push_back(digits[byte & 15]);
}

} // namespace

BlockFile::BlockFile(const std::filesystem::path& path)
    : path_(path), file_(std::fopen(path.c_str(), "wb")) {
    if (!file_)
        throw std::runtime_error("cannot create " + path.string());
    buffer_.reserve(kBlock);
}

BlockFile::~BlockFile() {
    if (file_)
        std::fclose(file_);
}

void BlockFile::write(std::string_view bytes) {
    buffer_.append(bytes);
    if (buffer_.size() >= kBlock)
        flush();
}

void BlockFile::flush() {
    if (!buffer_.empty() && std::fwrite(buffer_.data(), 1, buffer_.size(), file_) != buffer_.size())
        throw std::runtime_error("cannot write " + path_.string());
    buffer_.clear();
}

void BlockFile::close() {
    if (!file_)
        return;
    flush();
    const int failed = std::fclose(file_);
    file_ = nullptr;
    if (failed)
        throw std::runtime_error("cannot write " + path_.string());
}

void KissCaptureWriter::add(const Frame& frame, long) {
    frame_.assign(1, '\xC0');
    frame_.push_back(frame.empty() ? '\0' : frame[0]);
    for (std::size_t i = 1; i < frame.size(); ++i) {
        const char b = frame[i];
        if (b == '\xC0')
            frame_ += "\xDB\xDC";
        else if (b == '\xDB')
            frame_ += "\xDB\xDD";
        else
            frame_.push_back(b);
    }
    frame_.push_back('\xC0');
    file_.write(frame_);
}

void MonitorTextWriter::add(const Frame& frame, long secondOfDay) {
    const long second = secondOfDay % 86400;
    char header[96];
    std::snprintf(
        header, sizeof header, "1: Fm ATHENO To CQ <UI pid=F0 Len=%zu> [%02ld:%02ld:%02ld]\r\n",
        frame.empty() ? 0 : frame.size() - 1, second / 3600, second / 60 % 60, second % 60);
    lines_.assign(header);
    for (std::size_t i = 1; i < frame.size(); ++i) {
        if (i > 1)
            lines_.push_back(' ');
        appendHex(lines_, static_cast<unsigned char>(frame[i]), "0123456789abcdef");
    }
    lines_ += "\r\n";
    file_.write(lines_);
}

void HexFrameWriter::add(const Frame& frame, long) {
    line_.clear();
    for (char b : frame) {
        appendHex(line_, static_cast<unsigned char>(b), "0123456789ABCDEF");
        line_.push_back(' ');
    }
    line_ += "\r\n";
    file_.write(line_);
}

} // namespace zelto::bench
