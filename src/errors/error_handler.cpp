#include "errors/error_handler.h"

#include <unistd.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <malloc.h>
#include <sys/resource.h>
#include <sys/sysinfo.h>
#include <sys/utsname.h>

#include "platform/ui.h"
#include "rdd/area.h"
#include "xbase/cp874.h"
#include "xbase/dates.h"
#include "xbase/numfmt.h"

namespace errors {

using xbase::Value;

namespace {

bool g_netErr = false;
bool g_inHandler = false;
const auto g_started = std::chrono::steady_clock::now();

std::string num(long v, int width) { return xbase::formatNumber(double(v), width, 0); }
std::string picture(long v, const char* pic) { return xbase::transform(Value::integer(v), pic, xbase::DateSettings{}); }

std::string firstLineOf(const char* file, const char* key) {
  std::ifstream in(file);
  std::string line;
  while (std::getline(in, line))
    if (line.rfind(key, 0) == 0) {
      std::size_t colon = line.find(':');
      std::string v = colon == std::string::npos ? std::string() : line.substr(colon + 1);
      std::size_t b = v.find_first_not_of(" \t");
      return b == std::string::npos ? std::string() : v.substr(b);
    }
  return std::string();
}

std::string elapsed() {
  long s = long(std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - g_started).count());
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02ld:%02ld:%02ld", s / 3600, (s / 60) % 60, s % 60);
  return buf;
}

std::vector<std::string> calledFrom() {
  std::vector<std::string> lines;
  const auto& frames = xbase::rt().frames;
  for (std::size_t i = frames.size(); i-- > 0 && lines.size() < 72;) {
    const xbase::Frame& f = frames[i];
    std::string file = std::filesystem::path(f.file).filename().string();
    lines.push_back("   Called from: " + file + " => " + f.routine + "(" + std::to_string(f.line) + ")");
  }
  return lines;
}

void systemSection(std::ostringstream& o, const char* eol) {
  std::string mhz = firstLineOf("/proc/cpuinfo", "cpu MHz");
  o << "   CPU type: " << GETCPU() << " " << (mhz.empty() ? "0" : mhz.substr(0, mhz.find('.'))) << " Mhz" << eol;
  struct sysinfo si{};
  sysinfo(&si);
  unsigned long long total = (unsigned long long)si.totalram * si.mem_unit;
  unsigned long long freeMem = (unsigned long long)si.freeram * si.mem_unit;
  int freePct = total ? int(freeMem * 100 / total) : 0;
  o << "   Hardware memory: " << (total / (1024 * 1024) + 1) << " megs" << eol << eol;
  o << "   Free System resources: " << freePct << " %" << eol;
  o << "        GDI    resources: " << freePct << " %" << eol;
  o << "        User   resources: " << freePct << " %" << eol << eol;
  o << "   Compiler version: vekrep xBase runtime 1.0 (g++ " << __VERSION__ << ")" << eol;
  struct utsname u{};
  uname(&u);
  int major = 0, minor = 0, build = 0;
  std::sscanf(u.release, "%d.%d.%d", &major, &minor, &build);
  o << "   Windows version: " << major << "." << minor << ", Build " << build << " " << u.sysname << " " << u.release
    << eol << eol;
  std::vector<std::string> tasks;
  std::error_code ec;
  for (auto& d : std::filesystem::directory_iterator("/proc", ec)) {
    std::string name = d.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::ifstream comm(d.path() / "comm");
    std::string task;
    if (std::getline(comm, task)) tasks.push_back(task);
  }
  o << "   Windows total applications running: " << tasks.size() << eol;
  for (std::size_t i = 0; i < tasks.size(); ++i) o << "    " << num(long(i + 1), 3) << " " << tasks[i] << eol;
}

void variablesSection(std::ostringstream& o, const char* eol) {
  o << "   Procedure     Type   Value" << eol << "   ==========================" << eol;
  const auto& frames = xbase::rt().frames;
  for (std::size_t i = frames.size(); i-- > 0;) {
    const xbase::Frame& f = frames[i];
    o << "   " << f.routine << eol;
    for (std::size_t k = 0; k < f.params.size(); ++k)
      o << "     Param " << num(long(k + 1), 3) << ":    " << xbase::typeLetter(f.params[k].second) << "    "
        << CGETINFO(f.params[k].second) << eol;
    for (std::size_t k = 0; k < f.locals.size(); ++k)
      o << "     Local " << num(long(k + 1), 3) << ":    " << xbase::typeLetter(f.locals[k].second) << "    "
        << CGETINFO(f.locals[k].second) << eol;
  }
}

void databasesSection(std::ostringstream& o, const char* eol) {
  auto* areas = dynamic_cast<rdd::Areas*>(xbase::rt().areas);
  if (!areas) return;
  for (int n = 1; n <= 255; ++n) {
    rdd::Area* a = areas->area(n);
    if (!a) continue;
    std::string alias = a->alias();
    alias.resize(std::max<std::size_t>(alias.size(), 15), ' ');
    o << eol << num(n, 3) << ": " << (n == areas->currentNumber() ? "=> " : "   ") << alias << std::string(20, ' ')
      << "RddName: DBFNTX" << eol;
    o << "     ==============================" << eol << "     RecNo    RecCount    BOF   EOF" << eol;
    o << "    " << picture(a->recNo(), "9999999") << "      " << picture(a->recCount(), "9999999") << "      "
      << (a->bof() ? ".T." : ".F.") << "   " << (a->eof() ? ".T." : ".F.") << eol << eol;
    o << "     Indexes in use " << std::string(23, ' ') << "TagName" << eol;
    for (std::size_t k = 0; k < a->orders().size() && k < 15; ++k) {
      std::string key = a->orders()[k].index->header().keyExpr;
      key.resize(std::max<std::size_t>(key.size(), 35), ' ');
      o << std::string(8, ' ') << (int(k + 1) == a->order() ? "=> " : "   ") << key << a->orders()[k].name << eol;
    }
    o << eol << "     Relations in use" << eol;
    int k = 0;
    for (const rdd::Relation& r : a->relations()) {
      rdd::Area* child = areas->area(r.child);
      o << std::string(8, ' ') << ++k << ": TO " << r.text << " INTO " << (child ? child->alias() : "") << eol;
    }
  }
}

}  // namespace

