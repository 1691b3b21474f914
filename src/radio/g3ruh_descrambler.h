#pragma once

#include <cstdint>

namespace zelto {

// The G3RUH descrambler, self-synchronising (x^17 + x^12 + 1): each bit is the received one
// XOR the received ones 12 and 17 bits before. An error on the line spoils three bits, and it
// settles by itself after 17 bits wherever it starts.
class G3ruhDescrambler {
  public:
    unsigned push(unsigned bit) {
        history_ = (history_ << 1) | bit;
        return (bit ^ (history_ >> 12) ^ (history_ >> 17)) & 1u;
    }

  private:
    std::uint32_t history_ = 0;
};

} // namespace zelto
