// The run-time error handler: silent classes, the log, the dialog's choices.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "data/table_access.h"
#include "errors/error_handler.h"
#include "platform/ui.h"
#include "rdd/area.h"
#include "xbase/cp874.h"
#include "xbase/expr.h"

using namespace xbase;
namespace fs = std::filesystem;

namespace {

class Handler : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("vek_err_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    cwd = fs::current_path();
    fs::current_path(dir);
    r.areas = &areas;
    platform::setUi(&ui);
    errors::ERRORSYS();
    errors::setNetErr(false);
  }
  void TearDown() override {
    platform::setUi(nullptr);
    areas.closeAll();
    r.areas = nullptr;
    fs::current_path(cwd);
    fs::remove_all(dir);
  }
  std::string log() {
    std::ifstream in("Error.log", std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), {});
  }
  fs::path dir, cwd;
  Runtime r;
  RuntimeScope scope{r};
  rdd::Areas areas;
  platform::RecordingUi ui;
};

TEST_F(Handler, SilentClasses) {
  EXPECT_EQ(evaluate("100 / (NOTHING := 0)").n, 0);  // division by zero yields 0
  EXPECT_EQ(evaluate("5 % 0 + 1").n, 1);
  EXPECT_TRUE(ui.errors.empty());
  EXPECT_FALSE(fs::exists("Error.log"));

  rdd::Area* a = areas.create("busy.dbf", {{"CODE", 'C', 4, 0}}, "BUSY");
  (void)a;  // held exclusively by this station
  EXPECT_FALSE(data::NET_USE("busy", false, 0.2, "OTHER"));
  EXPECT_TRUE(errors::NETERR());
  EXPECT_TRUE(ui.errors.empty());
}

TEST_F(Handler, ErrorLogOfAFailingTemplateExpression) {
  rdd::Area* t = areas.create("repdata.dbf", {{"CODE", 'C', 6, 0}, {"QTY", 'N', 8, 2}}, "RepData");
  t->createOrder("repdata.ntx", "code");
  for (const char* c : {"B1", "A1"}) {
    t->append();
    t->putField(0, Value::chr(c));
  }
  rdd::Area* names = areas.create("names.dbf", {{"CODE", 'C', 6, 0}}, "Names");
  names->createOrder("names.ntx", "code");
  areas.select(t->number());
  t->setRelation("code", names->number());
  t->goTop();
  ui.errorChoice = platform::ErrorChoice::Default;
  Value v;
  {
    XB_ROUTINE("REPPRINT");
    {
      XB_ROUTINE("REPMAKE", {{"CSECTION", Value::chr("D")}, {"NLINE", Value::integer(7)}});
      v = evaluate("RepData->NOFIELD");
    }
  }
  EXPECT_TRUE(v.isLogical() && !v.b);  // Default: the program goes on
  ASSERT_EQ(ui.errors.size(), 1u);
  EXPECT_EQ(ui.errors[0].description, "   Error description: Error BASE/1003  Variable does not exist: NOFIELD");
  EXPECT_FALSE(ui.errors[0].canRetry);
  ASSERT_EQ(ui.errors[0].stack.size(), 2u);
  EXPECT_EQ(ui.errors[0].stack[0].rfind("   Called from: error_handler_test.cpp => REPMAKE(", 0), 0u);

  std::string text = log();
  // Sections in their order, every line ended by CR LF.
  std::size_t at = 0;
  for (const char* section : {"Application\r\n===========\r\n", "\r\nStack Calls\r\n===========\r\n",
                              "\r\nSystem\r\n======\r\n", "\r\nVariables in use\r\n================\r\n",
                              "\r\nLinked RDDs\r\n===========\r\n", "\r\nDataBases in use\r\n================\r\n",
                              "\r\nClasses in use:\r\n===============\r\n", "\r\nMemory Analysis\r\n===============\r\n"}) {
    std::size_t p = text.find(section, at);
    ASSERT_NE(p, std::string::npos) << section;
    at = p + 1;
  }
  EXPECT_EQ(text.find('\n'), text.find("\r\n") + 1);
  for (const char* line : {
           "   Error description: Error BASE/1003  Variable does not exist: NOFIELD\r\n",
           " => REPMAKE(", "   CPU type: ", "   Hardware memory: ", "   Windows version: ",
           "   Procedure     Type   Value\r\n   ==========================\r\n   REPMAKE\r\n"
           "     Param   1:    C    \"D\"\r\n     Param   2:    N    7\r\n   REPPRINT\r\n",
           "  1: => REPDATA                            RddName: DBFNTX\r\n"
           "     ==============================\r\n     RecNo    RecCount    BOF   EOF\r\n"
           "          2            2      .F.   .F.\r\n",
           "     Indexes in use                        TagName\r\n        => code                               REPDATA\r\n",
           "     Relations in use\r\n        1: TO code INTO NAMES\r\n",
           "  2:    NAMES ",
       })
    EXPECT_NE(text.find(line), std::string::npos) << line;
}

TEST_F(Handler, ChoicesOfTheDialog) {
  ui.errorChoice = platform::ErrorChoice::Quit;
  try {
    evaluate("'A' + 1");
    ADD_FAILURE() << "Quit must end the program";
  } catch (const ProgramExit& e) {
    EXPECT_EQ(e.code(), 1);
  }
  // Retry outside any of the program's dialogs ends the program as well.
  ui.errorChoice = platform::ErrorChoice::Retry;
  EXPECT_THROW(evaluate("'A' + 1"), ProgramExit);
  // Inside a dialog, Retry tries the operation again.
  ui.dialogsOpen = 1;
  r.memvars.declarePublic("NDIV", Value::chr("x"));
  int shown = 0;
  struct FixingUi : platform::RecordingUi {
    int* shown;
    platform::ErrorChoice errorDialog(const platform::ErrorDialogContent&) override {
      ++*shown;
      evaluate("NDIV := 2");
      return platform::ErrorChoice::Retry;
    }
  } fixing;
  fixing.shown = &shown;
  fixing.dialogsOpen = 1;
  platform::setUi(&fixing);
  EXPECT_EQ(evaluate("10 / NDIV").n, 5);
  EXPECT_EQ(shown, 1);
  // A second error while the dialog is open ends the program at once.
  struct FailingUi : platform::RecordingUi {
    platform::ErrorChoice errorDialog(const platform::ErrorDialogContent&) override {
      evaluate("NOSUCHVAR2");
      return platform::ErrorChoice::Default;
    }
  } failing;
  platform::setUi(&failing);
  EXPECT_THROW(evaluate("NOSUCHVAR1"), ProgramExit);
}

TEST_F(Handler, MessageLineForms) {
  Error e = Error::make(EG_OPEN, 1001, "DBFNTX open");
  e.subsystem = "DBFNTX";
  e.osCode = 2;
  e.fileName = "F:\\ACC\\X.DBF";
  EXPECT_EQ(errors::ERRORMESSAGE(e), "(DOS Error 2) DBFNTX/1001  Open error: F:\\ACC\\X.DBF");
  Error w = Error::make(EG_ARG, 1081, "+");
  w.severity = ES_WARNING;
  EXPECT_EQ(errors::ERRORMESSAGE(w), "Warning BASE/1081  Argument error: +");
  EXPECT_EQ(errors::CGETINFO(Value::array(3)), "Len:    3");
  EXPECT_EQ(errors::CGETINFO(Value::chr("ab")), "\"ab\"");
  EXPECT_EQ(errors::CGETINFO(Value()), "NIL");
}

}  // namespace
