#include "lib/tables/temp_files.h"

#include <gtest/gtest.h>

#include "lib/errors/log_files.h"
#include "platform/console/keys.h"
#include "platform/fs/wildcard.h"
#include "tests/support/library_test.h"

namespace codfix {
namespace {

class TempFiles : public testing::LibraryTest {
 protected:
  std::string text_upper_folder() const {
    std::string f = folder();
    for (char& c : f) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return f;
  }
  static std::string NOMEARQ_of(const std::string& path) {
    return path.substr(path.rfind('\\') + 1);
  }
};

TEST_F(TempFiles, TempfileNamesAreUpperCaseAndLeaveNoFile) {
  std::string name = TEMPFILE(folder(), "DBF");
  std::string prefix = text_upper_folder();
  ASSERT_EQ(name.substr(0, prefix.size() + 1), prefix + "/");
  std::string base = name.substr(prefix.size() + 1);
  EXPECT_TRUE(fs::wildcard_match("TM????.DBF", base)) << base;
  for (char c : base.substr(2, 4)) EXPECT_TRUE(std::isxdigit(static_cast<unsigned char>(c)));
  EXPECT_FALSE(has(base));
  std::string plain = TEMPFILE(folder());
  EXPECT_TRUE(fs::wildcard_match("*/TM????.tmp", plain)) << plain;
}

TEST_F(TempFiles, ArqtmpNamesAreUniqueAndInTheFolder) {
  std::string first = ARQTMP("TM", "SUB");
  std::filesystem::create_directories("SUB");
  put("SUB/" + NOMEARQ_of(first) + ".DBF", "");
  std::string second = ARQTMP("TM", "SUB");
  EXPECT_NE(first, second);
  for (const std::string& n : {first, second}) {
    EXPECT_EQ(n.substr(0, 6), "SUB\\TM");
    EXPECT_LE(n.size() - 4, 8u);
  }
  EXPECT_EQ(rt().vars.get("CARQSECTMP").text(), second);
  EXPECT_EQ(ARQTMP("LOG").size(), 8u);
}

TEST_F(TempFiles, Renfile) {
  put("A.DBF", "new");
  put("B.DBF", "old");
  EXPECT_TRUE(RENFILE("A.DBF", "B.DBF"));
  EXPECT_EQ(get("B.DBF"), "new");
  EXPECT_FALSE(has("A.DBF"));
  EXPECT_FALSE(RENFILE("MISSING.DBF", "C.DBF"));
  // With the question: "Cancelar" gives up.
  headless().keys({console::key::kRight, console::key::kEnter});
  EXPECT_FALSE(RENFILE("MISSING.DBF", "C.DBF", true));
}

TEST_F(TempFiles, SizesFoldersAndDrivers) {
  put("EMPTY.TXT", "");
  put("FOUR.TXT", "1234");
  EXPECT_EQ(TAMANHOARQ("EMPTY.TXT"), 0);
  EXPECT_EQ(TAMANHOARQ("four.txt"), 4);
  EXPECT_EQ(TAMANHOARQ("NONE.TXT"), -1);
  EXPECT_EQ(DIRETORIO(), folder());
  EXPECT_TRUE(DIRETORIO(folder()));
  EXPECT_FALSE(DIRETORIO("NOSUCHFOLDER"));
  EXPECT_EQ(EXTENSAOINDICE("", "DBFNTXX"), ".ntx");
  EXPECT_EQ(EXTENSAOINDICE("", "DBFCDX"), ".cdx");
  EXPECT_EQ(EXTENSAOINDICE("", "SQLRDD"), "");
  EXPECT_EQ(EXTENSAOINDICE(), ".ntx");
  EXPECT_EQ(DATABASEINFO(), "DBFNTX");
}

TEST_F(TempFiles, Ascan2) {
  Value rows = Value::array({Value::array({Value("XYZ")}), Value::array({Value("ABCDEF ")}),
                             Value::array({Value(7), Value("seven")})});
  EXPECT_EQ(ASCAN2(rows, Value("abc"), 1, false), 2);
  EXPECT_EQ(ASCAN2(rows, Value("abc")), 0);
  EXPECT_EQ(ASCAN2(rows, Value("ABCDEF ")), 2);
  EXPECT_EQ(ASCAN2(rows, Value("ABCDEF")), 0);
  EXPECT_EQ(ASCAN2(rows, Value("seven"), 2), 3);
  EXPECT_EQ(ASCAN2(rows, Value(7), 1, false), 3);
}

}  // namespace
}  // namespace codfix