bool NETERR() { return g_netErr; }
void setNetErr(bool on) { g_netErr = on; }

std::string ERRORMESSAGE(const xbase::Error& e) {
  std::string s;
  if (e.osCode == 0)
    s = e.severity > xbase::ES_WARNING ? "Error " : "Warning ";
  else
    s = "(DOS Error " + std::to_string(e.osCode) + ") ";
  s += e.subsystem.empty() ? "???" : e.subsystem;
  s += "/" + std::to_string(e.subCode);
  if (!e.description.empty()) s += "  " + e.description;
  if (!e.fileName.empty())
    s += ": " + e.fileName;
  else if (!e.operation.empty())
    s += ": " + e.operation;
  return s;
}

std::string CGETINFO(const Value& v) {
  switch (v.type) {
    case xbase::Type::Char: return "\"" + v.s + "\"";
    case xbase::Type::Array: return "Len: " + num(long(v.a->size()), 4);
    case xbase::Type::Num: {
      std::string s = xbase::formatNumber(v);
      std::size_t b = s.find_first_not_of(' ');
      return b == std::string::npos ? s : s.substr(b);
    }
    case xbase::Type::Date: return xbase::dateToText(v.date, xbase::rt().set.dates);
    case xbase::Type::Logical: return v.b ? ".T." : ".F.";
    case xbase::Type::Nil: break;
  }
  return "NIL";
}

std::string GETCPU() { return firstLineOf("/proc/cpuinfo", "model name"); }

