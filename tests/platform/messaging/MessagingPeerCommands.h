#pragma once
// Messages that the messaging tests post to their peer program to make it act.

#include <cstdint>

namespace peercommand {

inline constexpr uint32_t kCrash = 0x7F01; // the peer kills itself, leaving its files behind
inline constexpr uint32_t kHang = 0x7F02;  // the peer's GUI thread sleeps wParam milliseconds
inline constexpr uint32_t kQuit = 0x7F03;  // the peer ends normally

} // namespace peercommand
