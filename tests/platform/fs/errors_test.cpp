#include "platform/fs/errors.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>

#include "platform/fs/directory.h"
#include "platform/fs/file.h"
#include "platform/fs/file_ops.h"
#include "scratch.h"

namespace codfix::fs {
namespace {

TEST(ErrorsTest, MapsErrnoToDosCodes) {
  struct Case {
    int err;
    ErrnoContext context;
    int dos;
  } const cases[] = {
      {0, ErrnoContext::kFile, 0},         {ENOENT, ErrnoContext::kFile, 2},
      {ENOENT, ErrnoContext::kFolder, 3},  {ENOTDIR, ErrnoContext::kFile, 3},
      {EMFILE, ErrnoContext::kFile, 4},    {ENFILE, ErrnoContext::kFile, 4},
      {EACCES, ErrnoContext::kFile, 5},    {EPERM, ErrnoContext::kFile, 5},
      {EISDIR, ErrnoContext::kFile, 5},    {EACCES, ErrnoContext::kLock, 33},
      {EAGAIN, ErrnoContext::kLock, 33},   {EWOULDBLOCK, ErrnoContext::kShare, 32},
      {EBUSY, ErrnoContext::kFile, 32},    {EEXIST, ErrnoContext::kFile, 80},
      {ENOSPC, ErrnoContext::kWrite, 112}, {EDQUOT, ErrnoContext::kWrite, 112},
      {EIO, ErrnoContext::kWrite, 29},     {EIO, ErrnoContext::kRead, 30},
      {EINVAL, ErrnoContext::kFile, 87},   {EXDEV, ErrnoContext::kFile, 17},
      {EROFS, ErrnoContext::kFile, 19},    {ENOTEMPTY, ErrnoContext::kFile, 145},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(dos_error_from_errno(c.err, c.context), c.dos) << "errno " << c.err;
  }
  Error error = error_from_errno(ENOENT);
  EXPECT_EQ(error.dos, 2);
  EXPECT_EQ(error.os, ENOENT);
  EXPECT_NE(error.message().find("DOS error 2"), std::string::npos);
}

using ErrorsOnDiskTest = testing::ScratchTest;

// A missing file in an existing folder is 2; a missing folder on the way is 3.
TEST_F(ErrorsOnDiskTest, MissingFileIsTwoMissingFolderIsThree) {
  put("DADOS/KVITEM.DBF", "x");
  Result<File> no_file = File::open(dos("DADOS/KVPROD.DBF"), Access::kRead);
  ASSERT_FALSE(no_file);
  EXPECT_EQ(no_file.dos_error(), dos::kFileNotFound);
  EXPECT_EQ(no_file.os_error(), ENOENT);

  Result<File> no_folder = File::open(dos("NADA/KVPROD.DBF"), Access::kRead);
  EXPECT_EQ(no_folder.dos_error(), dos::kPathNotFound);
  EXPECT_EQ(File::create(dos("NADA/KVPROD.DBF")).dos_error(), dos::kPathNotFound);
  EXPECT_EQ(remove_file(dos("NADA/X")).dos_error(), dos::kPathNotFound);
  EXPECT_EQ(remove_file(dos("DADOS/X")).dos_error(), dos::kFileNotFound);
  EXPECT_EQ(file_size(dos("DADOS/KVITEM.DBF/X")).dos_error(), dos::kPathNotFound);
  EXPECT_EQ(list_directory(dos("NADA/*.DBF")).dos_error(), dos::kPathNotFound);
  EXPECT_EQ(make_folder(dos("NADA/SUB")).dos_error(), dos::kPathNotFound);
}

TEST_F(ErrorsOnDiskTest, ExistingTargetsAreEighty) {
  put("kvprod.dbf", "x");
  EXPECT_EQ(File::create_new(at("KVPROD.DBF")).dos_error(), dos::kFileExists);
  EXPECT_EQ(make_folder(at("")).dos_error(), dos::kFileExists);
  put("other.dbf", "y");
  EXPECT_EQ(rename_file(at("OTHER.DBF"), at("KVPROD.DBF")).dos_error(), dos::kFileExists);
  EXPECT_EQ(get("kvprod.dbf"), "x");
}

TEST_F(ErrorsOnDiskTest, AccessDenied) {
  put("sub/file", "x");
  EXPECT_EQ(File::open(at("sub"), Access::kRead).dos_error(), dos::kAccessDenied);
  EXPECT_EQ(remove_file(at("sub")).dos_error(), dos::kAccessDenied);
  if (geteuid() == 0) GTEST_SKIP() << "permission bits do not bind root";
  std::filesystem::permissions(at("sub/file"), std::filesystem::perms::none);
  Result<File> denied = File::open(at("sub/file"), Access::kRead);
  EXPECT_EQ(denied.dos_error(), dos::kAccessDenied);
  EXPECT_EQ(denied.os_error(), EACCES);
}

TEST(ErrorsOnDeviceTest, FullDiskIsOneHundredTwelve) {
  Result<File> full = File::open("/dev/full", Access::kWrite);
  if (!full) GTEST_SKIP() << "no /dev/full here";
  Status written = full->write("data");
  EXPECT_EQ(written.dos_error(), dos::kDiskFull);
  EXPECT_EQ(written.os_error(), ENOSPC);
}

}  // namespace
}  // namespace codfix::fs
