// What the expression language needs of tables. The storage layer implements
// these; the runtime never touches a file itself.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "xbase/value.h"

namespace xbase {

class WorkArea {
 public:
  virtual ~WorkArea() = default;
  virtual int number() const = 0;
  virtual const std::string& alias() const = 0;  // as opened; compared case-insensitively
  virtual int fieldCount() const = 0;
  virtual int fieldIndex(std::string_view name) const = 0;  // 0-based, -1 when absent; any case
  virtual std::string fieldName(int index) const = 0;
  virtual Value getField(int index) = 0;
  virtual void putField(int index, const Value& v) = 0;
  virtual long recNo() = 0;
  virtual long recCount() = 0;
  virtual bool eof() = 0;
  virtual bool bof() = 0;
  virtual bool deleted() = 0;
  virtual bool found() = 0;
};

class WorkAreaSet {
 public:
  virtual ~WorkAreaSet() = default;
  virtual WorkArea* current() = 0;  // null when the selected area is empty
  virtual int currentNumber() = 0;
  virtual WorkArea* byAlias(std::string_view alias) = 0;
  virtual WorkArea* byNumber(int n) = 0;
  virtual void select(int n) = 0;
  // Changes whenever an area is opened or closed, so that compiled field
  // references can keep their resolution until then.
  virtual std::uint64_t generation() const = 0;
};

}  // namespace xbase
