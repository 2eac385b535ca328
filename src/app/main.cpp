// vekrep: the report program. The entry sets up Qt for printing (PDF and
// PNG pages, offscreen when there is no screen) and for the desktop front
// end, and hands over.
#include <QApplication>
#include <QPrintPreviewDialog>
#include <QGuiApplication>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "app/dbf_cli.h"
#include "app/demo.h"
#include "xbase/dates.h"
#include "xbase/runtime.h"
#include "app/eval_cli.h"
#include "app/program.h"
#include "platform/printer.h"
#include "qt/pdf_target.h"
#include "qt/preview.h"
#include "qt/qt_ui.h"
#include "qt/screenshot_ui.h"
#include "startup/ini.h"

namespace {

// The paper and the font substitutions, kept in the settings file.
struct PrintSettings {
  platform::Paper paper;
  qt::FontMap fonts;
};
PrintSettings printSettings(const std::vector<std::string>& args, const app::OutputOptions& o) {
  std::string settings = ".\\VEK_WIN.INI";
  if (!args.empty() && args[0].rfind("--", 0) != 0) settings = args[0];
  startup::IniFile ini(settings);
  if (!o.paper.empty()) ini.set("Printer", "Paper", o.paper);
  PrintSettings s{platform::Paper::byName(ini.read("Printer", "Paper", "A4")), qt::FontMap::defaults()};
  for (auto& [face, value] : ini.entries("FontMap")) {
    std::size_t comma = value.find(',');
    qt::FontMap::Entry e{value.substr(0, comma), comma == std::string::npos ? 1.0 : std::atof(value.c_str() + comma + 1)};
    std::string key;
    for (char c : face) key += char(std::toupper(static_cast<unsigned char>(c)));
    s.fonts.faces[key] = e;
  }
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> all(argv + 1, argv + argc);
  if (!all.empty() && all[0] == "dbf")
    return app::runDbfCommand(std::vector<std::string>(all.begin() + 1, all.end()), std::cout, std::cerr);
  for (std::size_t i = 0; i + 1 < all.size(); ++i) {
    if (all[i] == "--eval") return app::runEval(all[i + 1], std::cout);
    if (all[i] == "--eval-cases") return app::runEvalCases(all[i + 1], std::cout, std::cerr);
  }
  if (all.size() >= 2 && all[0] == "--make-demo") {
    std::int32_t today = 0;
    app::DemoSize size;
    for (std::size_t i = 2; i + 1 < all.size(); ++i) {
      if (all[i] == "--today") today = xbase::textToDate(all[i + 1], xbase::DateSettings{});
      if (all[i] == "--months") size.months = std::atoi(all[i + 1].c_str());
      if (all[i] == "--scale") size.scale = std::atoi(all[i + 1].c_str());
    }
    if (!today) today = xbase::rt().today();
    if (size.months < 1 || size.months > 120 || size.scale < 0) {
      std::cerr << "vekrep: --months takes 1 to 120, --scale a count of movements per month\n";
      return 2;
    }
    return app::makeDemo(all[1], today, std::cout, size);
  }
  if (!all.empty() && (all[0] == "--help" || all[0] == "-h")) {
    std::cout << "usage: vekrep [settings user dataset reportlist [brand]] [--script FILE] [--transcript FILE]\n"
                 "              [--today dd/mm/yyyy] [--ui script|qt] [--screenshots DIR] [--out DIR [--png] [--dump]] [--paper NAME]\n"
                 "       vekrep --make-demo DIR [--today dd/mm/yyyy] [--months N] [--scale N]\n"
                 "       vekrep --eval EXPR | --eval-cases FILE\n"
                 "       vekrep dbf dump|check|reindex ...\n";
    return 0;
  }
  app::OutputOptions out;
  std::vector<std::string> args = app::takeOutputOptions(all, out);
  // Screenshots of a scripted run: the desktop's windows saved as PNG files.
  std::string shots;
  for (std::size_t i = 0; i + 1 < args.size(); ++i)
    if (args[i] == "--screenshots") {
      shots = args[i + 1];
      args.erase(args.begin() + long(i), args.begin() + long(i) + 2);
      args.push_back("--ui");
      args.push_back("qt");
      break;
    }
  // The desktop front end: asked for, or a display and no script to follow.
  bool scripted = false, desktop = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--script") scripted = true;
    if (args[i] == "--ui" && i + 1 < args.size()) desktop = args[i + 1] == "qt";
  }
  bool display = std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY");
  if (!scripted && display && std::find(args.begin(), args.end(), "--ui") == args.end()) {
    desktop = true;
    args.push_back("--ui");
    args.push_back("qt");
  }
  if (out.folder.empty() && !desktop) return app::runProgram(args, std::cerr);
  if (!std::getenv("DISPLAY") && !std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  if (!std::getenv("XDG_RUNTIME_DIR")) {  // Qt wants a private runtime folder
    std::string runtime = (std::filesystem::temp_directory_path() / ("vekrep-" + std::to_string(getuid()))).string();
    std::filesystem::create_directories(runtime);
    std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
  }
  int qargc = 1;
  std::unique_ptr<QGuiApplication> qapp;
  if (desktop)
    qapp = std::make_unique<QApplication>(qargc, argv);
  else
    qapp = std::make_unique<QGuiApplication>(qargc, argv);
  PrintSettings print = printSettings(args, out);
  // PDF files into a folder when asked; else the desktop's preview window.
  std::unique_ptr<qt::PdfTarget> files;
  std::unique_ptr<qt::PreviewTarget> preview;
  if (!out.folder.empty()) {
    std::filesystem::create_directories(out.folder);
    files = std::make_unique<qt::PdfTarget>(out.folder, print.paper, print.fonts, out.png, out.dump);
    platform::setPrintTarget(files.get());
  } else {
    preview = std::make_unique<qt::PreviewTarget>(print.paper, print.fonts);
    platform::setPrintTarget(preview.get());
  }
  std::unique_ptr<qt::QtUi> desktopUi;
  if (!shots.empty()) {
    auto shooter = std::make_unique<qt::ScreenshotUi>(shots);
    if (preview)
      preview->show = [&preview, &print, s = shooter.get()](const qt::RecordedJob& job) {
        auto window = qt::makePreview(job, preview->printer(), print.fonts);
        s->save(*window, job.name);
      };
    desktopUi = std::move(shooter);
  } else {
    desktopUi = std::make_unique<qt::QtUi>();
    if (preview) desktopUi->printerSetupAction = [&preview] { qt::printerSetupDialog(*preview); };
  }
  int status = app::runProgram(args, std::cerr, desktop ? desktopUi.get() : nullptr);
  platform::setPrintTarget(nullptr);
  if (files)
    for (const std::string& f : files->written()) std::cout << f << "\n";
  return status;
}
