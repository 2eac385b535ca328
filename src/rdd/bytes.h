// Little-endian integers as the DBF and NTX headers store them.
#pragma once

#include <cstdint>

namespace rdd {

inline std::uint32_t u32(const char* p) {
  const unsigned char* b = reinterpret_cast<const unsigned char*>(p);
  return std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 | std::uint32_t(b[2]) << 16 | std::uint32_t(b[3]) << 24;
}
inline std::uint16_t u16(const char* p) {
  const unsigned char* b = reinterpret_cast<const unsigned char*>(p);
  return std::uint16_t(b[0] | b[1] << 8);
}
inline void put32(char* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = char((v >> (8 * i)) & 0xFF);
}
inline void put16(char* p, std::uint16_t v) {
  p[0] = char(v & 0xFF);
  p[1] = char(v >> 8);
}

}  // namespace rdd
