#pragma once

#include <cstdint>

namespace zelto::test {

// A listening TCP socket on 127.0.0.1, on a port of the system's choosing, which `port`
// receives. Throws when there is none: the tests' servers listen nowhere else.
int listenOnLoopback(std::uint16_t& port);

} // namespace zelto::test
