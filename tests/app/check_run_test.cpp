// End-to-end runs of the codfix executable on scratch folders: the folders,
// tables and settings are made here with our table engine, codfix runs as a
// process (without a terminal), and the files it leaves are checked.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "lib/core/runtime.h"
#include "platform/dbf/table_dump.h"
#include "platform/dbf/work_areas.h"
#include "platform/expr/expr.h"
#include "tests/support/table_holder.h"
#include "tests/support/tmux_session.h"

namespace codfix {
namespace {

namespace fsys = std::filesystem;

struct Outcome {
  int exit_code = -1;
  std::string out;
};

class CheckRun : public ::testing::Test {
 protected:
  void SetUp() override {
    expr::register_standard_functions();
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    root_ = fsys::path(::testing::TempDir()) / (std::string("codfix_app_") + info->name());
    fsys::remove_all(root_);
    fsys::create_directories(root_);
    scope_ = std::make_unique<RuntimeScope>();
    areas_ = std::make_unique<dbf::WorkAreas>();
  }
  void TearDown() override {
    areas_.reset();
    scope_.reset();
    fsys::remove_all(root_);
  }

  std::string at(const std::string& rel) const { return (root_ / rel).string(); }
  void put(const std::string& rel, const std::string& bytes) {
    fsys::create_directories(fsys::path(at(rel)).parent_path());
    std::ofstream(at(rel), std::ios::binary) << bytes;
  }
  std::string get(const std::string& rel) const {
    std::ifstream in(at(rel), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  std::set<std::string> files(const std::string& rel = "") const {
    std::set<std::string> out;
    for (const auto& e : fsys::directory_iterator(root_ / rel))
      if (e.is_regular_file()) out.insert(e.path().filename().string());
    return out;
  }

  void make_items(int width) {
    dbf::Structure s = {{"PRODUTO", 'C', width, 0}, {"QTD", 'N', 5, 0}};
    ASSERT_TRUE(areas_->create(at("KVITEM.DBF"), s));
  }
  // A product table with `n` records (every 3rd deleted, every 2nd with a memo).
  void make_products(const std::string& folder, int code_width, int n, bool memo = true) {
    std::string prefix = folder.empty() ? "" : folder + "/";
    fsys::create_directories(at(folder));
    dbf::Structure s = {{"CODIGO", 'C', code_width, 0},
                        {"CLIENTE", 'C', 6, 0},
                        {"FABRIC", 'C', 4, 0},
                        {"PRECO", 'N', 10, 2}};
    if (memo) s.push_back({"OBS", 'M', 10, 0});
    std::string table = at(prefix + "KVPROD.DBF");
    ASSERT_TRUE(areas_->create(table, s));
    dbf::UseOptions use;
    use.exclusive = true;
    int area = areas_->use(table, use);
    dbf::WorkArea* a = areas_->area(area);
    ASSERT_NE(a, nullptr);
    for (int i = 1; i <= n; ++i) {
      a->append_blank();
      a->put(0, Value("ABCDEFGHIJKLMNOPQRSTUVWXYZ" + std::to_string(i)));
      a->put(1, Value("C" + std::to_string(i % 5)));
      a->put(2, Value("F" + std::to_string(i % 3)));
      a->put(3, Value::number(i * 1.5, 1));
      if (memo && i % 2 == 0) a->put(4, Value::memo("memo\r\nde " + std::to_string(i)));
      if (i % 3 == 0) a->delete_record();
    }
    dbf::IndexOptions index;
    index.key = "Codigo+Cliente";
    ASSERT_TRUE(a->create_index(at(prefix + "KVPROD"), index));
    areas_->close_area(area);
  }
  // The table's records as dump lines, with CODIGO (the first field) cut or
  // padded to `code_width`.
  std::vector<std::string> dump(const std::string& table, int code_width = 0) {
    std::vector<std::string> lines;
    dbf::UseOptions use;
    use.read_only = true;
    int area = areas_->use(at(table), use);
    EXPECT_GT(area, 0) << table;
    if (area <= 0) return lines;
    dbf::WorkArea* a = areas_->area(area);
    std::string text;
    uint32_t count = a->record_count();
    for (uint32_t k = 1; k <= count; ++k) {
      a->go_to(k);
      std::string line;
      EXPECT_FALSE(dbf::dump_record(a->table(), line));
      text += line + "\n";
    }
    areas_->close_area(area);
    std::size_t pos = 0;
    while (pos < text.size()) {
      std::size_t end = text.find('\n', pos);
      std::string line = text.substr(pos, end - pos);
      if (code_width > 0) {
        std::size_t bar = line.find('|', 2);
        std::string code = line.substr(2, bar - 2);
        code.resize(static_cast<std::size_t>(code_width), ' ');
        line = line.substr(0, 2) + code + line.substr(bar);
      }
      lines.push_back(line);
      pos = end == std::string::npos ? text.size() : end + 1;
    }
    return lines;
  }
  int code_width(const std::string& table) {
    dbf::UseOptions use;
    use.read_only = true;
    int area = areas_->use(at(table), use);
    if (area <= 0) return -1;
    dbf::WorkArea* a = areas_->area(area);
    int w = a->table().fields()[static_cast<std::size_t>(a->table().field_index("CODIGO"))].length;
    areas_->close_area(area);
    return w;
  }
  bool verify(const std::string& folder) {
    std::string tool = std::string(CODFIX_BINARY_DIR) + "/tools/dbf-tool/dbf-tool";
    std::string cmd = "cd '" + at(folder) + "' && '" + tool + "' verify KVPROD.DBF KVPROD.NTX";
    FILE* p = popen(cmd.c_str(), "r");
    std::string out;
    char buf[256];
    while (p && fgets(buf, sizeof buf, p)) out += buf;
    int status = p ? pclose(p) : -1;
    EXPECT_EQ(out, "OK\n");
    return status == 0;
  }

  Outcome codfix() {
    std::string exe = std::string(CODFIX_BINARY_DIR) + "/app/codfix";
    std::string cmd = "cd '" + root_.string() + "' && '" + exe + "' </dev/null 2>&1";
    FILE* p = popen(cmd.c_str(), "r");
    Outcome r;
    char buf[512];
    while (p && fgets(buf, sizeof buf, p)) r.out += buf;
    int status = p ? pclose(p) : -1;
    r.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
  }

  fsys::path root_;
  std::unique_ptr<RuntimeScope> scope_;
  std::unique_ptr<dbf::WorkAreas> areas_;
};

TEST_F(CheckRun, EqualWidthsTouchNothing) {
  make_items(10);
  make_products("", 10, 5);
  Outcome r = codfix();
  EXPECT_EQ(r.exit_code, 0) << r.out;
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(files(),
            (std::set<std::string>{"KVITEM.DBF", "KVPROD.DBF", "KVPROD.DBT", "KVPROD.NTX"}));
}

TEST_F(CheckRun, NarrowerCodeIsRebuiltAndTheBackupKept) {
  make_items(15);
  make_products("", 10, 40);
  std::vector<std::string> before = dump("KVPROD.DBF", 15);
  std::string old_memo = get("KVPROD.DBT");
  Outcome r = codfix();
  EXPECT_EQ(r.exit_code, 0) << r.out;
  std::string here = fsys::canonical(root_).string();
  EXPECT_EQ(r.out, "Alterando " + here + "\\KVPROD.DBF...\n");
  EXPECT_EQ(code_width("KVPROD.DBF"), 15);
  EXPECT_EQ(dump("KVPROD.DBF"), before);
  EXPECT_TRUE(verify(""));
  // The old table and memo under one backup name; the log holds only the rename.
  std::string backup;
  for (const std::string& f : files())
    if (f.rfind("TM", 0) == 0 && f.size() == 10 && f.substr(6) == ".DBF") backup = f;
  ASSERT_FALSE(backup.empty());
  EXPECT_EQ(get(backup.substr(0, 6) + ".DBT"), old_memo);
  EXPECT_EQ(code_width(backup), 10);
  std::string log = get("CODFIX.LOG");
  // TEMPFILE hands out its names in upper case, folder included.
  std::string upper_here = here;
  for (char& c : upper_here) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  std::string line = here + "\\KVPROD.DBF (" + upper_here + "/" + backup + ")\r\n";
  ASSERT_GE(log.size(), line.size());
  EXPECT_EQ(log.substr(0, 80), std::string(80, '_'));
  EXPECT_EQ(log.substr(log.size() - line.size()), line);
  EXPECT_EQ(files().size(), 7u);
}

TEST_F(CheckRun, WiderCodeIsLoggedAndLeftWithoutAnAnswer) {
  make_items(8);
  make_products("", 12, 3, false);
  std::string before = get("KVPROD.DBF");
  Outcome r = codfix();
  EXPECT_EQ(r.exit_code, 0) << r.out;
  EXPECT_EQ(get("KVPROD.DBF"), before);
  std::string here = fsys::canonical(root_).string();
  std::string log = get("CODFIX.LOG");
  std::string tail = "Tamnho da tabela " + here + "\\KVPROD.DBF 12\r\nKVITEM.DBF 8\r\n";
  ASSERT_GE(log.size(), tail.size());
  EXPECT_EQ(log.substr(log.size() - tail.size()), tail);
}

TEST_F(CheckRun, FolderLayouts) {
  make_items(12);
  make_products("LOJAS/A", 10, 5);
  make_products("LOJAS/B", 12, 5);
  // Lower-case .t. is not the direct layout; CDIRETPROD alone turns it on.
  put("KV.INI", "LDIRETPROD=.t.\r\n");
  Outcome r = codfix();
  EXPECT_EQ(r.out, "");
  put("KV.INI", "LDIRETPROD=.t.\r\nCDIRETPROD=  LOJAS  \r\n");
  r = codfix();
  EXPECT_EQ(r.out, "Verificando pastas...\nAlterando LOJAS\\A\\KVPROD.DBF...\n");
  EXPECT_EQ(code_width("LOJAS/A/KVPROD.DBF"), 12);
  EXPECT_TRUE(verify("LOJAS/A"));
  EXPECT_FALSE(get("LOJAS/A/KVPROD.NTX").empty());
}

TEST_F(CheckRun, DirectLayoutWithoutARootVisitsTheCurrentFolderTwice) {
  make_items(12);
  make_products("", 10, 5);
  put("KV.INI", "LDIRETPROD=.T.\r\n");
  Outcome r = codfix();
  std::string here = fsys::canonical(root_).string();
  // Element 1 is the current folder; "." is the same folder, found fixed already.
  EXPECT_EQ(r.out, "Verificando pastas...\nAlterando " + here + "\\KVPROD.DBF...\n");
  EXPECT_EQ(code_width("KVPROD.DBF"), 12);
}

TEST_F(CheckRun, ProductTableWithoutCodigoIsReportedAndSkipped) {
  make_items(12);
  fsys::create_directories(at("X"));
  dbf::Structure s = {{"NOME", 'C', 10, 0}};
  ASSERT_TRUE(areas_->create(at("KVPROD.DBF"), s));
  Outcome r = codfix();
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_NE(r.out.find("CODIGO"), std::string::npos);
  EXPECT_NE(get("CODFIX.LOG").find("CODIGO"), std::string::npos);
}

TEST_F(CheckRun, TableHeldByAnotherProcessIsNotRebuilt) {
  make_items(15);
  make_products("", 10, 5);
  Outcome r;
  {
    // Shared is enough: the checks open it shared, the rebuild needs it alone.
    testing::TableHolder other(at("KVPROD.DBF"), testing::TableHolder::How::kShared, 3);
    ASSERT_TRUE(other.held());
    r = codfix();
  }
  EXPECT_EQ(r.exit_code, 0) << r.out;
  EXPECT_EQ(code_width("KVPROD.DBF"), 10);
  EXPECT_EQ(files().size(), 4u);
}

TEST_F(CheckRun, SharedOpenWaitsForAnExclusiveHolder) {
  make_items(15);
  make_products("", 15, 5);
  Outcome r;
  {
    testing::TableHolder other(at("KVITEM.DBF"), testing::TableHolder::How::kExclusive, 2);
    ASSERT_TRUE(other.held());
    r = codfix();
  }
  EXPECT_EQ(r.exit_code, 0) << r.out;
  EXPECT_FALSE(fsys::exists(at("ERRO.LOG"))) << get("ERRO.LOG");
}

TEST_F(CheckRun, MissingItemTableEndsWithTheErrorReport) {
  Outcome r = codfix();
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_NE(r.out.find("KVITEM"), std::string::npos) << r.out;
  EXPECT_TRUE(fsys::exists(at("ERRO.LOG")));
  for (const std::string& f : files()) EXPECT_EQ(f.find(".usr"), std::string::npos) << f;
}

TEST_F(CheckRun, OnATerminalTheOperatorAnswersModificar) {
  if (!testing::have_tmux()) GTEST_SKIP() << "tmux is not installed";
  make_items(8);
  make_products("", 12, 30);
  std::string exe = std::string(CODFIX_BINARY_DIR) + "/app/codfix";
  testing::TmuxSession tmux("cd " + root_.string() +
                            " && env LANG=C.UTF-8 LC_ALL=C.UTF-8 TERM=screen-256color " + exe +
                            "; echo EXIT=$?; sleep 60");
  ASSERT_TRUE(tmux.wait_for("Modificar")) << tmux.pane();
  std::string box = tmux.pane();
  EXPECT_NE(box.find("ATENÇÃO !"), std::string::npos) << box;
  EXPECT_NE(box.find("Tamanho do campo CODIGO da tabela"), std::string::npos) << box;
  EXPECT_NE(box.find("e do KVITEM.DBF é 8"), std::string::npos) << box;
  // The break key shows the forced-close warning, and the question is still there.
  tmux.keys("C-c");
  ASSERT_TRUE(tmux.wait_for("Favor fechar o sistema")) << tmux.pane();
  tmux.keys("Enter");
  ASSERT_TRUE(tmux.wait_for("Modificar")) << tmux.pane();
  tmux.keys("Right");
  tmux.keys("Enter");
  ASSERT_TRUE(tmux.wait_for("EXIT=0")) << tmux.pane();
  EXPECT_NE(tmux.history().find("Alterando"), std::string::npos) << tmux.history();
  EXPECT_EQ(code_width("KVPROD.DBF"), 8);
  EXPECT_TRUE(verify(""));
  EXPECT_NE(get("ERRO.LOG").find("Fechamento Abortado"), std::string::npos);
}

}  // namespace
}  // namespace codfix
