#include "platform/fs/line_reader.h"

#include <gtest/gtest.h>

#include "scratch.h"

namespace codfix::fs {
namespace {

using LineReaderTest = testing::ScratchTest;

TEST_F(LineReaderTest, SplitsAtLfAndCrLfAndKeepsALastLineWithoutEnding) {
  const std::string long_line(70000, 'x');  // longer than the read buffer
  struct Case {
    std::string bytes;
    std::vector<std::string> lines;
  } const cases[] = {
      {"", {}},
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\nb", {"a", "b"}},
      {"a\r\n\r\n\nlast", {"a", "", "", "last"}},
      {"cr\ronly\r\n", {"cr\ronly"}},
      {"trailing cr\r", {"trailing cr\r"}},
      {"\n", {""}},
      {long_line + "\r\n" + long_line, {long_line, long_line}},
  };
  for (const auto& c : cases) {
    put("t.txt", c.bytes);
    Result<LineReader> reader = LineReader::open(at("T.TXT"));
    ASSERT_TRUE(reader) << reader.error().message();
    std::vector<std::string> lines;
    std::string line;
    while (reader->next(line)) lines.push_back(line);
    EXPECT_TRUE(reader->status());
    EXPECT_EQ(lines, c.lines) << c.bytes.substr(0, 20);
    EXPECT_FALSE(reader->next(line));  // stays at the end
  }
}

TEST_F(LineReaderTest, CrLfSplitAcrossReads) {
  // The CR is the last byte of the first buffer load, its LF the first of the next.
  std::string first(64 * 1024 - 1, 'a');
  put("t.txt", first + "\r\nb");
  Result<LineReader> reader = LineReader::open(at("t.txt"));
  ASSERT_TRUE(reader);
  std::string line;
  ASSERT_TRUE(reader->next(line));
  EXPECT_EQ(line, first);
  ASSERT_TRUE(reader->next(line));
  EXPECT_EQ(line, "b");
}

TEST_F(LineReaderTest, MissingFile) {
  EXPECT_EQ(LineReader::open(at("none.txt")).dos_error(), dos::kFileNotFound);
}

}  // namespace
}  // namespace codfix::fs
