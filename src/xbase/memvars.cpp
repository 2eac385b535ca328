#include "xbase/memvars.h"

#include <algorithm>

#include "xbase/cp874.h"

namespace xbase {

std::size_t Memvars::NameHash::operator()(std::string_view s) const {
  std::size_t h = 1469598103934665603ull;  // FNV-1a over the upper-case letters
  for (char c : s) {
    h ^= static_cast<unsigned char>(upperAscii(c));
    h *= 1099511628211ull;
  }
  return h;
}

bool Memvars::NameEqual::operator()(std::string_view a, std::string_view b) const {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (upperAscii(a[i]) != upperAscii(b[i])) return false;
  return true;
}

MemvarSlot& Memvars::slot(std::string_view name) {
  if (MemvarSlot* known = find(name)) return *known;
  std::string key = upper(name);
  auto s = std::make_unique<MemvarSlot>();
  s->name = key;
  MemvarSlot& ref = *s;
  slots_.emplace(std::move(key), std::move(s));
  return ref;
}

MemvarSlot* Memvars::find(std::string_view name) {
  Recent& r = recent_[(reinterpret_cast<std::uintptr_t>(name.data()) >> 3) % recent_.size()];
  if (r.data == name.data() && r.slot && NameEqual()(r.slot->name, name)) return r.slot;
  auto it = slots_.find(name);
  if (it == slots_.end()) return nullptr;
  r = Recent{name.data(), it->second.get()};
  return r.slot;
}

Value* Memvars::lookup(std::string_view name) {
  MemvarSlot* s = find(name);
  return s ? s->get() : nullptr;
}

std::string Memvars::text(std::string_view name) {
  Value* v = lookup(name);
  return v && v->isChar() ? v->s : std::string();
}

double Memvars::number(std::string_view name) {
  Value* v = lookup(name);
  return v && v->isNum() ? v->n : 0;
}

std::int32_t Memvars::date(std::string_view name) {
  Value* v = lookup(name);
  return v && v->isDate() ? v->date : 0;
}

Value& Memvars::declarePublic(std::string_view name, Value init) {
  MemvarSlot& s = slot(name);
  for (auto& b : s.stack)
    if (b.depth < 0) return b.value;
  s.stack.insert(s.stack.begin(), MemvarSlot::Binding{std::move(init), -1});
  return s.stack.front().value;
}

Value& Memvars::declarePrivate(std::string_view name, int depth, Value init) {
  MemvarSlot& s = slot(name);
  if (!s.stack.empty() && s.stack.back().depth == depth) {
    s.stack.back().value = std::move(init);
    return s.stack.back().value;
  }
  s.stack.push_back(MemvarSlot::Binding{std::move(init), depth});
  privates_.push_back(&s);
  return s.stack.back().value;
}

void Memvars::assign(std::string_view name, Value v, int depth) {
  MemvarSlot& s = slot(name);
  if (Value* cur = s.get())
    *cur = std::move(v);
  else
    declarePrivate(name, depth, std::move(v));
}

void Memvars::release(std::string_view name) {
  MemvarSlot* s = find(name);
  if (!s || s->stack.empty()) return;
  // A released private is gone; a released public is reset to NIL, as the runtime does.
  if (s->stack.back().depth >= 0) {
    s->stack.pop_back();
    auto it = std::find(privates_.rbegin(), privates_.rend(), s);
    if (it != privates_.rend()) privates_.erase(std::next(it).base());
  } else {
    s->stack.back().value = Value();
  }
}

void Memvars::releaseDepth(int depth) {
  while (!privates_.empty()) {
    MemvarSlot* s = privates_.back();
    if (s->stack.empty() || s->stack.back().depth < depth) break;
    s->stack.pop_back();
    privates_.pop_back();
  }
}

void Memvars::releaseAll() {
  // Slots stay: compiled expressions hold their addresses.
  for (auto& [k, s] : slots_) s->stack.clear();
  privates_.clear();
}

std::vector<std::pair<std::string, const Value*>> Memvars::visible() const {
  std::vector<std::pair<std::string, const Value*>> out;
  for (auto& [k, s] : slots_)
    if (!s->stack.empty()) out.emplace_back(k, &s->stack.back().value);
  std::sort(out.begin(), out.end(), [](auto& a, auto& b) { return a.first < b.first; });
  return out;
}

}  // namespace xbase
