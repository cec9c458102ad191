#include "platform/fs/path.h"

#include <gtest/gtest.h>

namespace codfix::fs {
namespace {

struct SplitCase {
  const char* path;
  const char* drive;
  const char* folder;
  const char* name;
  const char* extension;
};

TEST(PathTest, SplitsIntoDriveFolderNameExtensionAndJoinsBack) {
  const SplitCase cases[] = {
      {"C:\\DADOS\\KVPROD.DBF", "C:", "\\DADOS\\", "KVPROD", ".DBF"},
      {"A:ARQ.TXT", "A:", "", "ARQ", ".TXT"},
      {"/srv/kv/kvprod.dbf", "", "/srv/kv/", "kvprod", ".dbf"},
      {"dados/sub\\REL.2024.TXT", "", "dados/sub\\", "REL.2024", ".TXT"},
      {"C:\\KV\\", "C:", "\\KV\\", "", ""},
      {"LEIAME", "", "", "LEIAME", ""},
      {"..", "", "", "..", ""},
      {"dir\\.", "", "dir\\", ".", ""},
      {".bashrc", "", "", "", ".bashrc"},
      {"", "", "", "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    PathParts parts = split_path(c.path);
    EXPECT_EQ(parts.drive, c.drive);
    EXPECT_EQ(parts.folder, c.folder);
    EXPECT_EQ(parts.name, c.name);
    EXPECT_EQ(parts.extension, c.extension);
    EXPECT_EQ(join_path(parts), c.path);
    EXPECT_EQ(std::string(folder_part(c.path)) + std::string(file_name(c.path)), c.path);
  }
}

TEST(PathTest, JoinUsesTheFoldersSeparatorAndDropsLeadingOnesOfTheName) {
  struct Case {
    const char* folder;
    const char* name;
    const char* joined;
  } const cases[] = {
      {"C:\\KV", "\\X.DBF", "C:\\KV\\X.DBF"},
      {"", "X.DBF", "X.DBF"},
      {"C:", "X.DBF", "C:X.DBF"},
      {"/tmp/kv", "x.dbf", "/tmp/kv/x.dbf"},
      {"/tmp/kv/", "/x.dbf", "/tmp/kv/x.dbf"},
      {"dados", "x.dbf", "dados/x.dbf"},
      {"/srv\\KV", "x", "/srv\\KV\\x"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(join(c.folder, c.name), c.joined) << c.folder << " + " << c.name;
  }
}

TEST(PathTest, AbsoluteAndPosixSeparators) {
  EXPECT_TRUE(is_absolute("C:\\DADOS"));
  EXPECT_TRUE(is_absolute("\\DADOS"));
  EXPECT_TRUE(is_absolute("/tmp"));
  EXPECT_FALSE(is_absolute("C:DADOS"));
  EXPECT_FALSE(is_absolute("dados/x"));
  EXPECT_EQ(to_posix_separators("\\srv\\kv/X.DBF"), "/srv/kv/X.DBF");
}

}  // namespace
}  // namespace codfix::fs
