#include "rdd/dbf.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <chrono>
#include <thread>

#include "xbase/cp874.h"
#include "xbase/dates.h"
#include "rdd/bytes.h"
#include "xbase/error.h"
#include "xbase/numfmt.h"
#include "xbase/runtime.h"

namespace rdd {

using xbase::Value;

void raiseTableError(int genCode, int subCode, const std::string& file, int osCode, const std::string& what) {
  xbase::Error e = xbase::Error::make(genCode, subCode, what);
  e.subsystem = "DBFNTX";
  e.fileName = file;
  e.osCode = osCode;
  e.canDefault = true;
  xbase::ErrorOutcome o = xbase::rt().raise(e);
  (void)o;
}

namespace {


void stampDate(char* head) {
  std::int32_t today = xbase::rt().today();
  xbase::DateParts p = xbase::decodeDate(today);
  head[1] = char(p.year - 1900);
  head[2] = char(p.month);
  head[3] = char(p.day);
}

// Numeric field text to a number: digits, one point, a leading sign.
double parseField(const char* p, int len) {
  double v = 0, scale = 0;
  bool neg = false;
  for (int i = 0; i < len; ++i) {
    char c = p[i];
    if (c >= '0' && c <= '9') {
      v = v * 10 + (c - '0');
      if (scale) scale *= 10;
    } else if (c == '.') {
      scale = 1;
    } else if (c == '-') {
      neg = true;
    }
  }
  if (scale > 1) v /= scale;
  return neg ? -v : v;
}

constexpr int kMemoBlock = 512;

}  // namespace

DbfTable::~DbfTable() {
  if (file_) flushTail();
  if (file_ && changed_ && !readOnly()) touch();
  if (file_) unlockAll();
}

bool DbfTable::parseHeader(const std::vector<char>& head, std::string& why) {
  unsigned char version = static_cast<unsigned char>(head[0]);
  if (version != 0x03 && version != 0x83 && version != 0xF5 && version != 0x30) {
    why = "not a DBF table";
    return false;
  }
  count_ = long(u32(&head[4]));
  headerLen_ = u16(&head[8]);
  recLen_ = u16(&head[10]);
  if (headerLen_ < 33 + 32 || recLen_ < 2) {
    why = "damaged header";
    return false;
  }
  return true;
}

std::unique_ptr<DbfTable> DbfTable::open(const std::string& path, OpenMode mode) {
  int os = 0;
  auto f = File::open(path, mode, os);
  if (!f) {
    raiseTableError(xbase::EG_OPEN, 1001, path, os, "DBFNTX open");
    return nullptr;
  }
  std::unique_ptr<DbfTable> t(new DbfTable());
  t->file_ = std::move(f);
  t->mode_ = mode;
  std::vector<char> head(32);
  std::string why;
  if (t->file_->read(0, head.data(), 32) != 32) why = "file too short";
  if (why.empty()) t->parseHeader(head, why);
  if (why.empty()) {
    std::vector<char> desc(std::size_t(t->headerLen_ - 32));
    if (t->file_->read(32, desc.data(), desc.size()) != desc.size()) why = "header cut short";
    int offset = 1;
    for (std::size_t p = 0; why.empty() && p + 32 <= desc.size() && desc[p] != 0x0D; p += 32) {
      FieldDef fd;
      fd.name = xbase::upper(std::string(&desc[p], strnlen(&desc[p], 11)));
      fd.type = xbase::upperAscii(desc[p + 11]);
      fd.len = static_cast<unsigned char>(desc[p + 16]);
      fd.dec = static_cast<unsigned char>(desc[p + 17]);
      if (fd.type == 'C') {  // character fields longer than 255 keep the high byte in the decimals
        fd.len += fd.dec * 256;
        fd.dec = 0;
      }
      fd.offset = offset;
      offset += fd.len;
      if (fd.len <= 0 || std::strchr("CNDLMF", fd.type) == nullptr) why = "unknown field type in " + fd.name;
      t->fields_.push_back(fd);
    }
    if (why.empty() && (t->fields_.empty() || offset != t->recLen_)) why = "field lengths do not add up to the record length";
  }
  if (why.empty()) {
    std::uint64_t need = std::uint64_t(t->headerLen_) + std::uint64_t(t->count_) * std::uint64_t(t->recLen_);
    if (need > t->file_->size()) why = "record count beyond the end of the file";
  }
  if (!why.empty()) {
    raiseTableError(xbase::EG_CORRUPTION, 1012, path, 0, why);
    return nullptr;
  }
  bool hasMemo = std::any_of(t->fields_.begin(), t->fields_.end(), [](const FieldDef& f) { return f.type == 'M'; });
  if (hasMemo) {
    std::string memoPath = path.substr(0, path.size() - 4);
    std::string ext = path.size() >= 4 ? path.substr(path.size() - 4) : "";
    memoPath += (ext == ".DBF" ? ".DBT" : ".dbt");
    t->memo_ = File::open(memoPath, mode, os);
    if (!t->memo_) {
      raiseTableError(xbase::EG_OPEN, 1001, memoPath, os, "DBFNTX open memo");
      return nullptr;
    }
  }
  return t;
}

std::unique_ptr<DbfTable> DbfTable::create(const std::string& path, const std::vector<FieldDef>& defs) {
  int os = 0;
  std::vector<FieldDef> fields = defs;
  int offset = 1;
  bool hasMemo = false;
  for (auto& f : fields) {
    f.name = xbase::upper(f.name.substr(0, 10));
    f.type = xbase::upperAscii(f.type);
    if (f.type == 'D') f.len = 8;
    if (f.type == 'L') f.len = 1;
    if (f.type == 'M') {
      f.len = 10;
      hasMemo = true;
    }
    if (f.type != 'N') f.dec = 0;
    f.offset = offset;
    offset += f.len;
  }
  auto file = File::create(path, os);
  if (!file) {
    raiseTableError(xbase::EG_CREATE, 1004, path, os, "DBFNTX create");
    return nullptr;
  }
  int headerLen = 32 + 32 * int(fields.size()) + 2;
  std::vector<char> head(std::size_t(headerLen), 0);
  head[0] = char(hasMemo ? 0x83 : 0x03);
  stampDate(head.data());
  put32(&head[4], 0);
  put16(&head[8], std::uint16_t(headerLen));
  put16(&head[10], std::uint16_t(offset));
  for (std::size_t i = 0; i < fields.size(); ++i) {
    char* d = &head[32 + 32 * i];
    std::memcpy(d, fields[i].name.data(), fields[i].name.size());
    d[11] = fields[i].type;
    if (fields[i].type == 'C' && fields[i].len > 255) {
      d[16] = char(fields[i].len & 0xFF);
      d[17] = char(fields[i].len >> 8);
    } else {
      d[16] = char(fields[i].len);
      d[17] = char(fields[i].dec);
    }
  }
  head[std::size_t(headerLen - 2)] = 0x0D;
  head.push_back(0x1A);
  file->write(0, head.data(), head.size());
  if (hasMemo) {
    std::string memoPath = path.substr(0, path.size() - 4) + (path.substr(path.size() - 4) == ".DBF" ? ".DBT" : ".dbt");
    auto memo = File::create(memoPath, os);
    if (!memo) {
      raiseTableError(xbase::EG_CREATE, 1004, memoPath, os, "DBFNTX create memo");
      return nullptr;
    }
    char block[kMemoBlock] = {};
    put32(block, 1);
    put32(block + 4, kMemoBlock);
    memo->write(0, block, sizeof block);
  }
  file.reset();
  return open(path, OpenMode::Exclusive);
}

int DbfTable::fieldIndex(std::string_view name) const {
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    const std::string& f = fields_[i].name;
    if (f.size() != name.size()) continue;
    bool same = true;
    for (std::size_t k = 0; k < f.size() && same; ++k) same = f[k] == xbase::upperAscii(name[k]);
    if (same) return int(i);
  }
  return -1;
}

