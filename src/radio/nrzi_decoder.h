#pragma once

namespace zelto {

// NRZI as HDLC modems send it: a change of level is a 0, no change a 1. Either polarity of
// the line gives the same bits.
class NrziDecoder {
  public:
    unsigned push(unsigned level) {
        const unsigned bit = level == last_ ? 1u : 0u;
        last_ = level;
        return bit;
    }

  private:
    unsigned last_ = 0;
};

} // namespace zelto
