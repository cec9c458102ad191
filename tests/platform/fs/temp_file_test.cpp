#include "platform/fs/temp_file.h"

#include <gtest/gtest.h>

#include "platform/fs/path.h"
#include "scratch.h"

namespace codfix::fs {
namespace {

using TempFileTest = testing::ScratchTest;

// <prefix>, four upper-case hexadecimal digits, ".tmp".
bool is_temp_name(const std::string& name, const std::string& prefix) {
  if (name.size() != prefix.size() + 8 || name.compare(0, prefix.size(), prefix) != 0) return false;
  for (size_t i = prefix.size(); i < prefix.size() + 4; ++i) {
    if (std::string("0123456789ABCDEF").find(name[i]) == std::string::npos) return false;
  }
  return name.compare(prefix.size() + 4, 4, ".tmp") == 0;
}

TEST_F(TempFileTest, NamesArePrefixFourHexDigitsAndTmpCreatedEmptyAndUnique) {
  put("dados/x", "");
  std::set<std::string> made;
  for (int i = 0; i < 50; ++i) {
    Result<TempFile> temp = create_temp_file(dos("DADOS"), "TMPX");  // cut to 3 characters
    ASSERT_TRUE(temp) << temp.error().message();
    std::string name(file_name(temp->path));
    EXPECT_TRUE(is_temp_name(name, "TMP")) << name;
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
  EXPECT_TRUE(is_temp_name(std::string(file_name(no_prefix->path)), ""));
}

}  // namespace
}  // namespace codfix::fs
