#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace zelto {

inline constexpr unsigned char kKissDelimiter = 0xC0; // FEND
inline constexpr unsigned char kKissEscape = 0xDB;    // FESC
inline constexpr unsigned char kKissEscapedC0 = 0xDC; // TFEND
inline constexpr unsigned char kKissEscapedDB = 0xDD; // TFESC

// Cuts a KISS byte stream into frames, one block at a time. A frame is the run of bytes
// between two C0 delimiters, its first byte being the KISS command byte. Real streams
// share one C0 between frames, repeat C0s and are cut off anywhere, so: any number of
// C0 may stand between frames, empty runs are no frames, and bytes before the first C0
// or after the last one are dropped without a word.
class KissFrameSplitter {
  public:
    using FrameHandler = std::function<void(std::string_view frame)>;

    // A run longer than `longestFrame` bytes is dropped whole, so that a stream without end
    // costs bounded memory.
    explicit KissFrameSplitter(std::size_t longestFrame = SIZE_MAX) : longest_(longestFrame) {}

    // Hands every frame that ends in this block to onFrame, escapes still in place. A run
    // left open at the end of the block continues in the next one.
    void feed(std::string_view block, const FrameHandler& onFrame);

    // The stream broke off: a frame begun is dropped, and the next stream starts afresh.
    // Says whether a frame was cut so.
    bool restart();

    // Runs dropped for their length so far.
    long overlongFrames() const { return overlongFrames_; }

  private:
    void addToOpenRun(std::string_view bytes);

    std::size_t longest_;
    bool delimiterSeen_ = false;
    bool overlong_ = false; // the open run is being dropped
    std::string pending_;   // the open run, only when it crosses a block boundary
    long overlongFrames_ = 0;
};

// Frames kept for decoding: 67 to 333 bytes as they stand in the capture, command byte
// and both bytes of every escape pair counted (201 to 999 characters as hex tokens).
inline constexpr std::size_t kShortestKeptFrame = 67;
inline constexpr std::size_t kLongestKeptFrame = 333;
inline bool isKeptFrame(std::string_view rawFrame) {
    return rawFrame.size() >= kShortestKeptFrame && rawFrame.size() <= kLongestKeptFrame;
}

// The frame with its escapes resolved: DB DC is C0, DB DD is DB, a DB before any other
// byte vanishes with that byte, and a DB at the very end vanishes.
void appendWithoutEscapes(std::string& out, std::string_view rawFrame);

// The HEX line of a kept frame: its bytes, escapes resolved, as hex tokens, then CR LF.
void appendKissHexLine(std::string& out, std::string_view rawFrame);

} // namespace zelto
