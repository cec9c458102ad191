#include "platform/fs/file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/fs/file_ops.h"
#include "platform/fs/whole_file.h"
#include "scratch.h"

namespace codfix::fs {
namespace {

using FileTest = testing::ScratchTest;

TEST_F(FileTest, PositionalAndSequentialTransfers) {
  Result<File> created = File::create(at("T.DBF"), Share::kExclusive);
  ASSERT_TRUE(created) << created.error().message();
  File file = std::move(*created);
  EXPECT_EQ(file.share(), Share::kExclusive);
  EXPECT_EQ(file.access(), Access::kReadWrite);
  EXPECT_GE(file.descriptor(), 0);

  ASSERT_TRUE(file.write("header"));
  ASSERT_TRUE(file.write_at(10, "rec", 3));  // leaves a hole of zeros at 6..9
  EXPECT_EQ(file.size().value_or(0), 13u);
  EXPECT_EQ(file.seek(0, Whence::kCurrent).value_or(0), 6u);  // write_at kept the position

  char buffer[16] = {};
  Result<size_t> got = file.read_at(4, buffer, sizeof buffer);
  ASSERT_TRUE(got);
  EXPECT_EQ(std::string(buffer, *got), std::string("er\0\0\0\0rec", 9));

  ASSERT_TRUE(file.seek(-3, Whence::kEnd));
  got = file.read(buffer, sizeof buffer);
  EXPECT_EQ(std::string(buffer, got.value_or(0)), "rec");

  ASSERT_TRUE(file.truncate(6));
  ASSERT_TRUE(file.sync());
  File moved = std::move(file);
  EXPECT_FALSE(file.is_open());  // NOLINT: checking the moved-from state
  EXPECT_EQ(file.read(buffer, 1).dos_error(), dos::kInvalidHandle);
  ASSERT_TRUE(moved.close());
  EXPECT_TRUE(moved.close());  // closing twice is harmless
  EXPECT_EQ(get("T.DBF"), "header");
}

TEST_F(FileTest, OpenRespectsTheAccessAsked) {
  put("t.txt", "abc");
  Result<File> reading = File::open(at("T.TXT"), Access::kRead);
  ASSERT_TRUE(reading);
  EXPECT_FALSE(reading->write("x"));
  EXPECT_EQ(reading->path(), at("t.txt"));
  Result<File> writing = File::open(at("T.TXT"), Access::kWrite);
  ASSERT_TRUE(writing);
  ASSERT_TRUE(writing->write("X"));
  EXPECT_EQ(get("t.txt"), "Xbc");
}

TEST_F(FileTest, WholeFileRoundTripKeepsBytes) {
  const std::string bytes = std::string("Pre\x87o\r\n\0\x1A", 9);
  ASSERT_TRUE(write_file(at("MEMO.TXT"), bytes));
  EXPECT_EQ(read_file(at("memo.txt")).value_or(""), bytes);
  ASSERT_TRUE(write_file(at("memo.txt"), "x"));  // replaces, never appends
  EXPECT_EQ(get("MEMO.TXT"), "x");
  EXPECT_EQ(read_file(at("none.txt")).dos_error(), dos::kFileNotFound);
}

TEST_F(FileTest, CopyKeepsBytesAndDateAndNeverEmptiesItsSource) {
  put("kvprod.dbf", "dados");
  struct timespec times[2] = {{0, UTIME_OMIT}, {1700000000, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, at("kvprod.dbf").c_str(), times, 0), 0);

  ASSERT_TRUE(copy_file(at("KVPROD.DBF"), at("COPIA.DBF")));
  EXPECT_EQ(get("COPIA.DBF"), "dados");
  struct stat st;
  ASSERT_EQ(stat(at("COPIA.DBF").c_str(), &st), 0);
  EXPECT_EQ(st.st_mtime, 1700000000);

  EXPECT_EQ(copy_file(at("kvprod.dbf"), at("KVPROD.DBF")).dos_error(), dos::kSharingViolation);
  EXPECT_EQ(get("kvprod.dbf"), "dados");
  EXPECT_EQ(copy_file(at("kvprod.dbf"), at("copia.dbf"), false).dos_error(), dos::kFileExists);
  EXPECT_EQ(copy_file(at("nada.dbf"), at("x.dbf")).dos_error(), dos::kFileNotFound);
  EXPECT_EQ(names(), (std::set<std::string>{"kvprod.dbf", "COPIA.DBF"}));
}

TEST_F(FileTest, RemoveRefusesReadOnlyFilesAsDosDoes) {
  put("a.dbf", "");
  put("b.dbf", "");
  chmod(at("b.dbf").c_str(), 0444);
  ASSERT_TRUE(remove_file(at("A.DBF")));
  EXPECT_EQ(remove_file(at("B.DBF")).dos_error(), dos::kAccessDenied);
  EXPECT_EQ(names(), std::set<std::string>{"b.dbf"});
  EXPECT_TRUE(exists(at("B.DBF")));
  EXPECT_FALSE(exists(at("A.DBF")));
}

}  // namespace
}  // namespace codfix::fs
