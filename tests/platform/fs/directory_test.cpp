#include "platform/fs/directory.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <ctime>

#include "platform/fs/attributes.h"
#include "scratch.h"

namespace codfix::fs {
namespace {

using DirectoryTest = testing::ScratchTest;

std::vector<std::string> listed(const Result<std::vector<DirEntry>>& entries) {
  std::vector<std::string> out;
  if (!entries) {
    ADD_FAILURE() << entries.error().message();
    return out;
  }
  for (const DirEntry& entry : *entries) out.push_back(entry.name);
  return out;
}

class ListingTest : public DirectoryTest {
 protected:
  void SetUp() override {
    DirectoryTest::SetUp();
    put("kvprod.dbf", "12345");
    put("KVITEM.DBF", "");
    put("Kvprod.ntx", "");
    put("LEIAME", "");
    put("b.txt", "");
    put(".oculto", "");
    put("Sub/x", "");
  }
};

TEST_F(ListingTest, MatchesPatternsIgnoringCaseInNameOrder) {
  struct Case {
    const char* pattern;
    std::vector<std::string> names;
  } const cases[] = {
      {"*.DBF", {"KVITEM.DBF", "kvprod.dbf"}},
      {"KVPROD.*", {"kvprod.dbf", "Kvprod.ntx"}},
      {"*.", {"LEIAME"}},
      {"*.*", {"b.txt", "KVITEM.DBF", "kvprod.dbf", "Kvprod.ntx", "LEIAME"}},
      {"", {"b.txt", "KVITEM.DBF", "kvprod.dbf", "Kvprod.ntx", "LEIAME"}},
      {"kv????.dbf", {"KVITEM.DBF", "kvprod.dbf"}},
      {"NADA.*", {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(listed(list_directory(dos(c.pattern))), c.names) << c.pattern;
  }
}

TEST_F(ListingTest, DirectoriesAndHiddenOnRequest) {
  EXPECT_EQ(listed(list_directory(dos("*"), {.directories = true})),
            (std::vector<std::string>{".", "..", "b.txt", "KVITEM.DBF", "kvprod.dbf", "Kvprod.ntx",
                                      "LEIAME", "Sub"}));
  EXPECT_EQ(listed(list_directory(dos("*"), {.hidden = true})),
            (std::vector<std::string>{".oculto", "b.txt", "KVITEM.DBF", "kvprod.dbf", "Kvprod.ntx",
                                      "LEIAME"}));
  EXPECT_EQ(listed(list_directory(dos("*.DBF"), {.directories = true})),
            (std::vector<std::string>{"KVITEM.DBF", "kvprod.dbf"}));
  // The folder part of the pattern is resolved ignoring case too.
  EXPECT_EQ(listed(list_directory(dos("SUB/*"))), std::vector<std::string>{"x"});
}

TEST_F(ListingTest, EntriesCarrySizeDateAndAttributes) {
  struct timespec times[2] = {{0, UTIME_OMIT}, {0, 0}};
  std::tm when{};
  when.tm_year = 2024 - 1900;
  when.tm_mon = 2;
  when.tm_mday = 7;
  when.tm_hour = 14;
  when.tm_min = 30;
  when.tm_sec = 15;
  when.tm_isdst = -1;
  times[1].tv_sec = std::mktime(&when);
  ASSERT_EQ(utimensat(AT_FDCWD, at("kvprod.dbf").c_str(), times, 0), 0);
  chmod(at("kvprod.dbf").c_str(), 0444);

  Result<std::vector<DirEntry>> entries = list_directory(dos("KVPROD.DBF"));
  ASSERT_TRUE(entries && entries->size() == 1);
  const DirEntry& entry = entries->front();
  EXPECT_EQ(entry.size, 5u);
  EXPECT_EQ(entry.modified, (DateTime{2024, 3, 7, 14, 30, 15}));
  EXPECT_EQ(entry.attributes, attr::kReadOnly);

  Result<std::vector<DirEntry>> sub = list_directory(dos("sub"), {.directories = true});
  ASSERT_TRUE(sub && sub->size() == 1);
  EXPECT_EQ(sub->front().attributes, attr::kDirectory);
  EXPECT_EQ(attributes(dos(".OCULTO")).value_or(-1), attr::kHidden);
  EXPECT_EQ(attributes(dos("LEIAME")).value_or(-1), 0);
}

TEST_F(DirectoryTest, MakeFoldersCreatesEveryMissingLevel) {
  put("A/x", "");
  ASSERT_TRUE(make_folders(dos("a/B/C")));
  EXPECT_TRUE(std::filesystem::is_directory(at("A/B/C")));
  ASSERT_TRUE(make_folders(dos("A/B/C\\")));  // already there
  EXPECT_EQ(make_folders(dos("A/x/y")).dos_error(), dos::kPathNotFound);
  EXPECT_EQ(make_folders(dos("A/x")).dos_error(), dos::kFileExists);
  ASSERT_TRUE(make_folder(dos("A/D")));
  EXPECT_EQ(make_folder(dos("a/d")).dos_error(), dos::kFileExists);
  EXPECT_EQ(names("A"), (std::set<std::string>{"B", "D", "x"}));
  EXPECT_TRUE(sync_directory(dos("a")));
}

}  // namespace
}  // namespace codfix::fs
