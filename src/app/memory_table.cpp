#include "app/memory_table.h"

#include "xbase/cp874.h"
#include "xbase/numfmt.h"

namespace app {

using xbase::Value;

MemoryTable::MemoryTable(int number, std::string alias, std::vector<MemoryField> fields)
    : number_(number), alias_(xbase::upper(alias)), fields_(std::move(fields)) {}

void MemoryTable::append(std::vector<Value> record, bool deleted) {
  record.resize(fields_.size());
  for (std::size_t i = 0; i < record.size(); ++i) record[i] = stored(int(i), record[i]);
  records_.push_back(std::move(record));
  deleted_.push_back(deleted);
}

void MemoryTable::go(long recno) { recno_ = recno; }

int MemoryTable::fieldIndex(std::string_view name) const {
  std::string u = xbase::upper(name);
  for (std::size_t i = 0; i < fields_.size(); ++i)
    if (fields_[i].name == u) return int(i);
  return -1;
}

Value MemoryTable::stored(int i, const Value& v) const {
  const MemoryField& f = fields_[std::size_t(i)];
  switch (f.type) {
    case 'C': {
      std::string s = v.isChar() ? v.s : std::string();
      s.resize(std::size_t(f.len), ' ');
      return Value::chr(std::move(s));
    }
    case 'N': {
      double d = v.isNum() ? xbase::roundDec(v.n, f.dec) : 0;
      return Value::num(d, f.dec ? f.len - f.dec - 1 : f.len, f.dec);
    }
    case 'D': return Value::dateValue(v.isDate() ? v.date : 0);
    default: return Value::logical(v.isLogical() && v.b);
  }
}

Value MemoryTable::getField(int i) {
  if (recno_ < 1 || recno_ > long(records_.size())) return stored(i, Value());
  return records_[std::size_t(recno_ - 1)][std::size_t(i)];
}

void MemoryTable::putField(int i, const Value& v) {
  if (recno_ < 1 || recno_ > long(records_.size())) return;
  records_[std::size_t(recno_ - 1)][std::size_t(i)] = stored(i, v);
}

bool MemoryTable::deleted() {
  return recno_ >= 1 && recno_ <= long(records_.size()) && deleted_[std::size_t(recno_ - 1)];
}

MemoryTable& MemoryAreas::open(int number, std::string alias, std::vector<MemoryField> fields) {
  auto t = std::make_unique<MemoryTable>(number, std::move(alias), std::move(fields));
  MemoryTable& ref = *t;
  tables_[number] = std::move(t);
  ++generation_;
  return ref;
}

xbase::WorkArea* MemoryAreas::byAlias(std::string_view alias) {
  std::string u = xbase::upper(alias);
  for (auto& [n, t] : tables_)
    if (t->alias() == u) return t.get();
  return nullptr;
}

xbase::WorkArea* MemoryAreas::byNumber(int n) {
  auto it = tables_.find(n);
  return it == tables_.end() ? nullptr : it->second.get();
}

}  // namespace app