std::string errorLogText(const xbase::Error& e) {
  const char* eol = "\r\n";
  std::ostringstream o;
  std::error_code ec;
  std::string exe = std::filesystem::read_symlink("/proc/self/exe", ec).string();
  auto size = std::filesystem::file_size(exe, ec);
  xbase::Runtime& r = xbase::rt();
  o << "Application" << eol << "===========" << eol;
  o << "   Path and name: " << exe << " (32 bits)" << eol;
  o << "   Size: " << picture(ec ? 0 : long(size), "9,999,999") << " bytes" << eol;
  o << "   Time from start: " << elapsed() << eol;
  o << "   Error occurred at: " << xbase::dateToText(r.today(), r.set.dates) << ", " << r.timeOfDay() << eol;
  o << "   Error description: " << ERRORMESSAGE(e) << eol;
  if (!e.args.empty()) {
    o << "   Args:" << eol;
    for (std::size_t i = 0; i < e.args.size(); ++i)
      o << "     [" << num(long(i + 1), 4) << "] = " << xbase::typeLetter(e.args[i]) << "   " << CGETINFO(e.args[i])
        << eol;
  }
  o << eol << "Stack Calls" << eol << "===========" << eol;
  for (const std::string& l : calledFrom()) o << l << eol;
  o << eol << "System" << eol << "======" << eol;
  systemSection(o, eol);
  o << eol << "Variables in use" << eol << "================" << eol;
  variablesSection(o, eol);
  o << eol << "Linked RDDs" << eol << "===========" << eol << "   DBF" << eol << "   DBFNTX" << eol;
  o << eol << "DataBases in use" << eol << "================" << eol;
  databasesSection(o, eol);
  o << eol << "Classes in use:" << eol << "===============" << eol;
  const char* classes[] = {"ERROR", "TFONT", "TPEN", "TPRINTER", "TDIALOG"};
  for (int i = 0; i < 5; ++i) o << "   " << num(i + 1, 3) << " " << classes[i] << eol;
  o << eol << "Memory Analysis" << eol << "===============" << eol;
  o << "      0 Static variables" << eol << eol;
  struct mallinfo2 mi = mallinfo2();
  struct rusage ru{};
  getrusage(RUSAGE_SELF, &ru);
  o << "   Dynamic memory consume:" << eol;
  o << "      Actual  Value: " << mi.uordblks << " bytes" << eol;
  o << "      Highest Value: " << (unsigned long long)ru.ru_maxrss * 1024 << " bytes" << eol;
  return o.str();
}

xbase::ErrorOutcome ERRORDIALOG(xbase::Error& e) {
  using Outcome = xbase::ErrorOutcome;
  // 1-3: the silent classes other Parts rely on.
  if (e.genCode == xbase::EG_ZERODIV) return Outcome{Outcome::Substitute, Value::integer(0)};
  if (e.genCode == xbase::EG_OPEN && (e.osCode == 32 || e.osCode == 5) && e.canDefault) {
    g_netErr = true;
    return Outcome{Outcome::Default, Value::logical(false)};
  }
  if (e.genCode == xbase::EG_APPENDLOCK && e.canDefault) {
    g_netErr = true;
    return Outcome{Outcome::Default, Value::logical(false)};
  }
  // 4: an error while the handler is already at work ends the program.
  if (g_inHandler) throw xbase::ProgramExit(1);
  g_inHandler = true;
  struct Leave {
    ~Leave() { g_inHandler = false; }
  } leave;
  xbase::Runtime& r = xbase::rt();
  // 5: while the report is built, an error there ends the program with a short box.
  xbase::ErrorHandler saved = r.handler;
  r.handler = [](xbase::Error& inner) -> Outcome {
    platform::ui().alert(ERRORMESSAGE(inner) + " from Errorsys, line:" + num(__LINE__, 3), "Error");
    throw xbase::ProgramExit(1);
  };
  std::string log = errorLogText(e);
  std::vector<std::string> stack = calledFrom();
  r.handler = saved;
  // 6: the log replaces an older one; a failure to write it is ignored.
  {
    std::ofstream out("Error.log", std::ios::binary | std::ios::trunc);
    if (out) out << log;
  }
  // 7-8: the dialog and what the user chose.
  platform::ErrorDialogContent content;
  content.caption = "vekrep.example - error";
  content.description = "   Error description: " + ERRORMESSAGE(e);
  content.stack = stack;
  content.canRetry = e.canRetry;
  content.canDefault = e.canDefault || e.canSubstitute;
  platform::ErrorChoice choice = platform::ui().errorDialog(content);
  if (choice == platform::ErrorChoice::Quit) throw xbase::ProgramExit(1);
  if (choice == platform::ErrorChoice::Retry) {
    if (platform::ui().openDialogs() == 0) throw xbase::ProgramExit(1);
    return Outcome{Outcome::Retry, Value()};
  }
  return Outcome{Outcome::Default, Value::logical(false)};
}

void ERRORSYS() { xbase::rt().handler = ERRORDIALOG; }

void registerErrorFunctions(xbase::Runtime& r) {
  r.registerFunction("NETERR", [](xbase::Args a) {
    if (!a.empty() && a[0].isLogical()) g_netErr = a[0].b;
    return Value::logical(g_netErr);
  });
}

}  // namespace errors
