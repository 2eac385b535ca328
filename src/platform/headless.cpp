#include "platform/headless.h"

#include <sstream>

#include "xbase/cp874.h"
#include "xbase/dates.h"
#include "xbase/numfmt.h"
#include "xbase/runtime.h"

namespace platform {

namespace {

std::string trim(const std::string& s) {
  std::size_t b = s.find_first_not_of(" \t"), e = s.find_last_not_of(" \t\r");
  return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

std::string unquote(const std::string& s) {
  std::string t = trim(s);
  if (t.size() >= 2 && t.front() == '"' && t.back() == '"') return t.substr(1, t.size() - 2);
  return t;
}

std::string q(std::string_view cp874) { return "\"" + xbase::toUtf8(cp874) + "\""; }

// Splits "verb name rest": the name may be quoted.
void splitCommand(const std::string& line, std::string& verb, std::string& name, std::string& rest) {
  std::string t = trim(line);
  std::size_t sp = t.find(' ');
  verb = sp == std::string::npos ? t : t.substr(0, sp);
  std::string tail = sp == std::string::npos ? std::string() : trim(t.substr(sp + 1));
  if (!tail.empty() && tail[0] == '"') {
    std::size_t close = tail.find('"', 1);
    name = tail.substr(1, close == std::string::npos ? std::string::npos : close - 1);
    rest = close == std::string::npos ? std::string() : trim(tail.substr(close + 1));
  } else {
    sp = tail.find(' ');
    name = sp == std::string::npos ? tail : tail.substr(0, sp);
    rest = sp == std::string::npos ? std::string() : trim(tail.substr(sp + 1));
  }
}

}  // namespace

void HeadlessUi::setScript(std::vector<std::string> lines) {
  script_.clear();
  for (auto& l : lines) {
    std::string t = trim(l);
    if (!t.empty() && t[0] != '#') script_.push_back(t);
  }
}

bool HeadlessUi::loadScript(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::vector<std::string> lines;
  std::string l;
  while (std::getline(in, l)) lines.push_back(l);
  setScript(lines);
  return true;
}

bool HeadlessUi::setTranscriptFile(const std::string& path) {
  file_.open(path, std::ios::binary | std::ios::trunc);
  return bool(file_);
}

void HeadlessUi::note(const std::string& line) {
  std::string indented = std::string(std::size_t(depth_) * 2, ' ') + line;
  transcript_.push_back(indented);
  if (file_) file_ << indented << "\n" << std::flush;
}

std::string HeadlessUi::next(const std::string& waitingFor, const char* verb) {
  if (script_.empty()) throw ScriptError("the script has no answer for " + waitingFor);
  std::string line = script_.front();
  if (verb && line.rfind(verb, 0) != 0)
    throw ScriptError("the script has no answer for " + waitingFor + " (next line: " + line + ")");
  script_.pop_front();
  return line;
}

void HeadlessUi::message(std::string_view text, std::string_view caption) {
  note("message " + q(caption) + ": " + xbase::toUtf8(text));
}

void HeadlessUi::alert(std::string_view text, std::string_view caption) {
  note("alert " + q(caption) + ": " + xbase::toUtf8(text));
}

bool HeadlessUi::yesNo(std::string_view text, std::string_view caption) {
  std::string what = "the question " + q(caption) + ": " + xbase::toUtf8(text);
  std::string line = next(what, "answer");
  bool yes = trim(line.substr(6)) == "yes";
  note("question " + q(caption) + ": " + xbase::toUtf8(text) + " -> " + (yes ? "yes" : "no"));
  return yes;
}

std::optional<std::string> HeadlessUi::input(std::string_view title, std::string_view label, std::string_view dflt) {
  std::string line = next("the input box " + q(title), "input");
  if (line == "input-cancel") {
    note("input " + q(title) + " " + q(label) + " -> cancelled");
    return std::nullopt;
  }
  std::string value = xbase::fromUtf8(unquote(line.substr(5)));
  (void)dflt;
  note("input " + q(title) + " " + q(label) + " -> " + q(value));
  return value;
}

void HeadlessUi::sound(std::string_view file, int) { note("sound " + std::string(file)); }

ErrorChoice HeadlessUi::errorDialog(const ErrorDialogContent& content) {
  note("error " + q(content.description));
  for (const std::string& s : content.stack) note("  " + s);
  if (script_.empty() || script_.front().rfind("error", 0) != 0) {
    note("error dialog closed (no answer in the script): quit");
    return ErrorChoice::Quit;
  }
  std::string line = next("the error dialog", "error");
  std::string choice = trim(line.substr(5));
  note("error dialog -> " + choice);
  if (choice == "retry" && content.canRetry) return ErrorChoice::Retry;
  if (choice == "default" && content.canDefault) return ErrorChoice::Default;
  return ErrorChoice::Quit;
}

int HeadlessUi::run(Dialog& d) {
  std::string name = "the dialog " + q(d.title);
  note("dialog " + q(d.title) + " {");
  ++depth_;
  struct Leave {
    int& depth;
    ~Leave() { --depth; }
  } leave{depth_};
  d.reopen();
  if (d.onInit) d.onInit();
  while (!d.closed()) apply(d, next(name));
  --depth_;
  note("} -> " + std::to_string(d.result()));
  ++depth_;
  return d.result();
}

void HeadlessUi::apply(Dialog& d, const std::string& line) {
  std::string verb, name, rest;
  splitCommand(line, verb, name, rest);
  std::string where = "the dialog " + q(d.title);
  auto control = [&](Control::Kind kind) -> Control& {
    Control* c = d.find(xbase::fromUtf8(name));
    if (!c || c->kind != kind) throw ScriptError(where + " has no control \"" + name + "\" for: " + line);
    if (!c->enabled) throw ScriptError(where + ": \"" + name + "\" is disabled");
    return *c;
  };
  auto press = [&](Control& b) {
    note("press " + q(b.text));
    if (b.action)
      b.action();
    else
      d.close(b.isCancel ? 0 : 1);
  };
  if (verb == "type") {
    Control& c = control(Control::Kind::Edit);
    std::string typed = xbase::fromUtf8(unquote(rest));
    bool ok = typeInto(c, typed);
    xbase::Value* stored = xbase::rt().memvars.lookup(c.variable);
    if (stored && stored->isChar()) typed = stored->s;
    note("type " + c.variable + " " + q(typed) + (ok ? "" : " -> refused, the field keeps the focus"));
  } else if (verb == "tick") {
    Control& c = control(Control::Kind::CheckBox);
    bool on = rest == "on";
    xbase::rt().memvars.assign(c.variable, xbase::Value::logical(on), xbase::rt().depth());
    if (c.valid) c.valid();
    note("tick " + c.variable + " " + (on ? "on" : "off"));
  } else if (verb == "choose") {
    Control& c = control(Control::Kind::ComboBox);
    std::string item = xbase::fromUtf8(unquote(rest));
    std::size_t index = 0;
    if (!item.empty() && item[0] == '#') {
      index = std::size_t(std::atoi(item.c_str() + 1));
    } else {
      for (std::size_t i = 0; i < c.items.size(); ++i)
        if (c.items[i] == item) index = i + 1;
    }
    if (index < 1 || index > c.items.size()) throw ScriptError(where + ": no entry \"" + rest + "\" in " + name);
    xbase::Value* var = xbase::rt().memvars.lookup(c.variable);
    xbase::Value v = var && var->isNum() ? xbase::Value::integer(long(index)) : xbase::Value::chr(c.items[index - 1]);
    xbase::rt().memvars.assign(c.variable, v, xbase::rt().depth());
    if (c.valid) c.valid();
    note("choose " + c.variable + " " + q(c.items[index - 1]));
  } else if (verb == "press") {
    std::string caption = unquote(name + (rest.empty() ? "" : " " + rest));
    Control* c = d.find(xbase::fromUtf8(caption));
    if (!c || c->kind != Control::Kind::Button) throw ScriptError(where + " has no button \"" + caption + "\"");
    if (!c->enabled) throw ScriptError(where + ": the button \"" + caption + "\" is disabled");
    press(*c);
  } else if (verb == "row" || verb == "key") {
    Control* list = nullptr;
    for (Control& c : d.controls)
      if (c.kind == Control::Kind::List && c.browse) list = &c;
    if (!list) throw ScriptError(where + " has no list for: " + line);
    Browse& b = *list->browse;
    if (verb == "row") {
      long n = std::atol(name.c_str());
      b.goTop();
      long moved = n > 1 ? b.skip(n - 1) : 0;
      if (n < 1 || moved != n - 1 || (b.atEnd && b.atEnd())) throw ScriptError(where + ": the list has no row " + name);
      b.row = n;
      std::string cells;
      for (const BrowseColumn& col : b.columns) cells += (cells.empty() ? "" : " | ") + xbase::toUtf8(col.text());
      note("row " + name + ": " + cells);
    } else {
      auto it = b.keys.find(name);
      if (it == b.keys.end()) throw ScriptError(where + ": the list takes no key " + name);
      note("key " + name);
      it->second();
    }
  } else if (verb == "enter" || verb == "escape") {
    bool cancel = verb == "escape";
    for (Control& c : d.controls)
      if (c.kind == Control::Kind::Button && (cancel ? c.isCancel : c.isDefault)) return press(c);
    note(verb);
    if (cancel) d.close(0);
  } else {
    throw ScriptError(where + " cannot take the script line: " + line);
  }
}

}  // namespace platform
