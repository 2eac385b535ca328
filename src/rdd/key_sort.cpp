#include "rdd/key_sort.h"

#include "rdd/file.h"

#include <algorithm>
#include <thread>

namespace rdd {

namespace {

struct SortItem {
  std::uint64_t prefix;
  std::uint32_t index;
  bool operator<(const SortItem& o) const { return prefix != o.prefix ? prefix < o.prefix : index < o.index; }
};

std::uint64_t word(const char* kp, std::size_t ks, const std::vector<std::size_t>& cols, std::uint32_t index,
                   std::size_t depth) {
  const std::size_t width = cols.size();
  std::uint64_t p = 0;
  const unsigned char* k = reinterpret_cast<const unsigned char*>(kp + std::size_t(index) * ks);
  for (std::size_t b = depth; b < depth + 8; ++b) p = (p << 8) | (b < width ? k[cols[b]] : 0);
  return p;
}

// Sorts items holding their first eight deciding bytes, eight bytes at a
// time: each run of keys equal so far is sorted again on its next eight
// bytes, loaded once per key (not once per comparison).
void sortItems(const char* kp, std::size_t ks, const std::vector<std::size_t>& cols, SortItem* items, std::size_t n) {
  const std::size_t width = cols.size();
  std::sort(items, items + n);
  struct Run {
    std::size_t begin, end, depth;
  };
  std::vector<Run> runs{{0, n, 0}};
  while (!runs.empty()) {
    Run r = runs.back();
    runs.pop_back();
    if (r.depth + 8 >= width) continue;
    for (std::size_t i = r.begin; i < r.end;) {
      std::size_t j = i + 1;
      while (j < r.end && items[j].prefix == items[i].prefix) ++j;
      if (j - i > 1) {
        for (std::size_t k = i; k < j; ++k) {
          if (k + 16 < r.end) __builtin_prefetch(kp + std::size_t(items[k + 16].index) * ks + cols[r.depth + 8]);
          items[k].prefix = word(kp, ks, cols, items[k].index, r.depth + 8);
        }
        std::sort(items + i, items + j);
        runs.push_back(Run{i, j, r.depth + 8});
      }
      i = j;
    }
  }
}

}  // namespace

std::vector<std::uint32_t> sortKeys(const char* keys, std::size_t n, std::size_t keySize,
                                    const std::vector<unsigned char>& differs) {
  std::vector<std::size_t> cols;
  for (std::size_t b = 0; b < keySize; ++b)
    if (differs[b]) cols.push_back(b);
  LargeBlock block(n * sizeof(SortItem));
  SortItem* items = reinterpret_cast<SortItem*>(block.data());
  for (std::size_t i = 0; i < n; ++i) items[i] = SortItem{word(keys, keySize, cols, std::uint32_t(i), 0), std::uint32_t(i)};
  // Large sets are split at a sampled median of the first eight bytes; the
  // two parts are sorted at once and simply follow each other.
  std::size_t split = 0;
  constexpr std::size_t kParallelFrom = 65536;
  if (n >= kParallelFrom && std::thread::hardware_concurrency() >= 2) {
    std::vector<std::uint64_t> sample;
    for (std::size_t i = 0; i < n; i += n / 1024) sample.push_back(items[i].prefix);
    std::nth_element(sample.begin(), sample.begin() + long(sample.size() / 2), sample.end());
    const std::uint64_t pivot = sample[sample.size() / 2];
    split = std::size_t(std::partition(items, items + n, [&](const SortItem& it) { return it.prefix < pivot; }) - items);
  }
  if (split > 0 && split < n) {
    std::thread worker([&] { sortItems(keys, keySize, cols, items, split); });
    sortItems(keys, keySize, cols, items + split, n - split);
    worker.join();
  } else {
    sortItems(keys, keySize, cols, items, n);
  }
  std::vector<std::uint32_t> sorted(n);
  for (std::size_t i = 0; i < n; ++i) sorted[i] = items[i].index;
  return sorted;
}

}  // namespace rdd
