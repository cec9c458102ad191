#include "lib/os/file_services.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/console/keys.h"
#include "tests/support/library_test.h"

namespace codfix {
namespace {

class FileServices : public testing::LibraryTest {};

TEST_F(FileServices, Existearq) {
  put("KVPROD.DBF", "");
  EXPECT_TRUE(EXISTEARQ("kvprod", ".dbf"));
  EXPECT_TRUE(EXISTEARQ(""));
  headless().key(console::key::kEnter);
  EXPECT_FALSE(EXISTEARQ("NADA.DBF"));
  EXPECT_TRUE(headless().exhausted()) << "the notice waits for a key";
  EXPECT_FALSE(EXISTEARQ("NADA.DBF", "", false));
}

TEST_F(FileServices, CriadirMakesEveryMissingLevel) {
  std::filesystem::create_directories("A");
  EXPECT_TRUE(CRIADIR(folder() + "/A/B/C"));
  EXPECT_TRUE(std::filesystem::is_directory("A/B/C"));
  EXPECT_TRUE(CRIADIR("\\X\\Y\\"));  // no drive: relative to the current folder
  EXPECT_TRUE(std::filesystem::is_directory("X/Y"));
  EXPECT_TRUE(CRIADIR(""));
  put("FILE", "");
  EXPECT_FALSE(CRIADIR("FILE\\SUB"));
}

TEST_F(FileServices, NomelongoAsksBeforeReplacing) {
  put("A.TXT", "a");
  put("B.TXT", "b");
  headless().key(console::key::kEnter);  // " Sim "
  EXPECT_TRUE(NOMELONGO("A.TXT", "B.TXT", "", false));
  EXPECT_EQ(get("B.TXT"), "a");
  put("C.TXT", "c");
  EXPECT_TRUE(NOMELONGO("C.TXT", "B.TXT"));
  EXPECT_EQ(get("B.TXT"), "c");
  headless().keys({console::key::kRight, console::key::kEnter});  // "Cancelar"
  EXPECT_FALSE(NOMELONGO("MISSING.TXT", "D.TXT"));
}

}  // namespace
}  // namespace codfix
