// A scratch data folder, a runtime with the program's table functions, and a
// recording message box.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "data/table_access.h"
#include "platform/ui.h"
#include "rdd/area.h"
#include "rdd/paths.h"
#include "xbase/runtime.h"

class DataTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = std::filesystem::temp_directory_path() /
          ("vek_data_" + std::to_string(::getpid()) + "_" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    r.areas = &areas;
    data::registerTableFunctions(r);
    platform::setUi(&ui);
  }
  void TearDown() override {
    areas.closeAll();
    r.areas = nullptr;
    platform::setUi(nullptr);
    rdd::clearDriveMappings();
    std::filesystem::remove_all(dir);
  }
  std::string folder() { return dir.string() + "/"; }
  // A small table of codes, closed again.
  void makeCodes(const std::string& path, std::vector<std::string> codes, const char* field = "CODE") {
    rdd::Area* a = areas.create(path, {{field, 'C', 10, 0}, {"NAME", 'C', 20, 0}}, "TMP_MAKE");
    for (auto& c : codes) {
      a->append();
      a->putField(0, xbase::Value::chr(c));
    }
    areas.close(a->number());
  }

  std::filesystem::path dir;
  xbase::Runtime r;
  xbase::RuntimeScope scope{r};
  rdd::Areas areas;
  platform::RecordingUi ui;
};
