// Tables held in memory behind the work-area interface: the expression
// environment of the command-line evaluator and of tests.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "xbase/workarea.h"

namespace app {

struct MemoryField {
  std::string name;
  char type;  // C N D L
  int len;
  int dec;
};

class MemoryTable : public xbase::WorkArea {
 public:
  MemoryTable(int number, std::string alias, std::vector<MemoryField> fields);
  void append(std::vector<xbase::Value> record, bool deleted = false);
  void go(long recno);

  int number() const override { return number_; }
  const std::string& alias() const override { return alias_; }
  int fieldCount() const override { return int(fields_.size()); }
  int fieldIndex(std::string_view name) const override;
  std::string fieldName(int i) const override { return fields_[std::size_t(i)].name; }
  xbase::Value getField(int i) override;
  void putField(int i, const xbase::Value& v) override;
  long recNo() override { return recno_; }
  long recCount() override { return long(records_.size()); }
  bool eof() override { return recno_ > long(records_.size()); }
  bool bof() override { return false; }
  bool deleted() override;
  bool found() override { return false; }

 private:
  // Values as a field of this width and decimals holds them.
  xbase::Value stored(int i, const xbase::Value& v) const;

  int number_;
  std::string alias_;
  std::vector<MemoryField> fields_;
  std::vector<std::vector<xbase::Value>> records_;
  std::vector<bool> deleted_;
  long recno_ = 1;
};

class MemoryAreas : public xbase::WorkAreaSet {
 public:
  MemoryTable& open(int number, std::string alias, std::vector<MemoryField> fields);
  xbase::WorkArea* current() override { return byNumber(current_); }
  int currentNumber() override { return current_; }
  xbase::WorkArea* byAlias(std::string_view alias) override;
  xbase::WorkArea* byNumber(int n) override;
  void select(int n) override { current_ = n; }
  std::uint64_t generation() const override { return generation_; }

 private:
  std::map<int, std::unique_ptr<MemoryTable>> tables_;
  int current_ = 1;
  std::uint64_t generation_ = 1;
};

}  // namespace app
