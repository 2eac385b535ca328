// NTX indexes: a B-tree of 1024-byte pages whose keys are the values of a
// key expression, in the layout the suite's programs share.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "rdd/file.h"

namespace rdd {

constexpr int kNtxPage = 1024;
constexpr int kNtxMaxExpr = 256;

// Pages read from an index file, found by page number (no hashing). Slots
// stay where they are until the cache is trimmed or cleared.
class NtxPageCache {
 public:
  const char* find(std::uint32_t offset) const {
    std::size_t n = offset / kNtxPage;
    return n < slotOf_.size() && slotOf_[n] >= 0 ? slot(std::size_t(slotOf_[n])) : nullptr;
  }
  char* insert(std::uint32_t offset);
  std::size_t size() const { return offsets_.size(); }
  void clear();
  // Keeps only the pages for which keep(bytes) holds, and changed ones.
  void keepOnly(const std::function<bool(const char*)>& keep);
  // Pages changed here and not yet written to the file.
  void markChanged(std::uint32_t offset);
  std::size_t changedCount() const { return changedCount_; }
  // The changed pages' offsets, in file order; they count as written after.
  std::vector<std::uint32_t> takeChanged();

 private:
  static constexpr std::size_t kPerBlock = 256;  // pages are allocated in blocks
  char* slot(std::size_t i) const { return blocks_[i / kPerBlock].get() + (i % kPerBlock) * kNtxPage; }
  std::vector<std::int32_t> slotOf_;  // by page number; -1: not held
  std::vector<std::unique_ptr<char[]>> blocks_;
  std::vector<std::uint32_t> offsets_;  // the page offset held in each slot
  std::vector<char> changed_;           // by slot
  std::size_t changedCount_ = 0;
};

struct NtxHeader {
  std::uint16_t signature = 6;
  std::uint16_t counter = 1;  // update counter: other stations' changes show here
  std::uint32_t root = 0;
  std::uint32_t nextFree = 0;
  std::uint16_t itemSize = 0;
  std::uint16_t keySize = 0;
  std::uint16_t keyDec = 0;
  std::uint16_t maxItems = 0;
  std::uint16_t halfPage = 0;
  std::string keyExpr;
  bool unique = false;
  bool descend = false;
};

// The maximum number of keys a page holds for a key size (an even number).
int ntxMaxItems(int keySize);

struct NtxItem {
  std::uint32_t child = 0;  // file offset of the page left of this key; 0 in leaves
  std::uint32_t recno = 0;
  std::string key;
};

struct NtxPage {
  std::uint32_t offset = 0;
  // count keys, plus one more item whose child is the rightmost subtree
  std::vector<NtxItem> items;
  int count() const { return int(items.size()) - 1; }
  bool leaf() const { return items.empty() || items[0].child == 0; }
};

class NtxIndex {
 public:
  // Null (after raising the runtime error naming the file) when it cannot be
  // opened or its header is not an NTX header.
  static std::unique_ptr<NtxIndex> open(const std::string& path, OpenMode mode);
  ~NtxIndex();
  // Writes a whole index from keys already sorted by (key, record number):
  // the pages are written bottom-up in one pass.
  // `keys` holds n keys of keySize bytes, `recnos` their records, `sorted`
  // the positions in (key, record) order.
  static std::unique_ptr<NtxIndex> build(const std::string& path, const std::string& keyExpr, int keySize, int keyDec,
                                         const char* keys, const std::uint32_t* recnos,
                                         const std::vector<std::uint32_t>& sorted, OpenMode reopenAs);

  const NtxHeader& header() const { return head_; }
  const std::string& path() const { return file_->path(); }
  int keySize() const { return head_.keySize; }