long DbfTable::recCount() {
  if (mode_ == OpenMode::Shared) {
    char b[4];
    if (file_->read(4, b, 4) == 4) count_ = long(u32(b));
  }
  return count_;
}

bool DbfTable::readRecord(long recno, char* buf) {
  if (recno < 1) return false;
  if (!rewritten_.empty()) {
    auto held = rewritten_.find(recno);
    if (held != rewritten_.end()) {
      std::memcpy(buf, held->second.data(), std::size_t(recLen_));
      return true;
    }
  }
  if (inTail(recno)) {
    std::memcpy(buf, &tail_[std::size_t(recno - tailFirst_) * std::size_t(recLen_)], std::size_t(recLen_));
    return true;
  }
  if (recno > count_ && recno > recCount()) return false;
  std::uint64_t off = std::uint64_t(headerLen_) + std::uint64_t(recno - 1) * std::uint64_t(recLen_);
  // Through the memory view when it covers the record: no system call per record.
  std::uint64_t end = off + std::uint64_t(recLen_);
  if (end > viewLength_) {
    viewLength_ = file_->size();
    view_ = end <= viewLength_ ? file_->view(viewLength_) : nullptr;
    if (!view_) viewLength_ = 0;
  }
  if (view_ && end <= viewLength_) {
    std::memcpy(buf, view_ + off, std::size_t(recLen_));
    // Records are read in key order, all over the file: a table of up to
    // a million records or so stays resident; larger ones give pages back
    // now and then so that the process does not grow with the file.
    constexpr std::uint64_t kKeepResident = std::uint64_t(96) << 20;
    if (viewLength_ > kKeepResident && ++viewReads_ % 16384 == 0) file_->trimView();
    return true;
  }
  return file_->read(off, buf, std::size_t(recLen_)) == std::size_t(recLen_);
}

