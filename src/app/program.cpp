#include "app/program.h"

#include <iostream>

#include "data/table_access.h"
#include "engine/condition.h"
#include "engine/page_frame.h"
#include "engine/work_tables.h"
#include "reports/tax_ledger/tax_register.h"
#include "errors/error_handler.h"
#include "templates/template.h"
#include "platform/headless.h"
#include "rdd/area.h"
#include "startup/main_program.h"
#include "startup/selection.h"
#include "ui/popcode.h"
#include "text/thai.h"
#include "xbase/cp874.h"
#include "xbase/dates.h"
#include "xbase/runtime.h"

namespace app {

std::vector<std::string> takeOutputOptions(const std::vector<std::string>& args, OutputOptions& out) {
  std::vector<std::string> rest;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--out" && i + 1 < args.size()) out.folder = args[++i];
    else if (args[i] == "--paper" && i + 1 < args.size()) out.paper = args[++i];
    else if (args[i] == "--png") out.png = true;
    else if (args[i] == "--dump") out.dump = true;
    else rest.push_back(args[i]);
  }
  return rest;
}

int runProgram(const std::vector<std::string>& args, std::ostream& err, platform::Ui* frontEnd) {
  startup::StartParameters params;
  std::string script, transcript, today, ui = "script", out;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](std::string& into) {
      if (i + 1 >= args.size()) return false;
      into = args[++i];
      return true;
    };
    bool ok = true;
    if (a == "--script") ok = value(script);
    else if (a == "--transcript") ok = value(transcript);
    else if (a == "--today") ok = value(today);
    else if (a == "--ui") ok = value(ui);
    else if (a == "--out") ok = value(out);
    else if (a == "--png" || a == "--dump") ok = true;
    else if (a == "--paper") ok = value(out);
    else if (a.rfind("--", 0) == 0) ok = false;
    else if (params.size() < 5) params.push_back(xbase::fromUtf8(a));
    else ok = false;
    if (!ok) {
      err << "vekrep: cannot use the argument " << a << "\n";
      return 2;
    }
  }
  if (ui != "script" && !(ui == "qt" && frontEnd)) {
    err << "vekrep: the user interface \"" << ui << "\" is not part of this build; use --ui script or --ui qt\n";
    return 2;
  }
  xbase::Runtime r;
  xbase::RuntimeScope scope(r);
  if (!today.empty()) {
    std::int32_t day = xbase::textToDate(today, xbase::DateSettings{});
    if (!day) {
      err << "vekrep: --today wants a date dd/mm/yyyy, not " << today << "\n";
      return 2;
    }
    r.today = [day] { return day; };
  }
  rdd::Areas areas;
  r.areas = &areas;
  platform::HeadlessUi headless;
  if (!script.empty() && !headless.loadScript(script)) {
    err << "vekrep: cannot read the script " << script << "\n";
    return 2;
  }
  if (!transcript.empty() && !headless.setTranscriptFile(transcript)) {
    err << "vekrep: cannot write the transcript " << transcript << "\n";
    return 2;
  }
  platform::setUi(frontEnd ? frontEnd : &headless);
  if (frontEnd && !script.empty()) frontEnd->followScript(&headless);
  struct Restore {
    ~Restore() { platform::setUi(nullptr); }
  } restore;
  data::registerTableFunctions(r);
  text::registerThaiFunctions(r);
  errors::registerErrorFunctions(r);
  templates::registerTemplateFunctions(r);
  engine::registerEngineFunctions(r);
  errors::ERRORSYS();
  ui::registerPopcodeFunctions();
  startup::registerFamily("GETCOND", engine::GETCOND);
  startup::registerFamily("IVTAX", reports::IVTAX);
  startup::registerFamily("IVTAX2", reports::IVTAX2);
  engine::setWorkTableBuilder(engine::REPFCREATE);
  startup::installReportSelection();
  int status = 0;
  try {
    status = startup::MAIN(params);
  } catch (const xbase::ProgramExit& e) {
    status = e.code();
  } catch (const platform::ScriptError& e) {
    headless.note(std::string("script: ") + e.what());
    err << "vekrep: " << e.what() << "\n";
    status = 1;
  } catch (const xbase::ErrorException& e) {
    err << "vekrep: " << errors::ERRORMESSAGE(e.error()) << "\n";
    status = 1;
  }
  areas.closeAll();
  r.areas = nullptr;
  if (status != 0) headless.note("exit " + std::to_string(status));
  return status;
}

}  // namespace app
