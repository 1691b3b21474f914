#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace zelto {

// HDLC frames out of a bit stream: flags 0x7E, a 0 after five 1s removed, seven 1s abort,
// bytes least significant bit first, the FCS checked and taken off. Only a frame whose FCS
// checks as received is given; there is no repair.
class HdlcDeframer {
  public:
    // Frames without their FCS: shorter ones are dropped, since noise passes the FCS once in
    // 65,536 tries and mostly as short runs; longer ones are aborted.
    static constexpr std::size_t kShortestFrame = 15;
    static constexpr std::size_t kLongestFrame = 1000;

    // Takes one bit; true when it closes a frame whose FCS checks, which frame() then holds
    // until the next push.
    bool push(unsigned bit) {
        ++lineBits_;
        if (bit) {
            if (ones_ >= 6) {
                ones_ = 7; // an abort: nothing more until a flag
                open_ = false;
                return false;
            }
            ++ones_;
            if (open_)
                add(1);
            return false;
        }
        const unsigned ones = ones_;
        ones_ = 0;
        if (ones == 6)
            return closeAtFlag();
        if (ones != 5 && open_)
            add(0);
        return false;
    }

    std::string_view frame() const {
        return {reinterpret_cast<const char*>(bytes_.data()), frameLength_};
    }
    // The bits on the line from the opening flag to the closing one: the span of the frame
    // in symbols, for its signal quality.
    std::size_t frameLineBits() const { return frameLineBits_; }

  private:
    static constexpr std::size_t kMostBits = (kLongestFrame + 2) * 8 + 7;

    void add(unsigned bit) {
        if (bits_ >= kMostBits) {
            open_ = false;
            return;
        }
        const std::size_t at = bits_ >> 3;
        if ((bits_ & 7) == 0)
            bytes_[at] = static_cast<unsigned char>(bit);
        else
            bytes_[at] = static_cast<unsigned char>(bytes_[at] | (bit << (bits_ & 7)));
        ++bits_;
    }

    bool closeAtFlag();

    unsigned ones_ = 0;
    bool open_ = false; // a flag was seen and no abort since
    std::size_t bits_ = 0;
    std::size_t lineBits_ = 0;
    std::array<unsigned char, kMostBits / 8 + 1> bytes_{};
    std::size_t frameLength_ = 0;
    std::size_t frameLineBits_ = 0;
};

} // namespace zelto