  // A position in the tree: the path of (page offset, item index) from the root.
  struct Cursor {
    std::vector<std::pair<std::uint32_t, int>> path;
    bool valid() const { return !path.empty(); }
  };
  bool top(Cursor& c);
  bool bottom(Cursor& c);
  bool next(Cursor& c);
  bool prev(Cursor& c);
  // First key >= key, comparing only the length of `key`; true when that
  // key begins with `key`. With `last`, the last key that begins with it.
  bool seek(Cursor& c, std::string_view key, bool last = false);
  // Positions on exactly (key, recno); false when it is not in the index.
  bool find(Cursor& c, std::string_view key, std::uint32_t recno);
  std::uint32_t recno(const Cursor& c);
  std::string key(const Cursor& c);

  void insert(std::string_view key, std::uint32_t recno);
  bool remove(std::string_view key, std::uint32_t recno);

  // Walks every page: keys in order, counts and pointers sound. Problems go
  // to `report`; every (key, recno) in order goes to `visit`.
  bool check(std::vector<std::string>& report,
             const std::function<void(const std::string&, std::uint32_t)>& visit);

  // Shared mode: drops cached pages when another station changed the index.
  void refresh();
  bool seekHeld(Cursor& c, std::string_view key, bool last);  // under the lock, or from the cache alone
  // True when another station changed the index since it was last read.
  bool stale();

 private:
  NtxIndex() = default;
  // A page as stored, read in place.
  struct PageRef {
    const char* b;
    int keySize;
    int count() const { return int(std::uint8_t(b[0]) | std::uint8_t(b[1]) << 8); }
    const char* item(int i) const {
      int at = std::uint8_t(b[2 + 2 * i]) | std::uint8_t(b[3 + 2 * i]) << 8;
      return b + (at + 8 + keySize <= kNtxPage ? at : kNtxPage - 8 - keySize);  // never outside the page
    }
    std::uint32_t child(int i) const { return word(item(i)); }
    std::uint32_t recno(int i) const { return word(item(i) + 4); }
    std::string_view key(int i) const { return std::string_view(item(i) + 8, std::size_t(keySize)); }
    bool leaf() const { return child(0) == 0; }
    static std::uint32_t word(const char* p) {
      return std::uint32_t(std::uint8_t(p[0])) | std::uint32_t(std::uint8_t(p[1])) << 8 |
             std::uint32_t(std::uint8_t(p[2])) << 16 | std::uint32_t(std::uint8_t(p[3])) << 24;
    }
  };
  PageRef page(std::uint32_t offset);
  NtxPage editable(std::uint32_t offset);
  const char* pageBytes(std::uint32_t offset);
  void boundCache();
  void writeRawPage(std::uint32_t offset, const char* bytes);
  // Puts a key into a leaf that has room, in place; false when it cannot.
  bool insertIntoLeaf(std::uint32_t offset, int at, const std::string& key, std::uint32_t rec);
  bool loadPage(std::uint32_t offset, NtxPage& out, std::string& why);
  void writePage(const NtxPage& p);
  std::uint32_t newPage();
  void writeHeader();
  void flushPending();
  std::uint64_t fileEnd();
  void descendFirst(Cursor& c, std::uint32_t offset);
  void descendLast(Cursor& c, std::uint32_t offset);
  bool settleForward(Cursor& c);
  bool settleBackward(Cursor& c);
  bool lockWrite();
  void unlockWrite();
  void corrupt(const std::string& why);

  // The index lock, shared while reading (not taken again under the write lock).
  class ReadLock {
   public:
    explicit ReadLock(NtxIndex& x);
    ~ReadLock();

   private:
    NtxIndex& x_;
    bool held_ = false;
  };

  std::unique_ptr<File> file_;
  OpenMode mode_ = OpenMode::Shared;
  bool writeLocked_ = false;
  NtxHeader head_;
  NtxPageCache raw_;
  std::uint32_t readAheadFrom_ = 0;  // the page after the last one read
  bool cacheOnly_ = false;           // a missing page ends the operation (CacheMiss)
  // Opened exclusively, changed pages are held back in the page cache and
  // written together (in file order) when enough have gathered and on
  // close: many inserts into the same pages cost one write each.
  bool headerPending_ = false;
  std::uint64_t pendingEnd_ = 0;  // the file end counting pages not yet written
};

}  // namespace rdd
