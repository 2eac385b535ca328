#include "rdd/textio.h"

#include <fstream>

#include "rdd/area.h"
#include "rdd/paths.h"
#include "xbase/dates.h"
#include "xbase/error.h"
#include "xbase/numfmt.h"

namespace rdd {

using xbase::Value;

namespace {

std::string rtrim(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

std::string ltrim(const std::string& s) {
  std::size_t b = s.find_first_not_of(' ');
  return b == std::string::npos ? std::string() : s.substr(b);
}

// A field as fixed-width text, the way the record holds it.
std::string fixedText(const FieldDef& f, const Value& v) {
  switch (f.type) {
    case 'N':
    case 'F': return xbase::formatNumber(v.n, f.len, f.dec);
    case 'D': return xbase::dateToSortable(v.date);
    case 'L': return v.b ? "T" : "F";
    default: {
      std::string s = v.s;
      s.resize(std::size_t(f.len), ' ');
      return s;
    }
  }
}

// A text back to a field value; unreadable numbers and dates are zero or empty.
Value fieldValue(const FieldDef& f, const std::string& text) {
  switch (f.type) {
    case 'N':
    case 'F': return xbase::parseNumber(text);
    case 'D': return Value::dateValue(xbase::sortableToDate(ltrim(text)));
    case 'L': {
      std::string t = ltrim(text);
      char c = t.empty() ? 'F' : t[0];
      return Value::logical(c == 'T' || c == 't' || c == 'Y' || c == 'y');
    }
    default: return Value::chr(text);
  }
}

bool openOut(std::ofstream& out, const std::string& path) {
  out.open(localPath(path), std::ios::binary | std::ios::trunc);
  if (out) return true;
  raiseTableError(xbase::EG_CREATE, 1004, path, 0, "COPY TO");
  return false;
}

bool openIn(std::ifstream& in, const std::string& path) {
  in.open(localPath(path), std::ios::binary);
  if (in) return true;
  raiseTableError(xbase::EG_OPEN, 1001, path, 2, "APPEND FROM");
  return false;
}

// Lines of a text file without their CR LF; a 1A byte ends the file.
bool nextLine(std::ifstream& in, std::string& line) {
  if (!std::getline(in, line)) return false;
  std::size_t eof = line.find('\x1A');
  if (eof != std::string::npos) {
    line.resize(eof);
    in.setstate(std::ios::eofbit);
    if (line.empty()) return false;
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

template <class Writer>
bool copyTo(Area& a, const std::string& path, Writer w) {
  std::ofstream out;
  if (!openOut(out, path)) return false;
  const auto& fields = a.table().fields();
  int keep = a.order();
  a.setOrder(0);
  for (a.goTop(); !a.eof(); a.skip(1)) {
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) w(line, i, fields[i], a.getField(int(i)));
    out << line << "\r\n";
  }
  out << '\x1A';
  a.setOrder(keep);
  a.goTop();
  return bool(out);
}

}  // namespace

bool copyToDelimited(Area& a, const std::string& path, Delimiter d) {
  return copyTo(a, path, [&](std::string& line, std::size_t i, const FieldDef& f, const Value& v) {
    if (d.blank) {
      if (i) line += ' ';
      line += f.type == 'C' || f.type == 'M' ? rtrim(v.s) : ltrim(fixedText(f, v));
      line = i + 1 == a.table().fields().size() ? rtrim(line) : line;
      return;
    }
    if (i) line += ',';
    if (f.type == 'C' || f.type == 'M')
      line += d.quote + rtrim(v.s) + d.quote;
    else if (f.type == 'D')
      line += v.date ? xbase::dateToSortable(v.date) : std::string();
    else
      line += ltrim(fixedText(f, v));
  });
}

bool copyToSdf(Area& a, const std::string& path) {
  return copyTo(a, path, [](std::string& line, std::size_t, const FieldDef& f, const Value& v) {
    line += f.type == 'M' ? std::string(10, ' ') : fixedText(f, v);
  });
}

long appendFromSdf(Area& a, const std::string& path) {
  std::ifstream in;
  if (!openIn(in, path)) return -1;
  const auto& fields = a.table().fields();
  long n = 0;
  std::string line;
  while (nextLine(in, line)) {
    if (a.append() == 0) return n;
    std::size_t pos = 0;
    for (std::size_t i = 0; i < fields.size(); ++i) {
      const FieldDef& f = fields[i];
      std::string part = pos < line.size() ? line.substr(pos, std::size_t(f.len)) : std::string();
      pos += std::size_t(f.len);
      if (f.type != 'M') a.putField(int(i), fieldValue(f, part));
    }
    ++n;
  }
  return n;
}

long appendFromDelimited(Area& a, const std::string& path, Delimiter d) {
  std::ifstream in;
  if (!openIn(in, path)) return -1;
  const auto& fields = a.table().fields();
  long n = 0;
  std::string line;
  while (nextLine(in, line)) {
    // Split: quoted parts may hold the separator.
    std::vector<std::string> parts;
    std::string cur;
    bool quoted = false;
    char sep = d.blank ? ' ' : ',';
    for (char c : line) {
      if (!d.blank && c == d.quote) {
        quoted = !quoted;
      } else if (c == sep && !quoted) {
        parts.push_back(cur);
        cur.clear();
      } else {
        cur += c;
      }
    }
    parts.push_back(cur);
    if (a.append() == 0) return n;
    for (std::size_t i = 0; i < fields.size() && i < parts.size(); ++i)
      if (fields[i].type != 'M') a.putField(int(i), fieldValue(fields[i], parts[i]));
    ++n;
  }
  return n;
}

}  // namespace rdd
