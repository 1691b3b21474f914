// The end of an HDLC frame at its closing flag: length and FCS checks.
#include "radio/hdlc_deframer.h"

#include "radio/crc16_x25.h"

namespace zelto {

bool HdlcDeframer::closeAtFlag() {
    bool whole = false;
    // The flag's own 0111111 went in as data before its last 0 showed what it was.
    if (open_ && bits_ >= 7 && (bits_ - 7) % 8 == 0) {
        const std::size_t length = (bits_ - 7) / 8;
        if (length >= kShortestFrame + 2) {
            const std::size_t body = length - 2;
            const unsigned fcs = bytes_[body] | (bytes_[body + 1] << 8);
            if (crc16X25(bytes_.data(), body) == fcs) {
                frameLength_ = body;
                frameLineBits_ = lineBits_;
                whole = true;
            }
        }
    }
    open_ = true;
    bits_ = 0;
    lineBits_ = 0;
    return whole;
}

} // namespace zelto