long DbfTable::readRecords(long first, long count, char* buf) const {
  if (first < 1 || count <= 0) return 0;
  count = std::min(count, count_ - first + 1);
  if (count <= 0) return 0;
  std::uint64_t off = std::uint64_t(headerLen_) + std::uint64_t(first - 1) * std::uint64_t(recLen_);
  std::size_t got = file_->read(off, buf, std::size_t(count) * std::size_t(recLen_));
  return long(got / std::size_t(recLen_));
}

void DbfTable::writeRecord(long recno, const char* buf) {
  if (readOnly()) {
    raiseTableError(xbase::EG_READONLY, 1025, path(), 0, "DBFNTX write");
    return;
  }
  changed_ = true;
  if (inTail(recno)) {
    std::memcpy(&tail_[std::size_t(recno - tailFirst_) * std::size_t(recLen_)], buf, std::size_t(recLen_));
    return;
  }
  if (mode_ == OpenMode::Exclusive) {
    rewritten_[recno].assign(buf, std::size_t(recLen_));
    if (rewritten_.size() >= 8192) flushTail();
    return;
  }
  std::uint64_t off = std::uint64_t(headerLen_) + std::uint64_t(recno - 1) * std::uint64_t(recLen_);
  if (!file_->write(off, buf, std::size_t(recLen_))) raiseTableError(xbase::EG_WRITE, 1011, path(), 0, "DBFNTX write");
}

void DbfTable::blankRecord(char* buf) const { std::memset(buf, ' ', std::size_t(recLen_)); }

void DbfTable::writeCount() {
  char head[8];
  head[0] = char(memo_ ? 0x83 : 0x03);
  stampDate(head);
  put32(head + 4, std::uint32_t(count_));
  file_->write(0, head, 8);
}

long DbfTable::appendBlank() {
  if (readOnly()) {
    raiseTableError(xbase::EG_READONLY, 1025, path(), 0, "DBFNTX append");
    return 0;
  }
  bool locked = false;
  if (mode_ == OpenMode::Shared) {
    locked = lockAppend();
    if (!locked) {
      xbase::Error e = xbase::Error::make(xbase::EG_APPENDLOCK, 1024, "APPEND");
      e.subsystem = "DBFNTX";
      e.fileName = path();
      e.canDefault = true;
      xbase::rt().raise(e);
      return 0;
    }
    recCount();
  }
  long recno = count_ + 1;
  if (mode_ == OpenMode::Exclusive) {
    if (tail_.empty()) tailFirst_ = recno;
    tail_.resize(tail_.size() + std::size_t(recLen_), ' ');
    count_ = recno;
    changed_ = true;
    if (tail_.size() >= (1u << 20)) flushTail();
    return recno;
  }
  std::vector<char> rec(std::size_t(recLen_) + 1, ' ');
  rec.back() = 0x1A;
  std::uint64_t off = std::uint64_t(headerLen_) + std::uint64_t(recno - 1) * std::uint64_t(recLen_);
  file_->write(off, rec.data(), rec.size());
  count_ = recno;
  writeCount();
  changed_ = true;
  if (locked) unlockAppend();
  return recno;
}

