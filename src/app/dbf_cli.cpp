#include "app/dbf_cli.h"

#include <fstream>
#include <iostream>
#include <unordered_map>

#include "rdd/area.h"
#include "xbase/cp874.h"
#include "xbase/dates.h"
#include "xbase/error.h"
#include "xbase/numfmt.h"
#include "xbase/runtime.h"

namespace app {

using namespace xbase;

namespace {

std::string escaped(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '\r')
      out += "\\r";
    else if (c == '\n')
      out += "\\n";
    else
      out += c;
  }
  return toUtf8(out);
}

std::string fieldText(const Value& v) {
  switch (v.type) {
    case Type::Char: return "[" + escaped(v.s) + "]";
    case Type::Num: return formatNumber(v);
    case Type::Date: return v.date ? dateToSortable(v.date) : "(empty)";
    case Type::Logical: return v.b ? "T" : "F";
    default: return "";
  }
}

// Runs `body` with a fresh runtime and work areas; runtime errors become a
// message and a failure.
template <class F>
bool guarded(std::ostream& err, F body) {
  Runtime r;
  RuntimeScope scope(r);
  rdd::Areas areas;
  r.areas = &areas;
  try {
    body(areas);
    r.areas = nullptr;
    return true;
  } catch (const ErrorException& e) {
    const Error& x = e.error();
    err << "Error " << x.subsystem << "/" << x.subCode << "  " << x.description;
    if (!x.fileName.empty()) err << ": " << x.fileName;
    if (!x.operation.empty()) err << " (" << toUtf8(x.operation) << ")";
    err << "\n";
    r.areas = nullptr;
    return false;
  }
}

}  // namespace

void dumpRecords(const std::string& table, std::ostream& out) {
  rdd::Area* a = static_cast<rdd::Areas*>(rt().areas)->use(table, "", rdd::OpenMode::ReadOnly);
  if (!a) return;
  long n = a->recCount();
  out << "#records " << n << "\n";
  for (long r = 1; r <= n; ++r) {
    a->goTo(r);
    out << r << "\t" << (a->deleted() ? "*" : " ");
    for (int i = 0; i < a->fieldCount(); ++i) out << "\t" << fieldText(a->getField(i));
    out << "\n";
  }
}

void dumpOrder(const std::string& table, const std::string& ntx, const std::string& seeksFile, std::ostream& out) {
  rdd::Area* a = static_cast<rdd::Areas*>(rt().areas)->use(table, "", rdd::OpenMode::ReadOnly);
  if (!a || !a->addOrder(ntx)) return;
  rdd::Order& o = a->orders()[0];
  std::vector<std::pair<long, std::string>> keys;
  for (a->goTop(); !a->eof(); a->skip(1)) keys.emplace_back(a->recNo(), a->keyOf(o));
  out << "#key " << toUtf8(o.index->header().keyExpr) << "\n#keycount " << keys.size() << "\n";
  for (auto& [r, k] : keys) out << r << "\t[" << toUtf8(k) << "]\n";
  if (seeksFile.empty()) return;
  std::ifstream in(seeksFile, std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    Value key = Value::chr(fromUtf8(line));
    bool exact = a->seek(key, false);
    out << "seek [" << line << "] exact: ";
    if (exact)
      out << "found " << a->recNo();
    else
      out << "notfound eof=" << (a->eof() ? "T" : "F");
    bool soft = a->seek(key, true);
    out << " | soft: " << (soft ? "found " : "notfound ");
    if (a->eof())
      out << "eof";
    else
      out << a->recNo();
    out << "\n";
  }
}

bool checkIndex(const std::string& table, const std::string& ntx, std::ostream& out) {
  auto* areas = static_cast<rdd::Areas*>(rt().areas);
  rdd::Area* a = areas->use(table, "", rdd::OpenMode::ReadOnly);
  if (!a || !a->addOrder(ntx)) return false;
  rdd::Order& o = a->orders()[0];
  long n = a->recCount();
  std::vector<int> seen(std::size_t(n) + 1, 0);
  std::vector<std::string> report;
  long keys = 0, wrongKey = 0, outside = 0;
  std::vector<std::pair<std::string, std::uint32_t>> all;
  bool sound = o.index->check(report, [&](const std::string& k, std::uint32_t r) { all.emplace_back(k, r); });
  a->setOrder(0);
  for (auto& [k, r] : all) {
    ++keys;
    if (r < 1 || long(r) > n) {
      if (++outside <= 10) report.push_back("key for record " + std::to_string(r) + " beyond the table");
      continue;
    }
    ++seen[r];
    a->goTo(long(r));
    if (a->keyOf(o) != k && ++wrongKey <= 10)
      report.push_back("record " + std::to_string(r) + " has key [" + toUtf8(a->keyOf(o)) + "], index holds [" +
                       toUtf8(k) + "]");
  }
  long missing = 0, doubled = 0;
  for (long r = 1; r <= n; ++r) {
    if (seen[std::size_t(r)] == 0 && ++missing <= 10) report.push_back("record " + std::to_string(r) + " missing");
    if (seen[std::size_t(r)] > 1 && ++doubled <= 10) report.push_back("record " + std::to_string(r) + " indexed twice");
  }
  bool ok = sound && missing == 0 && doubled == 0 && wrongKey == 0 && outside == 0;
  out << ntx << ": " << keys << " keys for " << n << " records: " << (ok ? "sound" : "DAMAGED") << "\n";
  for (auto& line : report) out << "  " << line << "\n";
  if (!ok) out << "  repair with: vekrep dbf reindex " << table << " " << ntx << " \"" << o.index->header().keyExpr << "\"\n";
  return ok;
}

bool reindex(const std::string& table, const std::string& ntx, const std::string& key, std::ostream& out) {
  auto* areas = static_cast<rdd::Areas*>(rt().areas);
  rdd::Area* a = areas->use(table, "", rdd::OpenMode::Exclusive);
  if (!a || !a->createOrder(ntx, fromUtf8(key))) return false;
  out << ntx << ": " << a->recCount() << " records indexed on " << key << "\n";
  return true;
}

int runDbfCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  auto usage = [&] {
    err << "usage: vekrep dbf dump TABLE [--index NTX [--seeks FILE]]\n"
           "       vekrep dbf check TABLE NTX\n"
           "       vekrep dbf reindex TABLE NTX \"KEY\"\n";
    return 2;
  };
  if (args.size() < 2) return usage();
  const std::string& cmd = args[0];
  if (cmd == "dump") {
    std::string ntx, seeks;
    for (std::size_t i = 2; i + 1 < args.size(); i += 2) {
      if (args[i] == "--index") ntx = args[i + 1];
      else if (args[i] == "--seeks") seeks = args[i + 1];
      else return usage();
    }
    bool ok = guarded(err, [&](rdd::Areas&) {
      if (ntx.empty())
        dumpRecords(args[1], out);
      else
        dumpOrder(args[1], ntx, seeks, out);
    });
    return ok ? 0 : 1;
  }
  if (cmd == "check" && args.size() == 3) {
    bool sound = false;
    bool ok = guarded(err, [&](rdd::Areas&) { sound = checkIndex(args[1], args[2], out); });
    return ok && sound ? 0 : 1;
  }
  if (cmd == "reindex" && args.size() == 4) {
    bool done = false;
    bool ok = guarded(err, [&](rdd::Areas&) { done = reindex(args[1], args[2], args[3], out); });
    return ok && done ? 0 : 1;
  }
  return usage();
}

}  // namespace app
