// PUBLIC and PRIVATE memory variables with dynamic scope, and the frames of
// the program's routines that privates belong to.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "xbase/value.h"

namespace xbase {

// One name: a stack of bindings, the visible one on top. A private declared
// in a routine covers the outer binding until the routine returns.
struct MemvarSlot {
  struct Binding {
    Value value;
    int depth;  // frame depth of a private; -1 for a public
  };
  std::string name;
  std::vector<Binding> stack;

  Value* get() { return stack.empty() ? nullptr : &stack.back().value; }
};

class Memvars {
 public:
  // The slot of a name (any case), created empty when new; its address is
  // stable, so compiled expressions may keep it.
  MemvarSlot& slot(std::string_view name);
  MemvarSlot* find(std::string_view name);
  Value* lookup(std::string_view name);
  // A variable's text, number or date as the program's own code reads it:
  // empty, 0 or the empty date when it holds no value of that type.
  std::string text(std::string_view name);
  double number(std::string_view name);
  std::int32_t date(std::string_view name);

  // PUBLIC: a new public starts as .F.; declaring an existing public again keeps its value.
  Value& declarePublic(std::string_view name, Value init = Value::logical(false));
  // PRIVATE at the given frame depth; a second declaration in the same frame reuses it.
  Value& declarePrivate(std::string_view name, int depth, Value init = Value());
  // Assigns to the visible binding, or creates a private at `depth` (the
  // runtime's rule for assigning an undeclared name).
  void assign(std::string_view name, Value v, int depth);
  // RELEASE: drops the visible binding of the name.
  void release(std::string_view name);
  // Drops every binding made at `depth` or deeper (a routine returning).
  void releaseDepth(int depth);
  void releaseAll();

  std::vector<std::pair<std::string, const Value*>> visible() const;

 private:
  // Names are found in any case without building an upper-case copy.
  struct NameHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const;
  };
  struct NameEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const;
  };
  std::unordered_map<std::string, std::unique_ptr<MemvarSlot>, NameHash, NameEqual> slots_;
  // Names found lately, by where the caller keeps the name: the program
  // asks for the same few run variables many times a line. An entry counts
  // only when its slot's name equals the name asked for.
  struct Recent {
    const char* data = nullptr;
    MemvarSlot* slot = nullptr;
  };
  std::array<Recent, 64> recent_{};
  std::vector<MemvarSlot*> privates_;  // in order of declaration
};

// A routine of the program as the error log shows it.
struct Frame {
  std::string routine;
  std::string file;
  int line = 0;
  std::vector<std::pair<std::string, Value>> params;
  std::vector<std::pair<std::string, Value>> locals;
};

}  // namespace xbase
