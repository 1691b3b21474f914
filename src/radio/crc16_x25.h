#pragma once

#include <cstddef>
#include <cstdint>

namespace zelto {

// CRC-16/X.25, the FCS of an HDLC frame: reflected polynomial 0x1021, initial value and final
// XOR 0xFFFF. The frame carries it after its bytes, low byte first.
std::uint16_t crc16X25(const unsigned char* bytes, std::size_t count);

} // namespace zelto
