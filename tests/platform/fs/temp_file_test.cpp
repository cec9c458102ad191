#include "platform/fs/temp_file.h"

#include <gtest/gtest.h>

#include <regex>

#include "platform/fs/path.h"
#include "scratch.h"

namespace codfix::fs {
namespace {

using TempFileTest = testing::ScratchTest;

TEST_F(TempFileTest, NamesArePrefixFourHexDigitsAndTmpCreatedEmptyAndUnique) {
  put("dados/x", "");
  const std::regex shape("TMP[0-9A-F]{4}\\.tmp");
  std::set<std::string> made;
  for (int i = 0; i < 50; ++i) {
    Result<TempFile> temp = create_temp_file(dos("DADOS"), "TMPX");  // cut to 3 characters
    ASSERT_TRUE(temp) << temp.error().message();
    std::string name(file_name(temp->path));
    EXPECT_TRUE(std::regex_match(name, shape)) << name;
    EXPECT_EQ(std::string(folder_part(temp->path)), dos("DADOS") + "\\");
    EXPECT_EQ(temp->file.size().value_or(1), 0u);
    made.insert(name);
  }
  EXPECT_EQ(made.size(), 50u);
  std::set<std::string> expected = made;
  expected.insert("x");
  EXPECT_EQ(names("dados"), expected);
}

TEST_F(TempFileTest, BadArguments) {
  EXPECT_EQ(create_temp_file(at("nada"), "TM").dos_error(), dos::kPathNotFound);
  EXPECT_EQ(create_temp_file(at(""), "a/b").dos_error(), dos::kInvalidParameter);
  EXPECT_EQ(create_temp_file(at(""), "*").dos_error(), dos::kInvalidParameter);
  Result<TempFile> no_prefix = create_temp_file(at(""), "");
  ASSERT_TRUE(no_prefix);
  EXPECT_TRUE(
      std::regex_match(std::string(file_name(no_prefix->path)), std::regex("[0-9A-F]{4}\\.tmp")));
}

}  // namespace
}  // namespace codfix::fs