Value DbfTable::getValue(const char* rec, int i) {
  const FieldDef& f = fields_[std::size_t(i)];
  const char* p = rec + f.offset;
  switch (f.type) {
    case 'C': return Value::chr(std::string(p, std::size_t(f.len)));
    case 'N':
    case 'F': return Value::num(parseField(p, f.len), f.dec ? f.len - f.dec - 1 : f.len, f.dec);
    case 'D': return Value::dateValue(xbase::sortableToDate(std::string_view(p, 8)));
    case 'L': return Value::logical(p[0] == 'T' || p[0] == 't' || p[0] == 'Y' || p[0] == 'y');
    case 'M': {
      long block = long(parseField(p, f.len));
      return Value::chr(block > 0 ? readMemo(block) : std::string());
    }
    default: return Value();
  }
}

void DbfTable::putValue(char* rec, int i, const Value& v) {
  const FieldDef& f = fields_[std::size_t(i)];
  char* p = rec + f.offset;
  auto typeError = [&] {
    xbase::Error e = xbase::Error::make(xbase::EG_DATATYPE, 1020, f.name, {v});
    e.subsystem = "DBFNTX";
    e.fileName = path();
    e.canDefault = true;
    xbase::rt().raise(e);
  };
  switch (f.type) {
    case 'C': {
      if (!v.isChar()) return typeError();
      std::size_t n = std::min(v.s.size(), std::size_t(f.len));
      std::memcpy(p, v.s.data(), n);
      std::memset(p + n, ' ', std::size_t(f.len) - n);
      return;
    }
    case 'N':
    case 'F': {
      if (!v.isNum()) return typeError();
      std::string s = xbase::formatNumber(v.n, f.len, f.dec);
      if (s[0] == '*') {
        xbase::Error e = xbase::Error::make(xbase::EG_DATAWIDTH, 1021, f.name, {v});
        e.subsystem = "DBFNTX";
        e.fileName = path();
        e.canDefault = true;
        xbase::rt().raise(e);
        return;
      }
      std::memcpy(p, s.data(), std::size_t(f.len));
      return;
    }
    case 'D': {
      if (!v.isDate()) return typeError();
      std::string s = xbase::dateToSortable(v.date);
      std::memcpy(p, s.data(), 8);
      return;
    }
    case 'L':
      if (!v.isLogical()) return typeError();
      p[0] = v.b ? 'T' : 'F';
      return;
    case 'M': {
      if (!v.isChar()) return typeError();
      std::string s;
      if (!v.s.empty()) {
        long block = writeMemo(v.s);
        s = std::to_string(block);
      }
      s.insert(0, std::size_t(f.len) - std::min(s.size(), std::size_t(f.len)), ' ');
      std::memcpy(p, s.data(), std::size_t(f.len));
      return;
    }
    default: return;
  }
}

std::string DbfTable::readMemo(long block) {
  if (!memo_) return std::string();
  std::string out;
  char buf[kMemoBlock];
  std::uint64_t off = std::uint64_t(block) * kMemoBlock;
  for (;;) {
    std::size_t n = memo_->read(off, buf, sizeof buf);
    if (n == 0) break;
    const char* end = static_cast<const char*>(std::memchr(buf, 0x1A, n));
    if (end) {
      out.append(buf, std::size_t(end - buf));
      break;
    }
    out.append(buf, n);
    off += n;
    if (out.size() > (64u << 20)) break;  // a damaged memo without its end mark
  }
  return out;
}

long DbfTable::writeMemo(const std::string& text) {
  char head[4];
  memo_->read(0, head, 4);
  long next = long(u32(head));
  if (next < 1) next = 1;
  std::string data = text + "\x1A\x1A";
  std::size_t blocks = (data.size() + kMemoBlock - 1) / kMemoBlock;
  data.resize(blocks * kMemoBlock, '\0');
  memo_->write(std::uint64_t(next) * kMemoBlock, data.data(), data.size());
  put32(head, std::uint32_t(next + long(blocks)));
  memo_->write(0, head, 4);
  return next;
}

