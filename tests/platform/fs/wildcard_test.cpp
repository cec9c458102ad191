#include "platform/fs/wildcard.h"

#include <gtest/gtest.h>

namespace codfix::fs {
namespace {

TEST(WildcardTest, MatchesLikeDosIgnoringCase) {
  struct Case {
    const char* pattern;
    const char* name;
    bool match;
  } const cases[] = {
      {"*.DBF", "kvprod.dbf", true},
      {"*.DBF", "KVPROD.DBT", false},
      {"*.DBF", "KVPROD.DBF.BAK", false},
      {"KV*.dbf", "KVITEM.DBF", true},
      {"*.usr", "CODFIX1.USR", true},
      {"*", "anything.at.all", true},
      {"*", "..", true},
      {"*.*", "README", true},
      {"*.*", "a.b", true},
      {"KVPROD.*", "kvprod", true},
      {"KVPROD.*", "kvprod.ntx", true},
      {"KVPROD.*", "kvprod2.ntx", false},
      {"*.", "README", true},
      {"*.", "readme.txt", false},
      {"*.", ".", true},
      {"*.", "..", true},
      {"*.", ".bashrc", false},
      {"TM????.TMP", "TM1A2B.tmp", true},
      {"TM????.TMP", "TM1A2.tmp", false},
      {"TM????.TMP", "TM1A2BC.tmp", false},
      {"?", "", false},
      {"a*b*c", "aXXbYYbZc", true},
      {"a*b*c", "aXXbYYbZ", false},
      {"KVPROD.DBF", "kvprod.dbf", true},
      // Only ASCII letters fold: code page 850 bytes (0x87 'ç', 0x80 'Ç') pass as they are.
      {"\x87.DBF", "\x87.dbf", true},
      {"\x87.DBF", "\x80.dbf", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(wildcard_match(c.pattern, c.name), c.match) << c.pattern << " vs " << c.name;
  }
}

TEST(WildcardTest, HasWildcards) {
  EXPECT_TRUE(has_wildcards("*.DBF"));
  EXPECT_TRUE(has_wildcards("KV?.DBF"));
  EXPECT_FALSE(has_wildcards("KVPROD.DBF"));
}

}  // namespace
}  // namespace codfix::fs
