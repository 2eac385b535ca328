// Puts the keys of a one-pass index build in order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace rdd {

// The positions 0..n-1 of the fixed-width keys in `keys`, in key order;
// equal keys keep the order of their positions. Bytes where `differs` is
// zero hold the same value in every key and are not compared.
std::vector<std::uint32_t> sortKeys(const char* keys, std::size_t n, std::size_t keySize,
                                    const std::vector<unsigned char>& differs);

}  // namespace rdd
