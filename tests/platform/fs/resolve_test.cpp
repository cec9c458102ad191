#include "platform/fs/resolve.h"

#include <gtest/gtest.h>

#include "platform/fs/directory.h"
#include "platform/fs/file.h"
#include "platform/fs/file_ops.h"
#include "platform/fs/whole_file.h"
#include "scratch.h"

namespace codfix::fs {
namespace {

using ResolveTest = testing::ScratchTest;

TEST_F(ResolveTest, FindsExistingComponentsIgnoringCaseThroughBackslashes) {
  put("dados/Sub/kvprod.dbf", "tabela");
  ResolvedPath resolved = resolve(dos("DADOS\\SUB\\KVPROD.DBF"));
  EXPECT_TRUE(resolved.exists);
  EXPECT_EQ(resolved.path, at("dados/Sub/kvprod.dbf"));

  Result<std::string> bytes = read_file(dos("Dados/sub/KvProd.Dbf"));
  ASSERT_TRUE(bytes) << bytes.error().message();
  EXPECT_EQ(*bytes, "tabela");
  EXPECT_TRUE(file_exists(dos("DADOS/SUB/KVPROD.DBF")));
  EXPECT_TRUE(folder_exists(dos("DADOS/SUB")));
  EXPECT_FALSE(file_exists(dos("DADOS/SUB")));
  EXPECT_EQ(file_size(dos("DADOS/SUB/KVPROD.DBF")).value_or(0), 6u);
}

TEST_F(ResolveTest, KeepsMissingComponentsAsGiven) {
  put("dados/x", "");
  ResolvedPath file = resolve(dos("DADOS/NOVO.DBF"));
  EXPECT_FALSE(file.exists);
  EXPECT_TRUE(file.parent_exists);
  EXPECT_EQ(file.path, at("dados/NOVO.DBF"));

  ResolvedPath deep = resolve(dos("DADOS/NOVA/SUB/X.DBF"));
  EXPECT_FALSE(deep.parent_exists);
  EXPECT_EQ(deep.path, at("dados/NOVA/SUB/X.DBF"));

  ResolvedPath through_file = resolve(dos("DADOS/X/Y"));
  EXPECT_FALSE(through_file.parent_exists);
}

// Whatever case a program uses, writing goes to the file that is there.
TEST_F(ResolveTest, WritingNeverMakesACaseTwin) {
  put("dados/kvprod.dbf", "old");
  ASSERT_TRUE(write_file(dos("DADOS/KVPROD.DBF"), "new"));
  ASSERT_TRUE(File::create(dos("Dados/KvProd.dbf")));
  ASSERT_TRUE(copy_file(dos("dados/kvprod.dbf"), dos("DADOS/COPIA.DBF")));
  ASSERT_TRUE(copy_file(dos("dados/kvprod.dbf"), dos("dados/copia.dbf")));
  ASSERT_TRUE(make_folders(dos("DADOS/BACKUP/2024")));
  ASSERT_TRUE(make_folders(dos("dados/backup/2024/Jan")));
  EXPECT_EQ(names("dados"), (std::set<std::string>{"kvprod.dbf", "COPIA.DBF", "BACKUP"}));
  EXPECT_EQ(names("dados/BACKUP/2024"), std::set<std::string>{"Jan"});
}

TEST_F(ResolveTest, RenameToAnotherCaseOfTheSameNameChangesTheCase) {
  put("kvprod.dbf", "x");
  ASSERT_TRUE(rename_file(at("kvprod.dbf"), at("KVPROD.DBF")));
  EXPECT_EQ(names(), std::set<std::string>{"KVPROD.DBF"});
  ASSERT_TRUE(rename_file(at("kvprod.dbf"), at("KVPROD.DBF")));  // already so: nothing to do
  EXPECT_EQ(names(), std::set<std::string>{"KVPROD.DBF"});
}

TEST_F(ResolveTest, RenameReplacesOnlyWhenAsked) {
  put("novo.dbf", "new");
  put("kvprod.dbf", "old");
  EXPECT_EQ(rename_file(at("NOVO.DBF"), at("KVPROD.DBF")).dos_error(), dos::kFileExists);
  ASSERT_TRUE(rename_file(at("NOVO.DBF"), at("KVPROD.DBF"), /*replace=*/true));
  EXPECT_EQ(names(), std::set<std::string>{"kvprod.dbf"});
  EXPECT_EQ(get("kvprod.dbf"), "new");
  EXPECT_EQ(rename_file(at("KVPROD.DBF"), dos("SUB/TM1234.DBF")).dos_error(), dos::kPathNotFound);
  ASSERT_TRUE(make_folder(at("SUB")));
  ASSERT_TRUE(rename_file(at("KVPROD.DBF"), dos("sub/TM1234.DBF")));
  EXPECT_EQ(names("SUB"), std::set<std::string>{"TM1234.DBF"});
}

TEST_F(ResolveTest, FullPathIsAbsoluteNormalisedAndResolved) {
  put("Dados/kvprod.dbf", "");
  Result<std::string> cwd = current_folder();
  ASSERT_TRUE(cwd);
  ASSERT_TRUE(set_current_folder(dos("DADOS")));
  Result<std::string> here = current_folder();
  Result<std::string> full = full_path("..\\DADOS\\.\\KVPROD.DBF");
  Result<std::string> missing = full_path("NOVO.DBF");
  ASSERT_TRUE(set_current_folder(*cwd));
  ASSERT_TRUE(here && full && missing);
  EXPECT_EQ(*full, std::filesystem::canonical(at("Dados/kvprod.dbf")).string());
  EXPECT_EQ(*missing, *here + "/NOVO.DBF");
  EXPECT_EQ(set_current_folder(at("nada")).dos_error(), dos::kPathNotFound);
}

}  // namespace
}  // namespace codfix::fs
