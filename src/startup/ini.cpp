#include "startup/ini.h"

#include <fstream>

#include "rdd/paths.h"
#include "xbase/cp874.h"

namespace startup {

namespace {

std::string trim(const std::string& s) {
  std::size_t b = s.find_first_not_of(" \t"), e = s.find_last_not_of(" \t");
  return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

bool sameName(const std::string& a, const std::string& b) { return xbase::upper(trim(a)) == xbase::upper(trim(b)); }

}  // namespace

IniFile::IniFile(std::string path) : path_(std::move(path)) {
  std::size_t slash = path_.find_last_of("/\\");
  std::string name = slash == std::string::npos ? path_ : path_.substr(slash + 1);
  if (name.find('.') == std::string::npos) path_ += ".ini";
  std::ifstream in(rdd::localPath(path_), std::ios::binary);
  std::string line;
  bool sawCr = false, sawAny = false;
  while (std::getline(in, line)) {
    sawAny = true;
    if (!line.empty() && line.back() == '\r') {
      line.pop_back();
      sawCr = true;
    }
    lines_.push_back(line);
  }
  if (sawAny && !sawCr) eol_.erase(0, 1);  // "\n" alone, as the file has it
}

IniFile::Found IniFile::find(const std::string& section, const std::string& key) const {
  Found f;
  for (long i = 0; i < long(lines_.size()); ++i) {
    std::string t = trim(lines_[std::size_t(i)]);
    if (!t.empty() && t[0] == '[') {
      if (f.section >= 0) {
        f.sectionEnd = i;
        return f;
      }
      std::size_t close = t.find(']');
      if (close != std::string::npos && sameName(t.substr(1, close - 1), section)) f.section = i;
      continue;
    }
    if (f.section < 0 || f.key >= 0 || t.empty() || t[0] == ';') continue;
    std::size_t eq = t.find('=');
    if (eq != std::string::npos && sameName(t.substr(0, eq), key)) f.key = i;
  }
  if (f.section >= 0) f.sectionEnd = long(lines_.size());
  return f;
}

std::string IniFile::get(const std::string& section, const std::string& key, const std::string& dflt) const {
  Found f = find(section, key);
  if (f.key < 0) return dflt;
  const std::string& line = lines_[std::size_t(f.key)];
  std::string v = trim(line.substr(line.find('=') + 1));
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) v = v.substr(1, v.size() - 2);
  return v;
}

std::string IniFile::read(const std::string& section, const std::string& key, const std::string& dflt) {
  std::string v = get(section, key, dflt);
  if (v == dflt) set(section, key, dflt);
  return v;
}

void IniFile::set(const std::string& section, const std::string& key, const std::string& value) {
  Found f = find(section, key);
  std::string line = key;
  line.append(1, '=').append(value);
  if (f.key >= 0) {
    if (lines_[std::size_t(f.key)] == line) return;
    lines_[std::size_t(f.key)] = line;
  } else if (f.section >= 0) {
    // After the last non-blank line of the section.
    long at = f.sectionEnd;
    while (at > f.section + 1 && trim(lines_[std::size_t(at - 1)]).empty()) --at;
    lines_.insert(lines_.begin() + at, line);
  } else {
    if (!lines_.empty() && !trim(lines_.back()).empty()) lines_.push_back("");
    std::string head(1, '[');
    head.append(section).push_back(']');
    lines_.push_back(head);
    lines_.push_back(line);
  }
  save();
}

std::vector<std::pair<std::string, std::string>> IniFile::entries(const std::string& section) const {
  std::vector<std::pair<std::string, std::string>> out;
  bool in = false;
  for (const std::string& raw : lines_) {
    std::string t = trim(raw);
    if (!t.empty() && t[0] == '[') {
      std::size_t close = t.find(']');
      in = close != std::string::npos && sameName(t.substr(1, close - 1), section);
      continue;
    }
    std::size_t eq = t.find('=');
    if (in && eq != std::string::npos && t[0] != ';') out.emplace_back(trim(t.substr(0, eq)), trim(t.substr(eq + 1)));
  }
  return out;
}

void IniFile::save() const {
  std::ofstream out(rdd::localPath(path_), std::ios::binary | std::ios::trunc);
  for (const std::string& l : lines_) out << l << eol_;
}

}  // namespace startup
