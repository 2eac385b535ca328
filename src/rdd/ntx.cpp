#include "rdd/ntx.h"

#include <algorithm>
#include <cstring>
#include <chrono>
#include <thread>
#include <unordered_set>

#include "rdd/dbf.h"
#include "rdd/bytes.h"
#include "xbase/error.h"

namespace rdd {

namespace {
// Thrown inside a seek served from the page cache when a page is missing.
struct CacheMiss {};
}  // namespace

namespace {


// Compares a stored key with a search key over the search key's length.
int comparePrefix(std::string_view stored, std::string_view key) {
  std::size_t n = std::min(stored.size(), key.size());
  int c = std::memcmp(stored.data(), key.data(), n);
  return c < 0 ? -1 : c > 0 ? 1 : 0;
}

int compareFull(std::string_view ak, std::uint32_t ar, std::string_view bk, std::uint32_t br) {
  int c = ak.compare(bk);
  if (c) return c < 0 ? -1 : 1;
  return ar < br ? -1 : ar > br ? 1 : 0;
}

void encodeHeader(const NtxHeader& h, char* buf) {
  std::memset(buf, 0, kNtxPage);
  put16(buf, h.signature);
  put16(buf + 2, h.counter);
  put32(buf + 4, h.root);
  put32(buf + 8, h.nextFree);
  put16(buf + 12, h.itemSize);
  put16(buf + 14, h.keySize);
  put16(buf + 16, h.keyDec);
  put16(buf + 18, h.maxItems);
  put16(buf + 20, h.halfPage);
  std::memcpy(buf + 22, h.keyExpr.data(), std::min<std::size_t>(h.keyExpr.size(), kNtxMaxExpr - 1));
  buf[22 + kNtxMaxExpr] = h.unique ? 1 : 0;
  buf[22 + kNtxMaxExpr + 2] = h.descend ? 1 : 0;
}

void encodePage(const NtxHeader& h, const NtxPage& p, char* buf) {
  std::memset(buf, 0, kNtxPage);
  put16(buf, std::uint16_t(p.count()));
  int base = 2 + 2 * (h.maxItems + 1);
  for (int i = 0; i <= h.maxItems; ++i) {
    int off = base + i * h.itemSize;
    put16(buf + 2 + 2 * i, std::uint16_t(off));
    if (i < int(p.items.size())) {
      const NtxItem& it = p.items[std::size_t(i)];
      put32(buf + off, it.child);
      put32(buf + off + 4, it.recno);
      std::memcpy(buf + off + 8, it.key.data(), std::min<std::size_t>(it.key.size(), h.keySize));
    }
  }
}

}  // namespace

char* NtxPageCache::insert(std::uint32_t offset) {
  std::size_t n = offset / kNtxPage;
  if (n >= slotOf_.size()) slotOf_.resize(n + 1 + n / 4, -1);
  if (slotOf_[n] >= 0) return slot(std::size_t(slotOf_[n]));
  std::size_t i = offsets_.size();
  if (i / kPerBlock >= blocks_.size()) blocks_.emplace_back(new char[kPerBlock * kNtxPage]);
  slotOf_[n] = std::int32_t(i);
  offsets_.push_back(offset);
  changed_.push_back(0);
  return slot(i);
}

void NtxPageCache::markChanged(std::uint32_t offset) {
  std::size_t n = offset / kNtxPage;
  if (n >= slotOf_.size() || slotOf_[n] < 0) return;
  char& c = changed_[std::size_t(slotOf_[n])];
  if (!c) ++changedCount_;
  c = 1;
}

std::vector<std::uint32_t> NtxPageCache::takeChanged() {
  std::vector<std::uint32_t> out;
  out.reserve(changedCount_);
  for (std::size_t i = 0; i < offsets_.size(); ++i)
    if (changed_[i]) {
      out.push_back(offsets_[i]);
      changed_[i] = 0;
    }
  changedCount_ = 0;
  std::sort(out.begin(), out.end());
  return out;
}

void NtxPageCache::clear() {
  for (std::uint32_t off : offsets_) slotOf_[off / kNtxPage] = -1;
  offsets_.clear();
  changed_.clear();
  changedCount_ = 0;
  // One block is kept for the next pages; the others go back.
  if (blocks_.size() > 1) blocks_.resize(1);
}

void NtxPageCache::keepOnly(const std::function<bool(const char*)>& keep) {
  // Pages kept move down to the lowest slots, in order.
  std::size_t kept = 0;
  for (std::size_t i = 0; i < offsets_.size(); ++i) {
    std::size_t n = offsets_[i] / kNtxPage;
    if (changed_[i] || keep(slot(i))) {
      if (kept != i) std::memcpy(slot(kept), slot(i), kNtxPage);
      slotOf_[n] = std::int32_t(kept);
      changed_[kept] = changed_[i];
      offsets_[kept++] = offsets_[i];
    } else {
      slotOf_[n] = -1;
    }
  }
  offsets_.resize(kept);
  changed_.resize(kept);
  blocks_.resize((kept + kPerBlock - 1) / kPerBlock);
}

int ntxMaxItems(int keySize) {
  int m = (kNtxPage - 2) / (keySize + 10) - 1;
  return m & ~1;
}

void NtxIndex::corrupt(const std::string& why) {
  if (raw_.changedCount() == 0) raw_.clear();  // changed pages stay to be written
  raiseTableError(xbase::EG_CORRUPTION, 1012, file_ ? file_->path() : std::string(), 0, why);
}

std::unique_ptr<NtxIndex> NtxIndex::open(const std::string& path, OpenMode mode) {
  int os = 0;
  auto f = File::open(path, mode, os);
  if (!f) {
    raiseTableError(xbase::EG_OPEN, 1003, path, os, "DBFNTX open index");
    return nullptr;
  }
  std::unique_ptr<NtxIndex> x(new NtxIndex());
  x->file_ = std::move(f);
  x->mode_ = mode;
  char buf[kNtxPage];
  std::string why;
  if (x->file_->read(0, buf, kNtxPage) != std::size_t(kNtxPage)) why = "index header cut short";
  NtxHeader& h = x->head_;
  if (why.empty()) {
    h.signature = u16(buf);
    h.counter = u16(buf + 2);
    h.root = u32(buf + 4);
    h.nextFree = u32(buf + 8);
    h.itemSize = u16(buf + 12);
    h.keySize = u16(buf + 14);
    h.keyDec = u16(buf + 16);
    h.maxItems = u16(buf + 18);
    h.halfPage = u16(buf + 20);
    h.keyExpr.assign(buf + 22, strnlen(buf + 22, kNtxMaxExpr));
    h.unique = buf[22 + kNtxMaxExpr] != 0;
    h.descend = buf[22 + kNtxMaxExpr + 2] != 0;
    std::uint64_t size = x->file_->size();
    if ((h.signature & 0xFF) != 0x06 && (h.signature & 0xFF) != 0x26)
      why = "not an NTX index (signature)";
    else if (h.keySize == 0 || h.keySize > 256 || h.itemSize != h.keySize + 8)
      why = "damaged index header (key size)";
    else if (h.maxItems < 2 || 2 + (h.maxItems + 1) * (2 + h.itemSize) > kNtxPage)
      why = "damaged index header (items per page)";
    else if (h.root == 0 || h.root % kNtxPage || h.root + kNtxPage > size)
      why = "index root page outside the file";
  }
  if (!why.empty()) {
    raiseTableError(xbase::EG_CORRUPTION, 1012, path, 0, why);
    return nullptr;
  }
  return x;
}

bool NtxIndex::loadPage(std::uint32_t offset, NtxPage& out, std::string& why) {
  if (offset == 0 || offset % kNtxPage || offset + kNtxPage > fileEnd()) {
    why = "page pointer outside the index file";
    return false;
  }
  const char* buf = pageBytes(offset);
  if (!buf) {
    why = "index page cut short";
    return false;
  }
  int count = u16(buf);
  if (count > head_.maxItems) {
    why = "index page with too many keys";
    return false;
  }
  out.offset = offset;
  out.items.resize(std::size_t(count) + 1);
  for (int i = 0; i <= count; ++i) {
    int off = u16(buf + 2 + 2 * i);
    if (off < 2 || off + head_.itemSize > kNtxPage) {
      why = "index page item outside the page";
      return false;
    }
    NtxItem& it = out.items[std::size_t(i)];
    it.child = u32(buf + off);
    it.recno = u32(buf + off + 4);
    if (i < count) it.key.assign(buf + off + 8, head_.keySize);
    if (it.child && (it.child % kNtxPage || it.child == offset)) {
      why = "child page pointer not on a page";
      return false;
    }
  }
  return true;
}

const char* NtxIndex::pageBytes(std::uint32_t offset) {
  // Pages changed and not yet written come first; then the cache of pages
  // read (kept current by writePage, dropped when another station changes
  // the index).
  if (const char* held = raw_.find(offset)) return held;
  if (cacheOnly_) throw CacheMiss{};
  // Pages asked for in file order (the leaves of a built index, in a scan)
  // are read ahead a block at a time; others one by one.
  constexpr std::size_t kAhead = 16;
  const std::size_t want = offset == readAheadFrom_ ? kAhead : 1;
  std::array<char, kAhead * kNtxPage> block;
  std::size_t got = file_->read(offset, block.data(), want * kNtxPage) / kNtxPage;
  if (got == 0) return nullptr;
  for (std::size_t i = 0; i < got; ++i) {
    std::uint32_t at = offset + std::uint32_t(i) * kNtxPage;
    if (i > 0 && raw_.find(at)) continue;
    std::memcpy(raw_.insert(at), block.data() + i * kNtxPage, kNtxPage);
  }
  readAheadFrom_ = offset + (want == 1 ? kNtxPage : std::uint32_t(got) * kNtxPage);
  return raw_.find(offset);
}

void NtxIndex::boundCache() {
  // Between operations only, so that no page in use goes away. The upper
  // pages of the tree are few and wanted by every seek: only leaves go.
  constexpr std::size_t kCachePages = 16384;
  if (raw_.size() <= kCachePages) return;
  flushPending();
  raw_.keepOnly([](const char* p) {
    std::uint16_t first = u16(p + 2);
    return first + 4 <= kNtxPage && u32(p + first) != 0;
  });
  if (raw_.size() > kCachePages / 2) raw_.clear();
}

NtxIndex::PageRef NtxIndex::page(std::uint32_t offset) {
  static const char emptyPage[kNtxPage] = {0, 0, 4, 0};  // no keys, one item without a child
  const char* b = offset && offset % kNtxPage == 0 ? pageBytes(offset) : nullptr;
  std::string why = b ? "" : "page pointer outside the index file";
  // Item offsets are kept inside the page by PageRef itself; `dbf check`
  // reports them in full.
  if (b && u16(b) > head_.maxItems) why = "index page with too many keys";
  if (!why.empty()) {
    corrupt(why);
    return PageRef{emptyPage, head_.keySize};
  }
  return PageRef{b, head_.keySize};
}

NtxPage NtxIndex::editable(std::uint32_t offset) {
  PageRef r = page(offset);
  NtxPage p;
  p.offset = offset;
  p.items.resize(std::size_t(r.count()) + 1);
  for (int i = 0; i <= r.count(); ++i) {
    p.items[std::size_t(i)].child = r.child(i);
    p.items[std::size_t(i)].recno = r.recno(i);
    if (i < r.count()) p.items[std::size_t(i)].key.assign(r.key(i));
  }
  return p;
}

void NtxIndex::refresh() {
  boundCache();
  if (mode_ != OpenMode::Shared) return;
  char buf[12];
  if (const char* v = file_->view(kNtxPage))
    std::memcpy(buf, v, 12);
  else if (file_->read(0, buf, 12) != 12)
    return;
  std::uint16_t counter = u16(buf + 2);
  if (counter != head_.counter) {
    head_.counter = counter;
    head_.root = u32(buf + 4);
    head_.nextFree = u32(buf + 8);
    raw_.clear();
  }
}

void NtxIndex::descendFirst(Cursor& c, std::uint32_t off) {
  for (int guard = 0; guard < 64; ++guard) {
    c.path.emplace_back(off, 0);
    PageRef p = page(off);
    if (p.leaf() || p.child(0) == 0) return;
    off = p.child(0);
  }
  corrupt("index tree too deep (a page loop)");
}

void NtxIndex::descendLast(Cursor& c, std::uint32_t off) {
  for (int guard = 0; guard < 64; ++guard) {
    PageRef p = page(off);
    if (p.leaf()) {
      c.path.emplace_back(off, p.count() - 1);
      return;
    }
    c.path.emplace_back(off, p.count());
    off = p.child(p.count());
  }
  corrupt("index tree too deep (a page loop)");
}

bool NtxIndex::settleForward(Cursor& c) {
  while (!c.path.empty()) {
    auto [off, i] = c.path.back();
    if (i < page(off).count()) return true;
    c.path.pop_back();
  }
  return false;
}

bool NtxIndex::settleBackward(Cursor& c) {
  while (!c.path.empty()) {
    auto [off, i] = c.path.back();
    if (i >= 0 && i < page(off).count()) return true;
    c.path.pop_back();
    if (c.path.empty()) return false;
    c.path.back().second -= 1;
  }
  return false;
}

bool NtxIndex::top(Cursor& c) {
  ReadLock guard(*this);
  refresh();
  c.path.clear();
  descendFirst(c, head_.root);
  return settleForward(c);
}

bool NtxIndex::bottom(Cursor& c) {
  ReadLock guard(*this);
  refresh();
  c.path.clear();
  descendLast(c, head_.root);
  return settleBackward(c);
}

bool NtxIndex::next(Cursor& c) {
  if (c.path.empty()) return false;
  boundCache();
  auto [off, i] = c.path.back();
  PageRef p = page(off);
  c.path.back().second = i + 1;
  if (!p.leaf()) descendFirst(c, p.child(i + 1));
  return settleForward(c);
}

bool NtxIndex::prev(Cursor& c) {
  if (c.path.empty()) return false;
  boundCache();
  auto [off, i] = c.path.back();
  PageRef p = page(off);
  if (!p.leaf()) {
    descendLast(c, p.child(i));
  } else {
    c.path.back().second = i - 1;
  }
  return settleBackward(c);
}

bool NtxIndex::seek(Cursor& c, std::string_view key, bool last) {
  // In a shared open, a seek whose pages are all in the cache and whose
  // update counter has not moved since they were read needs no lock: the
  // pages held are a consistent state of the index. Small master tables
  // are sought this way thousands of times without a system call.
  if (mode_ == OpenMode::Shared && !writeLocked_ && raw_.size() > 0) {
    const char* v = file_->view(kNtxPage);
    if (v && u16(v + 2) == head_.counter) {
      cacheOnly_ = true;
      try {
        bool hit = seekHeld(c, key, last);
        cacheOnly_ = false;
        return hit;
      } catch (const CacheMiss&) {
        cacheOnly_ = false;
      }
    }
  }
  ReadLock guard(*this);
  refresh();
  return seekHeld(c, key, last);
}

bool NtxIndex::seekHeld(Cursor& c, std::string_view key, bool last) {
  if (key.size() > head_.keySize) key = key.substr(0, head_.keySize);
  c.path.clear();
  std::uint32_t off = head_.root;
  for (int guard = 0; guard < 64; ++guard) {
    PageRef p = page(off);
    int n = p.count(), i = 0;
    // Binary search: the first key not below (or, for `last`, above) the search key.
    int lo = 0, hi = n;
    while (lo < hi) {
      int mid = (lo + hi) / 2;
      int cmp = comparePrefix(p.key(mid), key);
      if (last ? cmp <= 0 : cmp < 0)
        lo = mid + 1;
      else
        hi = mid;
    }
    i = lo;
    c.path.emplace_back(off, i);
    if (p.leaf()) break;
    off = p.child(i);
  }
  bool ok = settleForward(c);
  if (last) {
    if (!ok) {
      if (!bottom(c)) return false;
    } else if (!prev(c)) {
      return false;
    }
    ok = c.valid();
  }
  return ok && comparePrefix(this->key(c), key) == 0;
}

bool NtxIndex::find(Cursor& c, std::string_view key, std::uint32_t rec) {
  ReadLock guard(*this);
  refresh();
  std::string full(key.substr(0, head_.keySize));
  full.resize(head_.keySize, ' ');
  c.path.clear();
  std::uint32_t off = head_.root;
  for (int guard = 0; guard < 64; ++guard) {
    PageRef p = page(off);
    int lo = 0, hi = p.count();
    while (lo < hi) {
      int mid = (lo + hi) / 2;
      if (compareFull(p.key(mid), p.recno(mid), full, rec) < 0)
        lo = mid + 1;
      else
        hi = mid;
    }
    c.path.emplace_back(off, lo);
    if (lo < p.count() && p.recno(lo) == rec && p.key(lo) == full) return true;
    if (p.leaf()) break;
    off = p.child(lo);
  }
  c.path.clear();
  return false;
}

std::uint32_t NtxIndex::recno(const Cursor& c) {
  if (c.path.empty()) return 0;
  auto [off, i] = c.path.back();
  return page(off).recno(i);
}

std::string NtxIndex::key(const Cursor& c) {
  if (c.path.empty()) return std::string();
  auto [off, i] = c.path.back();
  return std::string(page(off).key(i));
}

namespace {
constexpr std::size_t kPendingPages = 8192;  // 8 MB of held-back pages at most
}

NtxIndex::~NtxIndex() {
  try {
    flushPending();
  } catch (const xbase::ErrorException&) {
    // Reported to the error handler; the index closes anyway.
  }
}

void NtxIndex::writePage(const NtxPage& p) {
  char buf[kNtxPage];
  encodePage(head_, p, buf);
  writeRawPage(p.offset, buf);
}

void NtxIndex::writeRawPage(std::uint32_t offset, const char* buf) {
  if (mode_ == OpenMode::Shared) {
    file_->write(offset, buf, kNtxPage);
    if (const char* held = raw_.find(offset)) std::memcpy(const_cast<char*>(held), buf, kNtxPage);
  } else {
    std::memcpy(raw_.insert(offset), buf, kNtxPage);
    raw_.markChanged(offset);
  }
}

bool NtxIndex::insertIntoLeaf(std::uint32_t offset, int at, const std::string& key, std::uint32_t rec) {
  // A leaf with room takes the key the way the suite's programs do it: the
  // spare item slot named after the last item receives the key, and the
  // item offsets from `at` on move up by one. Nothing else in the page moves.
  const char* held = pageBytes(offset);
  if (!held) return false;
  // In an exclusive open the cached page itself is changed (it is written
  // later); in a shared one a copy is changed and written at once.
  char copy[kNtxPage];
  const bool inPlace = mode_ != OpenMode::Shared;
  char* buf = inPlace ? raw_.insert(offset) : copy;
  if (!inPlace) std::memcpy(buf, held, kNtxPage);
  const int n = u16(buf), base = 2 + 2 * (head_.maxItems + 1);
  if (n >= head_.maxItems || at < 0 || at > n) return false;
  const std::uint16_t last = u16(buf + 2 + 2 * n);  // the item after the keys: no child in a leaf
  if (last + 4 > kNtxPage || u32(buf + last) != 0) return false;
  const std::uint16_t spare = u16(buf + 2 + 2 * (n + 1));
  if (spare < base || spare + head_.itemSize > kNtxPage || (spare - base) % head_.itemSize) return false;
  std::memmove(buf + 2 + 2 * (at + 1), buf + 2 + 2 * at, std::size_t(2 * (n + 1 - at)));
  put16(buf + 2 + 2 * at, spare);
  put32(buf + spare, 0);
  put32(buf + spare + 4, rec);
  std::memcpy(buf + spare + 8, key.data(), head_.keySize);
  put16(buf, std::uint16_t(n + 1));
  if (inPlace)
    raw_.markChanged(offset);
  else
    writeRawPage(offset, buf);
  return true;
}

void NtxIndex::writeHeader() {
  if (mode_ != OpenMode::Shared) {
    headerPending_ = true;
    return;
  }
  char buf[kNtxPage];
  encodeHeader(head_, buf);
  file_->write(0, buf, kNtxPage);
}

void NtxIndex::flushPending() {
  if (!file_ || (raw_.changedCount() == 0 && !headerPending_)) return;
  bool ok = true;
  // Runs of neighbouring pages in one write each.
  std::vector<std::uint32_t> changed = raw_.takeChanged();
  std::string run;
  std::uint32_t runFirst = 0;
  for (std::size_t i = 0; i < changed.size(); ++i) {
    if (run.empty()) runFirst = changed[i];
    run.append(raw_.find(changed[i]), kNtxPage);
    if (i + 1 == changed.size() || changed[i + 1] != changed[i] + kNtxPage) {
      ok = file_->write(runFirst, run.data(), run.size()) && ok;
      run.clear();
    }
  }
  if (headerPending_) {
    char buf[kNtxPage];
    encodeHeader(head_, buf);
    ok = file_->write(0, buf, kNtxPage) && ok;
  }
  headerPending_ = false;
  pendingEnd_ = 0;
  if (!ok) raiseTableError(xbase::EG_WRITE, 1011, file_->path(), 0, "DBFNTX index write");
}

std::uint64_t NtxIndex::fileEnd() { return std::max(file_->size(), pendingEnd_); }

std::uint32_t NtxIndex::newPage() {
  std::uint32_t off = std::uint32_t((fileEnd() + kNtxPage - 1) / kNtxPage * kNtxPage);
  if (mode_ != OpenMode::Shared) {
    std::memset(raw_.insert(off), 0, kNtxPage);
    raw_.markChanged(off);
    pendingEnd_ = std::uint64_t(off) + kNtxPage;
    return off;
  }
  char zero[kNtxPage] = {};
  file_->write(off, zero, kNtxPage);
  return off;
}

bool NtxIndex::lockWrite() {
  if (mode_ != OpenMode::Shared) return true;
  for (int i = 0; i < 5000; ++i) {
    if (file_->lock(kLockBase, 1, true)) {
      writeLocked_ = true;
      refresh();
      return true;
    }
    if (i > 20) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return false;
}

bool NtxIndex::stale() {
  if (mode_ != OpenMode::Shared) return false;
  // The update counter, read through the memory view: a change is rare, and
  // only then is the header read again under the lock.
  if (const char* v = file_->view(kNtxPage))
    if (u16(v + 2) == head_.counter) return false;
  ReadLock guard(*this);
  std::uint16_t before = head_.counter;
  refresh();
  return head_.counter != before;
}

NtxIndex::ReadLock::ReadLock(NtxIndex& x) : x_(x) {
  held_ = x.mode_ == OpenMode::Shared && !x.writeLocked_ && x.file_->lock(kLockBase, 1, false);
}

NtxIndex::ReadLock::~ReadLock() {
  if (held_) x_.file_->unlock(kLockBase, 1);
}

void NtxIndex::unlockWrite() {
  if (mode_ == OpenMode::Shared) file_->unlock(kLockBase, 1);
  writeLocked_ = false;
  if (raw_.changedCount() >= kPendingPages) flushPending();
}

void NtxIndex::insert(std::string_view keyIn, std::uint32_t rec) {
  std::string key(keyIn.substr(0, head_.keySize));
  key.resize(head_.keySize, ' ');
  if (!lockWrite()) {
    raiseTableError(xbase::EG_LOCK, 1038, file_->path(), 0, "index lock");
    return;
  }
  // Path to the leaf where (key, rec) belongs: after every smaller or equal pair.
  std::vector<std::pair<std::uint32_t, int>> path;
  std::uint32_t off = head_.root;
  for (int guard = 0; guard < 64; ++guard) {
    PageRef p = page(off);
    int lo = 0, hi = p.count();
    while (lo < hi) {
      int mid = (lo + hi) / 2;
      if (compareFull(p.key(mid), p.recno(mid), key, rec) <= 0)
        lo = mid + 1;
      else
        hi = mid;
    }
    path.emplace_back(off, lo);
    if (p.leaf()) break;
    off = p.child(lo);
  }
  if (insertIntoLeaf(path.back().first, path.back().second, key, rec)) {
    ++head_.counter;
    writeHeader();
    unlockWrite();
    return;
  }
  NtxItem carry{0, rec, key};
  std::uint32_t rightOfCarry = 0;  // the page right of the carried key, after a split
  for (int level = int(path.size()) - 1; level >= 0; --level) {
    NtxPage p = editable(path[std::size_t(level)].first);
    int i = path[std::size_t(level)].second;
    p.items.insert(p.items.begin() + i, carry);
    if (rightOfCarry) p.items[std::size_t(i + 1)].child = rightOfCarry;
    if (p.count() <= head_.maxItems) {
      writePage(p);
      rightOfCarry = 0;
      carry.key.clear();
      break;
    }
    // Split: the middle key moves up; the left half stays in place.
    int mid = p.count() / 2;
    NtxPage right;
    right.offset = newPage();
    right.items.assign(p.items.begin() + mid + 1, p.items.end());
    NtxItem median = p.items[std::size_t(mid)];
    NtxPage left;
    left.offset = p.offset;
    left.items.assign(p.items.begin(), p.items.begin() + mid);
    left.items.push_back(NtxItem{median.child, 0, std::string()});
    writePage(left);
    writePage(right);
    carry = NtxItem{left.offset, median.recno, median.key};
    rightOfCarry = right.offset;
  }
  if (!carry.key.empty()) {  // the root split: a new root above
    NtxPage root;
    root.offset = newPage();
    root.items.push_back(carry);
    root.items.push_back(NtxItem{rightOfCarry, 0, std::string()});
    writePage(root);
    head_.root = root.offset;
  }
  ++head_.counter;
  writeHeader();
  unlockWrite();
}

bool NtxIndex::remove(std::string_view keyIn, std::uint32_t rec) {
  if (!lockWrite()) {
    raiseTableError(xbase::EG_LOCK, 1038, file_->path(), 0, "index lock");
    return false;
  }
  Cursor c;
  bool found = find(c, keyIn, rec);
  if (found) {
    auto [off, i] = c.path.back();
    NtxPage p = editable(off);
    if (p.leaf()) {
      p.items.erase(p.items.begin() + i);
      writePage(p);
    } else {
      // Replace by the largest key of the left subtree, when it has one.
      Cursor pred;
      pred.path = c.path;
      pred.path.pop_back();
      pred.path.emplace_back(off, i);
      descendLast(pred, p.items[std::size_t(i)].child);
      auto [loff, li] = pred.path.back();
      NtxPage leaf = editable(loff);
      if (leaf.leaf() && li >= 0 && li < leaf.count() && pred.path.size() > c.path.size()) {
        NtxItem moved = leaf.items[std::size_t(li)];
        leaf.items.erase(leaf.items.begin() + li);
        writePage(leaf);
        p = editable(off);
        p.items[std::size_t(i)].key = moved.key;
        p.items[std::size_t(i)].recno = moved.recno;
      } else {
        // An empty left subtree: drop the key together with it.
        p.items.erase(p.items.begin() + i);
      }
      writePage(p);
    }
    ++head_.counter;
    writeHeader();
  }
  unlockWrite();
  return found;
}

std::unique_ptr<NtxIndex> NtxIndex::build(const std::string& path, const std::string& keyExpr, int keySize,
                                          int keyDec, const char* keys, const std::uint32_t* recnos,
                                          const std::vector<std::uint32_t>& sorted, OpenMode reopenAs) {
  int os = 0;
  auto f = File::create(path, os, true);
  if (!f) {
    raiseTableError(xbase::EG_CREATE, 1004, path, os, "DBFNTX create index");
    return nullptr;
  }
  NtxHeader h;
  h.keySize = std::uint16_t(keySize);
  h.keyDec = std::uint16_t(keyDec);
  h.itemSize = std::uint16_t(keySize + 8);
  h.maxItems = std::uint16_t(ntxMaxItems(keySize));
  h.halfPage = std::uint16_t(h.maxItems / 2);
  h.keyExpr = keyExpr;
  const std::size_t maxKeys = h.maxItems;
  const int base = 2 + 2 * (h.maxItems + 1);

  // Level by level: the keys of a level are spread evenly over as few pages
  // as hold them; the key between two pages moves up to the next level.
  // Keys are named by their position in sorted order, never copied.
  std::vector<std::uint32_t> levelKeys(sorted.size());
  for (std::size_t i = 0; i < sorted.size(); ++i) levelKeys[i] = std::uint32_t(i);
  std::vector<std::uint32_t> levelChildren;  // empty on the leaf level
  std::uint32_t levelStart = kNtxPage;
  bool ok = true;
  for (;;) {
    const std::size_t m = levelKeys.size();
    const std::size_t pages = std::max<std::size_t>(1, (m + 1 + maxKeys) / (maxKeys + 1));
    const std::size_t inPages = m - (pages - 1);
    const std::size_t per = inPages / pages, extra = inPages % pages;
    auto firstKey = [&](std::size_t pg) { return pg * (per + 1) + std::min(pg, extra); };
    auto keysIn = [&](std::size_t pg) { return per + (pg < extra ? 1 : 0); };
    // Fills and writes pages [from, to) of this level in blocks.
    auto fill = [&](std::size_t from, std::size_t to) {
      constexpr std::size_t kChunk = 256;
      std::vector<char> out(kChunk * kNtxPage);
      bool written = true;
      for (std::size_t c = from; c < to; c += kChunk) {
        std::size_t cn = std::min(kChunk, to - c);
        std::memset(out.data(), 0, cn * kNtxPage);
        for (std::size_t pg = c; pg < c + cn; ++pg) {
          char* buf = out.data() + (pg - c) * kNtxPage;
          std::size_t k = firstKey(pg), n = keysIn(pg);
          put16(buf, std::uint16_t(n));
          for (int i = 0; i <= h.maxItems; ++i) put16(buf + 2 + 2 * i, std::uint16_t(base + i * h.itemSize));
          for (std::size_t j = 0; j <= n; ++j) {
            char* item = buf + base + int(j) * h.itemSize;
            if (!levelChildren.empty()) put32(item, levelChildren[k + j]);
            if (j < n) {
              // The keys lie in record order, far apart: fetch a few ahead.
              if (k + j + 8 < m)
                __builtin_prefetch(keys + std::size_t(sorted[levelKeys[k + j + 8]]) * std::size_t(keySize));
              std::uint32_t pos = sorted[levelKeys[k + j]];
              put32(item + 4, recnos[pos]);
              std::memcpy(item + 8, keys + std::size_t(pos) * std::size_t(keySize), std::size_t(keySize));
            }
          }
        }
        written = f->write(levelStart + std::uint64_t(c) * kNtxPage, out.data(), cn * kNtxPage) && written;
      }
      return written;
    };
    // Large levels are filled in two halves at once.
    if (pages >= 1024 && std::thread::hardware_concurrency() >= 2) {
      bool lowOk = true;
      std::thread worker([&] { lowOk = fill(0, pages / 2); });
      bool highOk = fill(pages / 2, pages);
      worker.join();
      ok = ok && lowOk && highOk;
    } else {
      ok = fill(0, pages) && ok;
    }
    std::vector<std::uint32_t> upKeys, upChildren;
    upKeys.reserve(pages);
    upChildren.reserve(pages);
    for (std::size_t pg = 0; pg < pages; ++pg) {
      upChildren.push_back(levelStart + std::uint32_t(pg) * kNtxPage);
      if (pg + 1 < pages) upKeys.push_back(levelKeys[firstKey(pg) + keysIn(pg)]);
    }
    levelStart += std::uint32_t(pages) * kNtxPage;
    if (pages == 1) {
      h.root = upChildren[0];
      break;
    }
    levelKeys = std::move(upKeys);
    levelChildren = std::move(upChildren);
  }
  // An index written over an older one ends where the new pages end.
  ok = f->truncate(levelStart) && ok;
  if (!ok) {
    raiseTableError(xbase::EG_WRITE, 1011, path, 0, "DBFNTX create index");
    return nullptr;
  }
  char head[kNtxPage];
  encodeHeader(h, head);
  f->write(0, head, kNtxPage);
  f.reset();
  return open(path, reopenAs);
}

bool NtxIndex::check(std::vector<std::string>& report,
                     const std::function<void(const std::string&, std::uint32_t)>& visit) {
  flushPending();
  raw_.clear();
  std::unordered_set<std::uint32_t> seen;
  bool ok = true;
  std::string lastKey;
  std::uint32_t lastRec = 0;
  bool haveLast = false;
  std::function<void(std::uint32_t, int)> walk = [&](std::uint32_t off, int depth) {
    if (!ok) return;
    if (depth > 64 || !seen.insert(off).second) {
      report.push_back("page " + std::to_string(off) + " is reached twice (a loop)");
      ok = false;
      return;
    }
    NtxPage p;
    std::string why;
    if (!loadPage(off, p, why)) {
      report.push_back("page " + std::to_string(off) + ": " + why);
      ok = false;
      return;
    }
    bool leaf = p.items[0].child == 0;
    for (int i = 0; i <= p.count(); ++i) {
      const NtxItem& it = p.items[std::size_t(i)];
      if ((it.child == 0) != leaf) {
        report.push_back("page " + std::to_string(off) + " mixes leaf and branch items");
        ok = false;
        return;
      }
      if (!leaf) walk(it.child, depth + 1);
      if (!ok || i == p.count()) continue;
      if (haveLast && compareFull(lastKey, lastRec, it.key, it.recno) >= 0) {
        report.push_back("key out of order at record " + std::to_string(it.recno));
        ok = false;
      }
      lastKey = it.key;
      lastRec = it.recno;
      haveLast = true;
      visit(it.key, it.recno);
    }
  };
  walk(head_.root, 0);
  return ok;
}

}  // namespace rdd
