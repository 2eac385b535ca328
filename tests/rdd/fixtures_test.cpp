// The reference tables and indexes read exactly as the expected files say:
// records, index order, key count, exact and soft seeks.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "app/dbf_cli.h"

namespace {

std::string fixture(const std::string& name) { return std::string(VEK_FIXTURES) + "/dbf/" + name; }

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string run(std::vector<std::string> args) {
  std::ostringstream out, err;
  int rc = app::runDbfCommand(args, out, err);
  EXPECT_EQ(rc, 0) << err.str();
  return out.str();
}

TEST(DbfFixtures, RecordsMatch) {
  for (const char* t : {"iv_0801", "r01_0801", "notes", "empty"})
    EXPECT_EQ(run({"dump", fixture(std::string(t) + ".dbf")}), readFile(fixture(std::string("expected/") + t + ".records.tsv")))
        << t;
}

TEST(DbfFixtures, IndexOrderAndSeeksMatch) {
  struct {
    const char *table, *ntx, *seeks;
  } cases[] = {
      {"iv_0801", "iv_0801", "seeks_iv.txt"}, {"iv_0801", "iv_0801d", "seeks_ivd.txt"},
      {"r01_0801", "r01_0801", "seeks_r01.txt"}, {"r01_0801", "r01_comp", nullptr},
      {"notes", "notes", nullptr}, {"empty", "empty", "seeks_r01.txt"},
  };
  for (auto& c : cases) {
    std::vector<std::string> args{"dump", fixture(std::string(c.table) + ".dbf"), "--index",
                                  fixture(std::string(c.ntx) + ".ntx")};
    if (c.seeks) {
      args.push_back("--seeks");
      args.push_back(fixture(std::string("expected/") + c.seeks));
    }
    std::string want = readFile(fixture(std::string("expected/") + c.ntx + ".order.tsv"));
    if (!c.seeks) want = want.substr(0, want.find("seek ["));
    EXPECT_EQ(run(args), want) << c.ntx;
  }
}

TEST(DbfFixtures, ReferenceIndexesPassTheCheck) {
  for (auto [t, n] : {std::pair{"iv_0801", "iv_0801"}, {"iv_0801", "iv_0801d"}, {"r01_0801", "r01_comp"}}) {
    std::ostringstream out, err;
    EXPECT_EQ(app::runDbfCommand({"check", fixture(std::string(t) + ".dbf"), fixture(std::string(n) + ".ntx")}, out, err), 0)
        << out.str() << err.str();
  }
}

}  // namespace
