#include "xbase/runtime.h"

#include <chrono>
#include <ctime>

#include "xbase/cp874.h"

namespace xbase {

namespace {
Runtime* g_current = nullptr;

std::int32_t systemToday() {
  std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  return encodeDate(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday);
}

std::string systemTime() {
  std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", tm.tm_hour, tm.tm_min, tm.tm_sec);
  return buf;
}
}  // namespace

Runtime::Runtime() : today(systemToday), timeOfDay(systemTime) {
  registerStandardFunctions(*this);
}

Runtime::~Runtime() {
  if (g_current == this) g_current = nullptr;
}

void Runtime::registerFunction(std::string_view name, NativeFunction fn) {
  functions_[upper(name)] = std::move(fn);
}

const NativeFunction* Runtime::function(std::string_view upperName) const {
  auto it = functions_.find(std::string(upperName));
  return it == functions_.end() ? nullptr : &it->second;
}

std::vector<std::string> Runtime::functionNames() const {
  std::vector<std::string> names;
  for (auto& [k, v] : functions_) names.push_back(k);
  return names;
}

ErrorOutcome Runtime::raise(Error& e) {
  if (!handler) throw ErrorException(e);
  ++e.tries;
  return handler(e);
}

Value Runtime::raiseValue(Error e) {
  ErrorOutcome o = raise(e);
  if (o.kind == ErrorOutcome::Retry) throw RetryRequest{};
  return o.value;
}

std::shared_ptr<const Expr> Runtime::cached(const std::string& text) const {
  auto it = exprCache_.find(text);
  return it == exprCache_.end() ? nullptr : it->second;
}

void Runtime::cache(const std::string& text, std::shared_ptr<const Expr> e) { exprCache_[text] = std::move(e); }

Runtime& rt() {
  if (!g_current) {
    static Runtime fallback;
    g_current = &fallback;
  }
  return *g_current;
}

void setCurrentRuntime(Runtime* r) { g_current = r; }

RuntimeScope::RuntimeScope(Runtime& r) : previous_(g_current) { g_current = &r; }
RuntimeScope::~RuntimeScope() { g_current = previous_; }

FrameGuard::FrameGuard(std::string routine, std::string file, int line,
                       std::vector<std::pair<std::string, Value>> params) {
  Runtime& r = rt();
  Frame f;
  f.routine = std::move(routine);
  f.file = std::move(file);
  f.line = line;
  f.params = std::move(params);
  r.frames.push_back(std::move(f));
  depth_ = r.depth();
}

FrameGuard::~FrameGuard() {
  Runtime& r = rt();
  r.memvars.releaseDepth(depth_);
  if (r.depth() >= depth_) r.frames.resize(std::size_t(depth_ - 1));
}

Frame& FrameGuard::frame() { return rt().frames[std::size_t(depth_ - 1)]; }
void FrameGuard::setLine(int line) { frame().line = line; }

Value& declarePrivate(std::string_view name, Value init) {
  return rt().memvars.declarePrivate(name, rt().depth(), std::move(init));
}

Value& declarePublic(std::string_view name, Value init) { return rt().memvars.declarePublic(name, std::move(init)); }

}  // namespace xbase
