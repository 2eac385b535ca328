#include "rdd/area.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <thread>

#include "rdd/key_sort.h"
#include "xbase/cp874.h"
#include "xbase/dates.h"
#include "xbase/numfmt.h"
#include "xbase/runtime.h"

namespace rdd {

using xbase::Value;

std::string baseName(const std::string& path) {
  std::size_t slash = path.find_last_of("/\\");
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  std::size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.resize(dot);
  return xbase::upper(name);
}

namespace {
std::uint64_t nextStamp = 0;  // area state stamps, unique within the process
}

Area::Area(Areas& owner, int number, std::string alias, std::unique_ptr<DbfTable> table)
    : owner_(owner), number_(number), alias_(xbase::upper(alias)), table_(std::move(table)) {
  buf_.assign(std::size_t(table_->recordLength()), ' ');
  table_->setBeforeUnlock([this] { flush(); });
  stamp_ = ++nextStamp;
  goTop();
}

Area::~Area() {
  try {
    flush();
  } catch (const xbase::ErrorException&) {
    // The write error was reported to the handler; the table closes anyway.
  }
  table_->setBeforeUnlock(nullptr);
}

void Area::touched() {
  stamp_ = ++nextStamp;
  flush();
}

void Area::flush() {
  if (!dirty_) return;
  dirty_ = false;
  table_->writeRecord(recno_, buf_.data());
  for (std::size_t k = 0; k < orders_.size(); ++k) {
    std::string after = keyOf(orders_[k]);
    if (after != cleanKeys_[k]) {
      orders_[k].index->remove(cleanKeys_[k], std::uint32_t(recno_));
      orders_[k].index->insert(after, std::uint32_t(recno_));
      cursorSynced_ = false;
    }
  }
}

template <class F>
auto Area::withSelected(F f) {
  int previous = owner_.currentNumber();
  owner_.select(number_);
  struct Restore {
    Areas& a;
    int n;
    ~Restore() { a.select(n); }
  } restore{owner_, previous};
  return f();
}

void Area::load() {
  if (!table_->readRecord(recno_, buf_.data())) phantom();
}

void Area::phantom() {
  recno_ = table_->recCount() + 1;
  eof_ = true;
  table_->blankRecord(buf_.data());
}

Value Area::getField(int i) { return table_->getValue(buf_.data(), i); }

std::string Area::keyBytes(const Value& v, int keySize, int keyDec) {
  std::string k;
  switch (v.type) {
    case xbase::Type::Char: k = v.s; break;
    case xbase::Type::Date: k = xbase::dateToSortable(v.date); break;
    case xbase::Type::Logical: k = v.b ? "T" : "F"; break;
    case xbase::Type::Num: {
      // Numbers sort as text: zero-filled, negatives complemented below them.
      k = xbase::formatNumber(v.n, keySize, keyDec);
      if (v.n < 0 && k[0] != '*') {
        for (char& c : k) c = (c >= '0' && c <= '9') ? char('0' + ('9' - c)) : ',';
      } else {
        for (char& c : k)
          if (c == ' ') c = '0';
      }
      break;
    }
    default: break;
  }
  k.resize(std::size_t(keySize), ' ');
  return k;
}

namespace {

// Copies the planned segments of a record into `out`.
void copyKey(const std::vector<KeySegment>& plan, const char* rec, char* out) {
  for (const KeySegment& s : plan) {
    const char* src = rec + s.offset;
    if (s.date && xbase::sortableToDate(std::string_view(src, 8)) == 0)
      std::memset(out, ' ', 8);  // DTOS of a date that is no date is blank
    else
      std::memcpy(out, src, std::size_t(s.len));
    out += s.len;
  }
}

// Which key bytes differ between keys, gathered eight bytes to a word: the
// bits set in word w are those in which some key's bytes 8w..8w+7 differ
// from the first key's.
struct Differing {
  explicit Differing(std::size_t keySize) : size(keySize), words((keySize + 7) / 8, 0) {}
  void mark(const char* key, const char* first) {
    for (std::size_t w = 0; w < words.size(); ++w) {
      std::uint64_t x = 0, y = 0;
      std::size_t n = std::min<std::size_t>(8, size - 8 * w);
      std::memcpy(&x, key + 8 * w, n);
      std::memcpy(&y, first + 8 * w, n);
      words[w] |= x ^ y;
    }
  }
  void merge(const Differing& o) {
    for (std::size_t w = 0; w < words.size(); ++w) words[w] |= o.words[w];
  }
  std::vector<unsigned char> bytes() const {
    std::vector<unsigned char> b(size);
    for (std::size_t i = 0; i < size; ++i) b[i] = (unsigned char)(words[i / 8] >> (8 * (i % 8)));
    return b;
  }
  std::size_t size;
  std::vector<std::uint64_t> words;
};

std::string trimmedUpper(std::string_view s) {
  std::size_t b = s.find_first_not_of(' '), e = s.find_last_not_of(' ');
  return b == std::string_view::npos ? std::string() : xbase::upper(s.substr(b, e - b + 1));
}

}  // namespace

std::vector<KeySegment> Area::keyPlan(const std::string& expr) const {
  std::vector<KeySegment> plan;
  std::size_t pos = 0;
  while (pos <= expr.size()) {
    std::size_t plus = expr.find('+', pos);
    std::string term = trimmedUpper(std::string_view(expr).substr(pos, plus == std::string::npos ? std::string::npos : plus - pos));
    pos = plus == std::string::npos ? expr.size() + 1 : plus + 1;
    bool dtos = false;
    if (term.rfind("DTOS(", 0) == 0 && term.back() == ')') {
      dtos = true;
      term = trimmedUpper(term.substr(5, term.size() - 6));
    }
    std::size_t arrow = term.find("->");
    if (arrow != std::string::npos) {
      std::string alias = trimmedUpper(term.substr(0, arrow));
      if (alias != alias_ && alias != "FIELD" && alias != "_FIELD") return {};
      term = trimmedUpper(term.substr(arrow + 2));
    }
    int i = table_->fieldIndex(term);
    if (i < 0) return {};
    const FieldDef& f = table_->fields()[std::size_t(i)];
    if (!(f.type == 'C' && !dtos) && !(f.type == 'D' && (dtos || expr.find('+') == std::string::npos))) return {};
    plan.push_back(KeySegment{f.offset, f.len, f.type == 'D'});
  }
  return plan;
}

std::string Area::keyOf(Order& o) {
  if (!o.plan.empty()) {
    std::string k(std::size_t(o.index->keySize()), ' ');
    copyKey(o.plan, buf_.data(), k.data());
    return k;
  }
  Value v = withSelected([&] { return o.key->eval(); });
  return keyBytes(v, o.index->keySize(), o.index->header().keyDec);
}

void Area::putField(int i, const Value& v) {
  if (eof_) return;
  if (table_->shared() && !table_->holdsLock(recno_)) {
    // Writing needs the record (or the whole table) locked in shared mode.
    xbase::Error e = xbase::Error::make(xbase::EG_UNLOCKED, 1022, "write", {v});
    e.subsystem = "DBFNTX";
    e.fileName = table_->path();
    e.canDefault = true;
    xbase::rt().raise(e);
    return;
  }
  if (!dirty_) {
    cleanKeys_.clear();
    for (auto& o : orders_) cleanKeys_.push_back(keyOf(o));
  }
  table_->putValue(buf_.data(), i, v);
  dirty_ = true;
  stamp_ = ++nextStamp;
}

bool Area::addOrder(const std::string& ntxPath) {
  touched();
  auto idx = NtxIndex::open(ntxPath, table_->readOnly() ? OpenMode::ReadOnly : table_->shared() ? OpenMode::Shared
                                                                                                 : OpenMode::Exclusive);
  if (!idx) return false;
  Order o;
  o.key = xbase::compile(idx->header().keyExpr);
  if (!o.key) return false;
  o.index = std::move(idx);
  o.name = baseName(ntxPath);
  o.plan = keyPlan(o.index->header().keyExpr);
  {
    int planned = 0;
    for (auto& seg : o.plan) planned += seg.len;
    if (planned != o.index->keySize()) o.plan.clear();
  }
  Value sample = withSelected([&] { return o.key->eval(); });
  o.keyType = xbase::typeLetter(sample);
  orders_.push_back(std::move(o));
  if (order_ == 0) order_ = 1;
  cursorSynced_ = false;
  return true;
}

bool Area::createOrder(const std::string& ntxPath, const std::string& keyExpr) {
  touched();
  auto key = xbase::compile(keyExpr);
  if (!key) return false;
  // The key's width and type come from its value on a blank record.
  long saveRec = recno_;
  std::vector<char> saveBuf = buf_;
  bool saveEof = eof_;
  table_->blankRecord(buf_.data());
  eof_ = true;
  Value sample = withSelected([&] { return key->eval(); });
  int keySize = 0, keyDec = 0;
  switch (sample.type) {
    case xbase::Type::Char: keySize = int(sample.s.size()); break;
    case xbase::Type::Date: keySize = 8; break;
    case xbase::Type::Logical: keySize = 1; break;
    case xbase::Type::Num:
      keySize = sample.width + (sample.dec ? sample.dec + 1 : 0);
      keyDec = sample.dec;
      break;
    default: break;
  }
  if (keySize <= 0 || keySize > 256) {
    buf_ = saveBuf;
    recno_ = saveRec;
    eof_ = saveEof;
    raiseTableError(xbase::EG_DATAWIDTH, 1026, ntxPath, 0, "index key of no usable width: " + keyExpr);
    return false;
  }
  long n = table_->recCount();
  std::vector<KeySegment> plan = keyPlan(keyExpr);
  {
    int planned = 0;
    for (auto& seg : plan) planned += seg.len;
    if (planned != keySize) plan.clear();
  }
  const std::size_t ks = std::size_t(keySize);
  LargeBlock keyBlock(std::size_t(n) * ks + 8);
  char* keys = keyBlock.data();
  std::vector<std::uint32_t> recnos(static_cast<std::size_t>(n));
  std::iota(recnos.begin(), recnos.end(), 1u);
  // Byte positions where some key differs from another; the others cannot
  // decide the order.
  Differing differs(ks);
  if (!plan.empty()) {
    // Plain fields: keys are copied straight from blocks of records, in two
    // halves at once on large tables (no runtime state is touched).
    table_->prepareBlockReads();
    auto gather = [&](long from, long to, Differing& diff) {
      const std::size_t rl = std::size_t(table_->recordLength());
      constexpr long kBlock = 512;
      std::vector<char> block(std::size_t(kBlock) * rl);
      std::vector<char> blank(rl);
      table_->blankRecord(blank.data());
      const char* first = nullptr;
      for (long r = from; r <= to; r += kBlock) {
        long c = std::min(kBlock, to - r + 1);
        long got = table_->readRecords(r, c, block.data());
        for (long i = 0; i < c; ++i) {
          char* out = keys + std::size_t(r - 1 + i) * ks;
          copyKey(plan, i < got ? block.data() + std::size_t(i) * rl : blank.data(), out);
          if (!first) first = out;
          diff.mark(out, first);
        }
      }
    };
    if (n >= 65536 && std::thread::hardware_concurrency() >= 2) {
      Differing low(ks);
      std::thread worker([&] { gather(1, n / 2, low); });
      gather(n / 2 + 1, n, differs);
      worker.join();
      differs.merge(low);
      differs.mark(keys + std::size_t(n / 2) * ks, keys);  // the two halves' first keys
    } else {
      gather(1, n, differs);
    }
  } else {
    eof_ = false;
    withSelected([&] {
      for (long r = 1; r <= n; ++r) {
        recno_ = r;
        if (!table_->readRecord(r, buf_.data())) table_->blankRecord(buf_.data());
        char* out = keys + std::size_t(r - 1) * ks;
        std::string k = keyBytes(key->eval(), keySize, keyDec);
        std::memcpy(out, k.data(), ks);
        differs.mark(out, keys);
      }
      return 0;
    });
  }
  std::vector<std::uint32_t> sorted = sortKeys(keys, std::size_t(n), ks, differs.bytes());
  // Drop an order already open on the same file before writing it anew.
  std::string name = baseName(ntxPath);
  for (std::size_t i = 0; i < orders_.size(); ++i)
    if (orders_[i].name == name) {
      orders_.erase(orders_.begin() + long(i));
      break;
    }
  auto idx = NtxIndex::build(ntxPath, keyExpr, keySize, keyDec, keys, recnos.data(), sorted,
                             table_->readOnly() ? OpenMode::ReadOnly
                             : table_->shared() ? OpenMode::Shared
                                                : OpenMode::Exclusive);
  buf_ = saveBuf;
  recno_ = saveRec;
  eof_ = saveEof;
  if (!idx) return false;
  Order o;
  o.index = std::move(idx);
  o.key = key;
  o.plan = std::move(plan);
  o.keyType = xbase::typeLetter(sample);
  o.name = name;
  orders_.push_back(std::move(o));
  order_ = int(orders_.size());
  goTop();
  return true;
}

void Area::setOrder(int n) {
  touched();
  order_ = (n >= 0 && n <= int(orders_.size())) ? n : 0;
  cursorSynced_ = false;
}

void Area::clearOrders() {
  touched();
  orders_.clear();
  order_ = 0;
}

void Area::goTo(long recno) {
  touched();
  found_ = false;
  bof_ = false;
  cursorSynced_ = false;
  recno_ = recno;
  eof_ = false;
  if (recno < 1 || !table_->readRecord(recno, buf_.data())) phantom();
  afterMove();
}

long Area::positionFromCursor(bool ok) {
  if (!ok) {
    phantom();
    cursorSynced_ = false;
    return 0;
  }
  recno_ = long(orders_[std::size_t(order_ - 1)].index->recno(cursor_));
  eof_ = false;
  load();
  cursorSynced_ = !eof_;
  return recno_;
}

void Area::goTop() {
  touched();
  found_ = false;
  bof_ = false;
  if (order_ > 0) {
    positionFromCursor(orders_[std::size_t(order_ - 1)].index->top(cursor_));
  } else {
    recno_ = 1;
    eof_ = false;
    if (!table_->readRecord(1, buf_.data())) phantom();
  }
  skipFiltered(1);
  if (eof_) bof_ = true;
  afterMove();
}

void Area::goBottom() {
  touched();
  found_ = false;
  bof_ = false;
  if (order_ > 0) {
    positionFromCursor(orders_[std::size_t(order_ - 1)].index->bottom(cursor_));
  } else {
    long n = table_->recCount();
    recno_ = n;
    eof_ = false;
    if (n < 1 || !table_->readRecord(n, buf_.data())) phantom();
  }
  skipFiltered(-1);
  afterMove();
}

bool Area::syncCursor() {
  if (cursorSynced_) return true;
  Order& o = orders_[std::size_t(order_ - 1)];
  std::string k = keyOf(o);
  if (o.index->find(cursor_, k, std::uint32_t(recno_))) {
    cursorSynced_ = true;
    return true;
  }
  // The record's key is not where it should be (a stale index): go to the
  // nearest key so that skipping still moves on.
  o.index->seek(cursor_, k);
  cursorSynced_ = cursor_.valid();
  return false;
}

bool Area::stepOrder(int dir) {
  Order& o = orders_[std::size_t(order_ - 1)];
  if (eof_) {
    if (dir > 0) return false;
    return positionFromCursor(o.index->bottom(cursor_)) != 0;
  }
  if (o.index->stale()) cursorSynced_ = false;  // another station changed the tree
  bool exact = syncCursor();
  if (!cursorSynced_) return positionFromCursor(false) != 0;
  if (!exact && dir > 0) return positionFromCursor(true) != 0;  // already on the next key
  bool ok = dir > 0 ? o.index->next(cursor_) : o.index->prev(cursor_);
  if (!ok && dir < 0) return false;
  return positionFromCursor(ok) != 0;
}

void Area::skip(long n) {
  touched();
  found_ = false;
  if (n == 0) {
    load();
    afterMove();
    return;
  }
  int dir = n > 0 ? 1 : -1;
  bof_ = false;
  for (long step = 0; step < (n > 0 ? n : -n); ++step) {
    long before = recno_;
    bool moved;
    if (order_ > 0) {
      moved = stepOrder(dir);
    } else if (dir > 0) {
      if (eof_) {
        moved = false;
      } else {
        recno_ = before + 1;
        if (!table_->readRecord(recno_, buf_.data())) phantom();
        moved = true;
      }
    } else {
      long target = eof_ ? table_->recCount() : before - 1;
      moved = target >= 1;
      if (moved) {
        recno_ = target;
        eof_ = false;
        load();
      }
    }
    if (dir < 0 && !moved) {
      // Before the first record: stay on the first, with BOF set.
      goTop();
      bof_ = true;
      return;
    }
    if (dir > 0 && eof_) break;
    skipFiltered(dir);
    if (dir < 0 && bof_) return;
  }
  afterMove();
}

bool Area::passes() {
  if (!filter_ || eof_) return true;
  Value v = withSelected([&] { return filter_->eval(); });
  return !v.isLogical() || v.b;
}

void Area::skipFiltered(int dir) {
  while (!eof_ && !passes()) {
    if (order_ > 0) {
      if (!stepOrder(dir)) {
        if (dir < 0) {
          goTop();
          bof_ = true;
        }
        return;
      }
    } else if (dir > 0) {
      recno_ += 1;
      if (!table_->readRecord(recno_, buf_.data())) phantom();
    } else {
      if (recno_ <= 1) {
        // Nothing passes before: the first passing record, with BOF.
        goTop();
        bof_ = true;
        return;
      }
      recno_ -= 1;
      load();
    }
  }
}

bool Area::seek(const Value& key, bool soft, bool last) {
  touched();
  bof_ = false;
  if (order_ == 0) {
    xbase::Error e = xbase::Error::make(xbase::EG_NOORDER, 1201, "SEEK");
    e.subsystem = "DBFNTX";
    e.fileName = table_->path();
    xbase::rt().raise(e);
    return false;
  }
  Order& o = orders_[std::size_t(order_ - 1)];
  std::string k = key.isChar() ? key.s : keyBytes(key, o.index->keySize(), o.index->header().keyDec);
  bool hit = o.index->seek(cursor_, k, last);
  if (hit || (soft && cursor_.valid()))
    positionFromCursor(true);
  else
    positionFromCursor(false);
  found_ = hit;
  if (filter_ && !eof_ && !passes()) {
    skipFiltered(1);
    found_ = false;
  }
  afterMove();
  return found_;
}

void Area::setFilter(const std::string& expr) {
  stamp_ = ++nextStamp;
  filterText_ = expr;
  filter_ = expr.empty() ? nullptr : xbase::compile(expr);
}

void Area::setRelation(const std::string& expr, int childArea) {
  Relation r;
  r.expr = xbase::compile(expr);
  if (!r.expr) return;
  r.text = expr;
  r.child = childArea;
  relations_.push_back(std::move(r));
  afterMove();
}

void Area::afterMove() {
  for (Relation& r : relations_) {
    Area* child = owner_.area(r.child);
    if (!child || child == this) continue;
    Value v = withSelected([&] { return r.expr->eval(); });
    if (child->order() > 0) {
      bool same = r.childStamp == child->stamp_ && v.type == r.lastKey.type && v.s == r.lastKey.s &&
                  v.n == r.lastKey.n && v.date == r.lastKey.date && v.b == r.lastKey.b;
      if (same && !child->orders_[std::size_t(child->order_ - 1)].index->stale()) continue;
      child->seek(v, false);
      r.lastKey = v;
      r.childStamp = child->stamp_;
    } else if (v.isNum())
      child->goTo(long(v.n));
  }
}

long Area::append() {
  touched();
  long r = table_->appendBlank();
  if (r == 0) return 0;
  if (table_->shared()) {
    table_->unlockAll();
    table_->lockRecord(r);
  }
  recno_ = r;
  eof_ = bof_ = found_ = false;
  table_->blankRecord(buf_.data());
  for (auto& o : orders_) o.index->insert(keyOf(o), std::uint32_t(r));
  cursorSynced_ = false;
  afterMove();
  return r;
}

void Area::deleteRecord() {
  touched();
  if (eof_) return;
  buf_[0] = '*';
  table_->writeRecord(recno_, buf_.data());
}

void Area::recall() {
  touched();
  if (eof_) return;
  buf_[0] = ' ';
  table_->writeRecord(recno_, buf_.data());
}

void Area::pack() {
  touched();
  table_->pack();
  std::vector<std::pair<std::string, std::string>> rebuild;
  for (auto& o : orders_) rebuild.emplace_back(o.index->path(), o.index->header().keyExpr);
  int keep = order_;
  clearOrders();
  for (auto& [p, k] : rebuild) createOrder(p, k);
  setOrder(keep);
  goTop();
}

void Area::zap() {
  touched();
  table_->zap();
  pack();
}

// ---------------------------------------------------------------- Areas

Areas::Areas() = default;
Areas::~Areas() { closeAll(); }

int Areas::freeArea() const {
  for (int n = 1; n < 65535; ++n)
    if (!areas_.count(n)) return n;
  return 0;
}

Area* Areas::use(const std::string& path, const std::string& alias, OpenMode mode, bool newArea) {
  std::string name = alias.empty() ? baseName(path) : xbase::upper(alias);
  if (area(name)) {
    xbase::Error e = xbase::Error::make(xbase::EG_DUPALIAS, 1011, name);
    e.subsystem = "DBFNTX";
    e.fileName = path;
    xbase::rt().raise(e);
    return nullptr;
  }
  auto table = DbfTable::open(path, mode);
  if (!table) return nullptr;
  int n = newArea ? freeArea() : current_;
  close(n);
  areas_[n] = std::make_unique<Area>(*this, n, name, std::move(table));
  current_ = n;
  ++generation_;
  return areas_[n].get();
}

Area* Areas::create(const std::string& path, const std::vector<FieldDef>& fields, const std::string& alias) {
  auto table = DbfTable::create(path, fields);
  if (!table) return nullptr;
  int n = freeArea();
  areas_[n] = std::make_unique<Area>(*this, n, alias.empty() ? baseName(path) : alias, std::move(table));
  current_ = n;
  ++generation_;
  return areas_[n].get();
}

void Areas::close(int n) {
  auto it = areas_.find(n);
  if (it == areas_.end()) return;
  areas_.erase(it);
  // Relations into the closed area end with it.
  for (auto& [k, a] : areas_) a->dropRelationsTo(n);
  ++generation_;
}

void Areas::closeAll() {
  areas_.clear();
  ++generation_;
}

Area* Areas::area(int n) {
  auto it = areas_.find(n);
  return it == areas_.end() ? nullptr : it->second.get();
}

Area* Areas::area(std::string_view alias) {
  std::string u = xbase::upper(alias);
  for (auto& [n, a] : areas_)
    if (a->alias() == u) return a.get();
  return nullptr;
}

}  // namespace rdd
