#pragma once

#include "radio/g3ruh_descrambler.h"
#include "radio/hdlc_deframer.h"
#include "radio/nrzi_decoder.h"

#include <string_view>

namespace zelto {

// The levels of one slicer decoded two ways at once: descrambled (G3RUH), then NRZI, then
// HDLC; and NRZI then HDLC for a stream sent without the scrambler.
class LineDecoder {
  public:
    // Calls onFrame(frame, lineBits) for each frame whose FCS checks, on either path.
    template <class OnFrame> void push(unsigned level, OnFrame&& onFrame) {
        if (scrambledFrames_.push(scrambledNrzi_.push(descrambler_.push(level))))
            onFrame(scrambledFrames_.frame(), scrambledFrames_.frameLineBits());
        if (plainFrames_.push(plainNrzi_.push(level)))
            onFrame(plainFrames_.frame(), plainFrames_.frameLineBits());
    }

  private:
    G3ruhDescrambler descrambler_;
    NrziDecoder scrambledNrzi_;
    HdlcDeframer scrambledFrames_;
    NrziDecoder plainNrzi_;
    HdlcDeframer plainFrames_;
};

} // namespace zelto
