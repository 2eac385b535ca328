// Headless runs of the whole program.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/program.h"
#include "rdd/area.h"
#include "xbase/runtime.h"

namespace fs = std::filesystem;
using xbase::Value;

namespace {

class Program : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("vp" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    cwd = fs::current_path();
    fs::current_path(dir);
  }
  void TearDown() override {
    fs::current_path(cwd);
    fs::remove_all(dir);
  }
  std::string transcript() {
    std::ifstream in("t.txt");
    return std::string((std::istreambuf_iterator<char>(in)), {});
  }
  fs::path dir, cwd;
};

TEST_F(Program, MissingDataSetIsToldAndTheRunEnds) {
  std::ostringstream err;
  EXPECT_EQ(app::runProgram({"VEK.INI", "SHIFT", "01", "RepList", "--transcript", "t.txt"}, err), 0);
  EXPECT_EQ(transcript(), "message \"โปรแกรมระบบบัญชี\": ไม่พบแฟ้มกำหนดชุดข้อมูล\n");
}

TEST_F(Program, ADataSetWithoutAChosenReportEndsQuietly) {
  {
    xbase::Runtime r;
    xbase::RuntimeScope s(r);
    rdd::Areas a;
    r.areas = &a;
    rdd::Area* d = a.create("DataSet.dbf", {{"CODE", 'C', 2, 0}, {"NAME", 'C', 20, 0}, {"DRIVE1", 'C', 40, 0}}, "D");
    d->append();
    d->putField(0, Value::chr("01"));
    d->putField(2, Value::chr(dir.string() + "/"));
    a.create("Employee.dbf", {{"CODE", 'C', 10, 0}, {"NAME", 'C', 20, 0}, {"TRUSTEE", 'C', 60, 0}}, "E");
    a.create("RepList.dbf", {{"CODE", 'C', 10, 0}, {"NAME", 'C', 40, 0}}, "L");
    a.closeAll();
    r.areas = nullptr;
  }
  std::ofstream("s.txt") << "# close the report list without choosing\nescape\n";
  std::ostringstream err;
  EXPECT_EQ(app::runProgram({"VEK.INI", "SHIFT", "01", "RepList", "--script", "s.txt", "--transcript", "t.txt",
                             "--today", "11/12/2026"},
                            err),
            0)
      << err.str();
  EXPECT_EQ(transcript(), "dialog \"  Report program\" {\n  escape\n} -> 0\n");
  EXPECT_TRUE(fs::exists("VEK.INI"));
  // Without an answer for the list the run stops with status 1, naming it.
  EXPECT_EQ(app::runProgram({"VEK.INI", "SHIFT", "01", "RepList", "--transcript", "t.txt"}, err), 1);
  EXPECT_NE(transcript().find("script: the script has no answer for the dialog \"  Report program\""),
            std::string::npos)
      << transcript();
}

TEST_F(Program, CommandLinesThatCannotBeUsed) {
  std::ostringstream err;
  EXPECT_EQ(app::runProgram({"--today", "31/02/2026"}, err), 2);
  EXPECT_EQ(app::runProgram({"--bogus"}, err), 2);
  EXPECT_EQ(app::runProgram({"a", "b", "c", "d", "e", "f"}, err), 2);
  EXPECT_EQ(app::runProgram({"--ui", "qt"}, err), 2);
  EXPECT_EQ(app::runProgram({"--script", "missing.txt"}, err), 2);
}

}  // namespace
