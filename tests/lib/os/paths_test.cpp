#include "lib/os/paths.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/library_test.h"

namespace codfix {
namespace {

TEST(Paths, TextRoutinesOnWindowsAndPosixPaths) {
  EXPECT_EQ(NOMEARQ("C:\\DADOS\\KVPROD.DBF"), "KVPROD.DBF");
  EXPECT_EQ(NOMEARQ("C:\\DADOS\\KVPROD.DBF", false), "KVPROD");
  EXPECT_EQ(NOMEARQ("A:ARQ.TXT"), "ARQ.TXT");
  EXPECT_EQ(NOMEARQ("REL.2024.TXT", false), "REL");
  EXPECT_EQ(NOMEARQ(" /dados/kvprod.dbf "), "kvprod.dbf");
  EXPECT_EQ(NOMEDIR("C:\\KV\\KV"), "C:\\KV");
  EXPECT_EQ(NOMEDIR("C:\\ARQ.TXT"), "C:\\");
  EXPECT_EQ(NOMEDIR("/dados/kv/KVPROD.DBF"), "/dados/kv");
  EXPECT_EQ(DIRFILE("C:\\KV", "\\X.DBF"), "C:\\KV\\X.DBF");
  EXPECT_EQ(DIRFILE("", "X.DBF"), "X.DBF");
  EXPECT_EQ(DIRFILE("C:\\KV\\", "X.DBF"), "C:\\KV\\X.DBF");
  EXPECT_EQ(DIRFILE("/dados", "X.DBF"), "/dados/X.DBF");
}

class PathServices : public testing::LibraryTest {};

TEST_F(PathServices, TruenameAndChangedir) {
  put("KVPROD.DBF", "");
  std::string here = std::filesystem::current_path().string();
  EXPECT_EQ(TRUENAME_("kvprod.dbf"), here + "/KVPROD.DBF");
  EXPECT_EQ(TRUENAME_("C:\\X.DBF"), "C:\\X.DBF");
  std::filesystem::create_directories("A/B");
  std::string previous = CHANGEDIR(here + "/a/b");
  EXPECT_EQ(previous, here);
  EXPECT_EQ(std::filesystem::current_path().string(), here + "/A/B");
  CHANGEDIR(here);
}

TEST_F(PathServices, EnvironmentFolders) {
  setenv("WINBOOTDIR", "C:\\WIN", 1);
  unsetenv("WINDIR");
  EXPECT_EQ(DIRWINDOWS(), "C:\\WIN");
  unsetenv("WINBOOTDIR");
  setenv("PROGRAMFILES", "C:\\Arquivos de Programas", 1);
  EXPECT_EQ(GETSPECIALFOLDER("programfiles"), "C:\\Arquivos de Programas");
  setenv("HOME", folder().c_str(), 1);
  setenv("XDG_CONFIG_HOME", (folder() + "/none").c_str(), 1);
  EXPECT_EQ(GETSPECIALFOLDER(), folder() + "/Desktop");
  std::filesystem::create_directories(folder() + "/cfg");
  put("cfg/user-dirs.dirs", "XDG_DESKTOP_DIR=\"$HOME/Área de Trabalho\"\n");
  setenv("XDG_CONFIG_HOME", (folder() + "/cfg").c_str(), 1);
  EXPECT_EQ(GETSPECIALFOLDER("Desktop"), folder() + "/Área de Trabalho");
}

}  // namespace
}  // namespace codfix
