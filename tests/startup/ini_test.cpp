// Settings files with the Windows profile semantics the start-up relies on.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "startup/ini.h"

namespace {

std::string slurp(const std::string& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), {});
}

TEST(IniFile, ReadsAnyCaseWritesDefaultsBackKeepsTheRest) {
  auto dir = std::filesystem::temp_directory_path() / ("vek_ini_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  std::string path = (dir / "vek_win").string();  // no extension: ".ini" is added
  std::ofstream(path + ".ini", std::ios::binary) << "; the suite's settings\r\n"
                                                     "[misc]\r\n"
                                                     "  vat_rate =  10.00  \r\n"
                                                     "Browse=N\r\n"
                                                     "\r\n"
                                                     "[Other]\r\n"
                                                     "Keep=me\r\n";
  startup::IniFile ini(path);
  EXPECT_EQ(ini.path(), path + ".ini");
  EXPECT_EQ(ini.read("MISC", "Vat_Rate", "07.00"), "10.00");  // not the default: nothing written
  EXPECT_EQ(ini.read("Misc", "Browse", "N"), "N");            // holds exactly the default
  EXPECT_EQ(ini.read("Misc", "Meter", "1"), "1");              // missing: written back
  EXPECT_EQ(ini.read("Font", "Font1", "EucrosiaUPC"), "EucrosiaUPC");
  EXPECT_EQ(slurp(path + ".ini"),
            "; the suite's settings\r\n"
            "[misc]\r\n"
            "  vat_rate =  10.00  \r\n"
            "Browse=N\r\n"
            "Meter=1\r\n"
            "\r\n"
            "[Other]\r\n"
            "Keep=me\r\n"
            "\r\n"
            "[Font]\r\n"
            "Font1=EucrosiaUPC\r\n");
  startup::IniFile again(path + ".ini");
  EXPECT_EQ(again.get("font", "FONT1", "x"), "EucrosiaUPC");
  EXPECT_EQ(again.get("Other", "Missing", "dflt"), "dflt");
  std::filesystem::remove_all(dir);
}

}  // namespace
