// Work areas: a table with its open indexes, the record pointer with the
// runtime's semantics (a blank phantom record at end of file, BOF, FOUND),
// a controlling order, a filter and relations to child areas.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "rdd/dbf.h"
#include "rdd/ntx.h"
#include "xbase/expr.h"
#include "xbase/workarea.h"

namespace rdd {

class Areas;

// A key that is only character and date fields joined by "+" (DTOS of a
// date field included) is the same bytes as the record holds: it is copied,
// not evaluated.
struct KeySegment {
  int offset, len;
  bool date;
};

struct Order {
  std::unique_ptr<NtxIndex> index;
  std::vector<KeySegment> plan;  // empty: evaluate the expression
  std::shared_ptr<const xbase::Expr> key;
  char keyType = 'C';  // type of the key expression's value
  std::string name;    // file name without folder and extension
};

struct Relation {
  std::shared_ptr<const xbase::Expr> expr;
  std::string text;
  int child = 0;  // area number
  // The last key sought and the child's state stamp right after: the same
  // key on an untouched child needs no new seek (detail rows in key order).
  xbase::Value lastKey;
  std::uint64_t childStamp = 0;
};

class Area : public xbase::WorkArea {
 public:
  Area(Areas& owner, int number, std::string alias, std::unique_ptr<DbfTable> table);
  ~Area() override;

  // xbase::WorkArea
  int number() const override { return number_; }
  const std::string& alias() const override { return alias_; }
  int fieldCount() const override { return int(table_->fields().size()); }
  int fieldIndex(std::string_view name) const override { return table_->fieldIndex(name); }
  std::string fieldName(int i) const override { return table_->fields()[std::size_t(i)].name; }
  xbase::Value getField(int i) override;
  void putField(int i, const xbase::Value& v) override;
  long recNo() override { return recno_; }
  long recCount() override { return table_->recCount(); }
  bool eof() override { return eof_; }
  bool bof() override { return bof_; }
  bool deleted() override { return !eof_ && buf_[0] == '*'; }
  bool found() override { return found_; }

  DbfTable& table() { return *table_; }

  // Orders: opening one makes it the controlling order when it is the first.
  bool addOrder(const std::string& ntxPath);
  // Builds (or rebuilds) an index over a key expression and adds it.
  bool createOrder(const std::string& ntxPath, const std::string& keyExpr);
  void setOrder(int n);  // 0: natural order
  int order() const { return order_; }
  std::vector<Order>& orders() { return orders_; }
  void clearOrders();

  void goTo(long recno);
  void goTop();
  void goBottom();
  void skip(long n = 1);
  bool seek(const xbase::Value& key, bool soft, bool last = false);
  void setFilter(const std::string& expr);  // empty: none
  const std::string& filterText() const { return filterText_; }
  void setRelation(const std::string& expr, int childArea);
  void clearRelations() { relations_.clear(); }
  void dropRelationsTo(int child) {
    std::erase_if(relations_, [child](const Relation& r) { return r.child == child; });
  }
  const std::vector<Relation>& relations() const { return relations_; }

  long append();  // a blank record, current and (shared) locked
  // Writes the changed current record and updates its index keys. Field
  // writes collect in the record buffer until the area moves, appends,
  // releases a lock or closes, so a row is written once, not per field.
  void flush();
  void deleteRecord();
  void recall();
  void pack();
  void zap();

  // The key of the current record for an order, as the index holds it.
  std::string keyOf(Order& o);
  // The copy plan of a key expression over this table, or empty.
  std::vector<KeySegment> keyPlan(const std::string& expr) const;
  // The key bytes a value gives for an index of this type and width.
  static std::string keyBytes(const xbase::Value& v, int keySize, int keyDec);

 private:
  void load();                  // reads the current record into the buffer
  void phantom();               // the blank record after the last one
  void afterMove();             // relations follow
  bool passes();                // the filter
  void skipFiltered(int dir);   // moves past records failing the filter
  bool stepOrder(int dir);
  bool syncCursor();
  long positionFromCursor(bool ok);
  template <class F>
  auto withSelected(F f);

  Areas& owner_;
  int number_;
  std::string alias_;
  std::unique_ptr<DbfTable> table_;
  std::vector<char> buf_;
  long recno_ = 0;
  bool eof_ = true, bof_ = true, found_ = false;
  std::vector<Order> orders_;
  int order_ = 0;
  NtxIndex::Cursor cursor_;
  bool cursorSynced_ = false;
  void touched();                        // a move or change: writes, new stamp
  std::uint64_t stamp_ = 0;              // changes on every move or change
  bool dirty_ = false;                   // the buffer holds unwritten changes
  std::vector<std::string> cleanKeys_;   // the index keys before them
  std::string filterText_;
  std::shared_ptr<const xbase::Expr> filter_;
  std::vector<Relation> relations_;
};

class Areas : public xbase::WorkAreaSet {
 public:
  Areas();
  ~Areas() override;

  // Opens a table into the selected area (or the first free one when
  // `newArea`); the alias defaults to the file name.
  Area* use(const std::string& path, const std::string& alias, OpenMode mode, bool newArea = true);
  Area* create(const std::string& path, const std::vector<FieldDef>& fields, const std::string& alias);
  void close(int n);
  void closeAll();
  int freeArea() const;

  Area* area(int n);
  Area* area(std::string_view alias);
  Area* selected() { return area(current_); }

  xbase::WorkArea* current() override { return area(current_); }
  int currentNumber() override { return current_; }
  xbase::WorkArea* byAlias(std::string_view alias) override { return area(alias); }
  xbase::WorkArea* byNumber(int n) override { return area(n); }
  void select(int n) override { current_ = n; }
  std::uint64_t generation() const override { return generation_; }
  void bump() { ++generation_; }

 private:
  std::map<int, std::unique_ptr<Area>> areas_;
  int current_ = 1;
  std::uint64_t generation_ = 1;
};

// The file name without folder and extension, upper case: the default alias.
std::string baseName(const std::string& path);

}  // namespace rdd