void DbfTable::flushTail() {
  if (!rewritten_.empty()) {
    // In record order, runs of neighbours in one write.
    bool ok = true;
    std::string run;
    long runFirst = 0, runNext = 0;
    auto writeRun = [&] {
      if (run.empty()) return;
      std::uint64_t off = std::uint64_t(headerLen_) + std::uint64_t(runFirst - 1) * std::uint64_t(recLen_);
      ok = file_->write(off, run.data(), run.size()) && ok;
      run.clear();
    };
    for (auto& [recno, rec] : rewritten_) {
      if (recno != runNext) {
        writeRun();
        runFirst = recno;
      }
      run += rec;
      runNext = recno + 1;
    }
    writeRun();
    rewritten_.clear();
    if (!ok) raiseTableError(xbase::EG_WRITE, 1011, path(), 0, "DBFNTX write");
  }
  if (tail_.empty()) return;
  std::uint64_t off = std::uint64_t(headerLen_) + std::uint64_t(tailFirst_ - 1) * std::uint64_t(recLen_);
  tail_.push_back(0x1A);
  bool ok = file_->write(off, tail_.data(), tail_.size());
  tail_.clear();
  writeCount();
  if (!ok) raiseTableError(xbase::EG_WRITE, 1011, path(), 0, "DBFNTX append");
}

void DbfTable::touch() {
  if (readOnly()) return;
  flushTail();
  // Another station may have appended since: the count is re-read under the
  // append lock, never written from a stale copy.
  bool locked = shared() && lockAppend();
  if (shared()) recCount();
  writeCount();
  if (locked) unlockAppend();
}

void DbfTable::pack() {
  flushTail();
  view_ = nullptr;
  viewLength_ = 0;
  std::vector<char> rec(static_cast<std::size_t>(recLen_));
  long out = 0;
  long n = recCount();
  for (long r = 1; r <= n; ++r) {
    if (!readRecord(r, rec.data())) break;
    if (rec[0] == '*') continue;
    ++out;
    if (out != r) writeRecord(out, rec.data());
  }
  count_ = out;
  std::uint64_t end = std::uint64_t(headerLen_) + std::uint64_t(out) * std::uint64_t(recLen_);
  char eof = 0x1A;
  file_->truncate(end);  // unmaps the view
  view_ = nullptr;
  viewLength_ = 0;
  file_->write(end, &eof, 1);
  writeCount();
  changed_ = true;
}

void DbfTable::zap() {
  tail_.clear();
  view_ = nullptr;
  viewLength_ = 0;
  count_ = 0;
  char eof = 0x1A;
  file_->truncate(std::uint64_t(headerLen_));  // unmaps the view
  view_ = nullptr;
  viewLength_ = 0;
  file_->write(std::uint64_t(headerLen_), &eof, 1);
  writeCount();
  changed_ = true;
}

bool DbfTable::lockRecord(long recno) {
  if (mode_ != OpenMode::Shared || fileLocked_) return true;
  if (std::find(locks_.begin(), locks_.end(), recno) != locks_.end()) return true;
  if (!file_->lock(kLockBase + std::uint64_t(recno), 1, true)) return false;
  locks_.push_back(recno);
  return true;
}

bool DbfTable::holdsLock(long recno) const {
  return mode_ != OpenMode::Shared || fileLocked_ || std::find(locks_.begin(), locks_.end(), recno) != locks_.end();
}

void DbfTable::unlockRecord(long recno) {
  if (mode_ != OpenMode::Shared) return;
  if (beforeUnlock_) beforeUnlock_();
  auto it = std::find(locks_.begin(), locks_.end(), recno);
  if (it == locks_.end()) return;
  file_->unlock(kLockBase + std::uint64_t(recno), 1);
  locks_.erase(it);
}

bool DbfTable::lockFile() {
  if (mode_ != OpenMode::Shared || fileLocked_) return true;
  unlockAll();
  if (!file_->lock(kFileLockOffset, kFileLockLength, true)) return false;
  fileLocked_ = true;
  return true;
}

void DbfTable::unlockAll() {
  // Only other stations wait for the release; an exclusive table has none.
  if (mode_ != OpenMode::Shared) return;
  if (beforeUnlock_) beforeUnlock_();
  for (long r : locks_) file_->unlock(kLockBase + std::uint64_t(r), 1);
  locks_.clear();
  if (fileLocked_) file_->unlock(kFileLockOffset, kFileLockLength);
  fileLocked_ = false;
}

bool DbfTable::lockAppend() {
  // Other stations hold it only for the moment of an append: try a while.
  for (int i = 0; i < 2000; ++i) {
    if (file_->lock(kLockBase, 1, true)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return false;
}

void DbfTable::unlockAppend() { file_->unlock(kLockBase, 1); }

}  // namespace rdd
