// DBF tables as the suite writes them (dBASE III with DBT memos).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "rdd/file.h"
#include "xbase/value.h"

namespace rdd {

struct FieldDef {
  std::string name;  // upper case, at most 10 characters
  char type = 'C';   // C N D L M
  int len = 0;
  int dec = 0;
  int offset = 0;  // in the record, after the deletion flag
};

// Thrown (as the runtime's error) by the table layer: see rdd/errors.h.
class DbfTable {
 public:
  ~DbfTable();

  // Raise a runtime error naming the file when the table cannot be opened
  // or is damaged; return null only when the handler chose Default.
  static std::unique_ptr<DbfTable> open(const std::string& path, OpenMode mode);
  static std::unique_ptr<DbfTable> create(const std::string& path, const std::vector<FieldDef>& fields);

  const std::string& path() const { return file_->path(); }
  const std::vector<FieldDef>& fields() const { return fields_; }
  int fieldIndex(std::string_view name) const;
  int recordLength() const { return recLen_; }
  bool shared() const { return mode_ == OpenMode::Shared; }
  bool readOnly() const { return mode_ == OpenMode::ReadOnly; }
  File& file() { return *file_; }

  // The record count; in shared mode re-read from the header, since other
  // stations append.
  long recCount();
  long cachedCount() const { return count_; }

  // Reads record `recno` (1-based) into buf (recordLength bytes); false when
  // it lies outside the file.
  bool readRecord(long recno, char* buf);
  // Block reads for whole-table passes: after prepareBlockReads, readRecords
  // may run from several threads at once. It reads up to `count` records
  // from `first` into buf and gives how many it read.
  void prepareBlockReads() { flushTail(); }
  long readRecords(long first, long count, char* buf) const;
  void writeRecord(long recno, const char* buf);
  // Appends a blank record (under the append lock in shared mode) and gives its number.
  long appendBlank();
  void blankRecord(char* buf) const;

  xbase::Value getValue(const char* rec, int field);
  // Puts a value into the record buffer; raises a data type or width error.
  void putValue(char* rec, int field, const xbase::Value& v);

  void pack();  // exclusive: drops deleted records
  void zap();   // exclusive: drops every record
  void touch(); // writes the last-update date and the count into the header

  // Runs before any lock is released: the area over this table writes its
  // pending record there, so that other stations never see it half done.
  void setBeforeUnlock(std::function<void()> f) { beforeUnlock_ = std::move(f); }

  bool lockRecord(long recno);
  void unlockRecord(long recno);
  bool lockFile();
  void unlockAll();
  bool lockAppend();
  void unlockAppend();
  const std::vector<long>& lockedRecords() const { return locks_; }
  bool holdsLock(long recno) const;

 private:
  DbfTable() = default;
  std::function<void()> beforeUnlock_;
  bool parseHeader(const std::vector<char>& head, std::string& why);
  std::string readMemo(long block);
  long writeMemo(const std::string& text);
  void writeCount();
  // Exclusive opens gather appended records and write them in blocks.
  void flushTail();
  bool inTail(long recno) const { return !tail_.empty() && recno >= tailFirst_ && recno <= count_; }

  std::unique_ptr<File> file_;
  std::unique_ptr<File> memo_;
  OpenMode mode_ = OpenMode::Shared;
  std::vector<FieldDef> fields_;
  int headerLen_ = 0;
  int recLen_ = 0;
  long count_ = 0;
  bool changed_ = false;
  bool fileLocked_ = false;
  const char* view_ = nullptr;
  std::uint64_t viewLength_ = 0;
  std::uint64_t viewReads_ = 0;
  std::vector<char> tail_;
  long tailFirst_ = 0;
  // Exclusive opens hold rewritten records back too, and write them in
  // record order with the tail (work tables rewrite every row).
  std::map<long, std::string> rewritten_;
  std::vector<long> locks_;
};

// Raises the runtime error for a failed table operation (open, create,
// read, write, damaged file) naming the file.
void raiseTableError(int genCode, int subCode, const std::string& file, int osCode, const std::string& what);

}  // namespace rdd
