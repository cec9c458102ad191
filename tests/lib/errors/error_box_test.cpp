// The handler's classification: for each kind of error, the message it shows and
// the buttons it offers.
#include "lib/errors/error_box.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cctype>
#include <map>
#include <set>

#include "lib/core/runtime.h"
#include "lib/errors/dos_errors.h"
#include "lib/errors/error_message.h"
#include "platform/text/codepage.h"
#include "tests/support/library_test.h"

namespace codfix {
namespace {

using Buttons = std::vector<std::string>;

struct Case {
  const char* name;
  int gencode;
  const char* subsystem;
  int subcode;
  int oscode;
  const char* operation;
  const char* filename;
  bool can_retry;
  bool can_default;
  const char* message;  // UTF-8
  Buttons buttons;
  std::vector<Value> args = {};
  const char* description = "";
};

const std::string kHint = ";Verifique se o arquivo/dispositivo esta em uso ou direitos de acesso";
const std::string kMaybe =
    ";Talvez a reindexação resolva o problema;Caso contrário entre em contato com o suporte";

const Case kCases[] = {
    {"missing table",
     21,
     "DBFNTX",
     1001,
     2,
     "",
     "/D/KVITEM.DBF",
     true,
     true,
     ";Arquivo näo existe;(/D/KVITEM.DBF)",
     {"Ok", "Repetir"}},
    {"missing index",
     21,
     "DBFNTX",
     1003,
     2,
     "",
     "/D/KVITEM.NTX",
     true,
     true,
     ";Arquivo näo existe;(/D/KVITEM.NTX);Talvez a reindexação resolva o problema;Caso contrário "
     "entre em contato com o suporte",
     {"Ok", "Repetir"}},
    {"no access",
     21,
     "DBFNTX",
     1001,
     5,
     "",
     "/D/A.DBF",
     true,
     true,
     ";Acesso negado;;Verifique se o arquivo/dispositivo esta em uso ou direitos de "
     "acesso;(/D/A.DBF)",
     {"Ok", "Repetir"}},
    {"out of file handles",
     21,
     "DBFNTX",
     1001,
     4,
     "",
     "/D/A.DBF",
     true,
     true,
     ";Muitos arquivos abertos;(/D/A.DBF)",
     {"Ok"}},
    {"open, other OS code",
     21,
     "DBFNTX",
     1001,
     3,
     "",
     "/D/A.DBF",
     true,
     true,
     ";Caminho näo existe;(/D/A.DBF)",
     {"Quit", "Retry", "Default"}},
    {"sharing violation that cannot default",
     21,
     "DBFNTX",
     1001,
     32,
     "",
     "/D/A.DBF",
     true,
     false,
     ";Violação de compartilhamento;;Verifique se o arquivo/dispositivo esta em uso ou direitos de "
     "acesso;(/D/A.DBF)",
     {"Quit", "Retry"}},
    {"create in a missing folder",
     20,
     "DBFNTX",
     1004,
     3,
     "/D/NOVA/A.DBF",
     "/D/NOVA/A.DBF",
     true,
     true,
     "Erro criando arquivo;/D/NOVA/A.DBF;Caminho näo existe;(/D/NOVA/A.DBF)",
     {"Ok", "Repetir", "Criar Pasta"}},
    {"create without access",
     20,
     "DBFNTX",
     1004,
     5,
     "/D/A.DBF",
     "",
     true,
     true,
     "Erro criando arquivo;Acesso negado;;Verifique se o arquivo/dispositivo esta em uso ou "
     "direitos de acesso",
     {"Ok", "Repetir"}},
    {"print file in a missing folder",
     25,
     "TERM",
     2014,
     3,
     "/D/REL/lpt1.prn",
     "",
     true,
     true,
     "Erro ao imprimir em ;/D/REL/lpt1.prn;Caminho näo existe",
     {"Ok", "Repetir", "Criar Pasta"}},
    {"print file that cannot be created",
     20,
     "TERM",
     0,
     0,
     "LPT1.PRN",
     "",
     true,
     true,
     "Erro ao imprimir em ",
     {"Ok", "Repetir"}},
    {"print error of another subsystem",
     25,
     "BASE",
     2014,
     0,
     "X.PRN",
     "",
     false,
     true,
     "Error BASE/2014  Print error: X.PRN",
     {"Quit", "Default"},
     {},
     "Print error"},
    {"exclusive use required",
     37,
     "DBFNTX",
     1023,
     0,
     "",
     "/D/A.DBF  ",
     false,
     true,
     "Erro 37;Exclusive required;/D/A.DBF",
     {"Ok", "Repetir"},
     {},
     " Exclusive required "},
    {"undefined variable",
     14,
     "BASE",
     1003,
     0,
     "CNOME",
     "",
     true,
     true,
     "Variavel não existe : CNOME;\"CODFIX->MAIN(7)\"",
     {"Quit", "Retry", "Default"}},
    {"text that does not compile",
     7,
     "BASE",
     1449,
     0,
     "",
     "",
     false,
     true,
     "Erro de sintaxe BASE/1449;A +;3",
     {"Quit", "Default"},
     {Value("A +"), Value(3)}},
    {"another syntax error",
     7,
     "BASE",
     1450,
     0,
     "",
     "",
     false,
     false,
     "Error BASE/1450  Syntax error",
     {"Quit"},
     {},
     "Syntax error"},
    {"corrupt index",
     32,
     "DBFNTX",
     1012,
     0,
     "",
     "/D/KVPROD.NTX",
     false,
     true,
     "Erro DBFNTX/1012 na abertura do arquivo;/D/KVPROD.NTX;O arquivo pode estar "
     "corrompido;É necessário reindexar sua base de dados",
     {"Ok"}},
    {"corrupt table",
     32,
     "DBFNTX",
     1012,
     0,
     "",
     "/D/KVPROD.DBF",
     false,
     true,
     "Erro DBFNTX/1012 na abertura do arquivo;/D/KVPROD.DBF;O arquivo pode estar "
     "corrompido;Talvez a reindexação resolva o problema;Caso contrário entre em contato com o "
     "suporte",
     {"Ok"}},
    {"corruption while opening",
     32,
     "DBFNTX",
     1012,
     0,
     "",
     "",
     false,
     true,
     "Erro DBFNTX/1012 na abertura do arquivo;;O arquivo pode estar corrompido;na abertura de "
     "KVPROD, KVPROD1.NTX",
     {"Ok"}},
    {"value too wide, no table open",
     34,
     "DBFNTX",
     1021,
     0,
     "VALOR",
     "",
     false,
     true,
     "Erro DBFNTX/1021 Tamanho do dado muito longo:;->VALOR, U, 0, 0",
     {"Quit", "Default"}},
    {"value too wide, no field named",
     34,
     "DBFNTX",
     1021,
     0,
     "",
     "",
     false,
     true,
     "Error DBFNTX/1021  Data width error",
     {"Quit", "Default"},
     {},
     "Data width error"},
    {"no index order",
     36,
     "DBFNTX",
     1201,
     0,
     "",
     "",
     true,
     true,
     "Error DBFNTX/1201  Not indexed",
     {"Quit", "Retry"},
     {},
     "Not indexed"},
    {"read error",
     23,
     "DBFNTX",
     1010,
     30,
     "",
     "/D/A.DBF",
     false,
     false,
     ";Erro na leitura;;Verifique os direitos de leitura;(/D/A.DBF)",
     {"Quit"}},
};

class ErrorBoxCase : public testing::LibraryTest, public ::testing::WithParamInterface<Case> {};

TEST_P(ErrorBoxCase, MessageAndButtons) {
  const Case& c = GetParam();
  rt().vars.declare_public("_ABRINDO", Value("KVPROD, KVPROD1.NTX"));
  // The call stack as the handler sees it: the routine that failed, the
  // handler's callback, the handler.
  RoutineScope main("MAIN", "CODFIX.PRG", 7);
  RoutineScope inner("CHKESTPROD", "CODFIX.PRG");  // no line number: passed over
  RoutineScope callback("(b)ERRORSYS", "ERRORSYS.PRG", 12);
  RoutineScope handler("DEFERROR", "ERRORSYS.PRG");

  ErrorRecord e;
  e.gencode = c.gencode;
  e.subsystem = c.subsystem;
  e.subcode = c.subcode;
  e.oscode = c.oscode;
  e.operation = c.operation;
  e.filename = c.filename;
  e.can_retry = c.can_retry;
  e.can_default = c.can_default;
  e.args = c.args;
  e.description = c.description;
  ErrorBox box = compose_error_box(e);
  EXPECT_EQ(text::cp850_to_utf8(box.message), c.message);
  EXPECT_EQ(box.buttons, c.buttons);
  EXPECT_EQ(box.ask_configure, c.oscode == 4);
}

INSTANTIATE_TEST_SUITE_P(Classification, ErrorBoxCase, ::testing::ValuesIn(kCases),
                         [](const auto& test) {
                           std::string n = test.param.name;
                           for (char& ch : n)
                             if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                           return n;
                         });

class ErrorBoxTest : public testing::LibraryTest {};

TEST_F(ErrorBoxTest, TheBoxAddsTheDosErrorLine) {
  ErrorRecord e;
  e.gencode = 21;
  e.oscode = 2;
  e.filename = "/D/KVITEM.DBF";
  ErrorBox box = compose_error_box(e);
  EXPECT_EQ(text::cp850_to_utf8(box_text(box, e)),
            ";Arquivo näo existe;(/D/KVITEM.DBF);(Erro do DOS 2)");
  e.oscode = 0;
  EXPECT_EQ(box_text(box, e), box.message);
}

TEST_F(ErrorBoxTest, TheIndexExtensionFollowsTheDefaultDriver) {
  ErrorRecord e;
  e.gencode = 32;
  e.subsystem = "DBFCDX";
  e.subcode = 1012;
  e.filename = "/D/KVPROD.CDX";
  std::string reindex = text::utf8_to_cp850(";É necessário reindexar sua base de dados");
  EXPECT_EQ(compose_error_box(e).message.find(reindex), std::string::npos);  // DBFNTX: .NTX
  rt().settings.default_driver = "DBFCDX";
  EXPECT_NE(compose_error_box(e).message.find(reindex), std::string::npos);
}

TEST_F(ErrorBoxTest, FileAttributesFollowThePath) {
  struct Attr {
    const char* file;
    mode_t mode;
    const char* note;
  };
  for (const Attr& a :
       {Attr{"RO.DBF", 0444, " \"Read-Only\""}, Attr{".OCULTO.DBF", 0644, " \"Hidden\""},
        Attr{"RW.DBF", 0644, ""}, Attr{".AMBOS.DBF", 0444, ""}}) {
    put(a.file, "x");
    chmod((folder() + "/" + a.file).c_str(), a.mode);
    ErrorRecord e;
    e.gencode = 21;
    e.oscode = 5;
    e.filename = folder() + "/" + a.file;
    std::string message = compose_error_box(e).message;
    EXPECT_EQ(message.substr(message.rfind(";(")), ";(" + e.filename + a.note + ")") << a.file;
  }
}

TEST_F(ErrorBoxTest, FileNamesAreUpperCasedAndMadeFull) {
  put("kvitem.dbf", "x");
  ErrorRecord e;
  e.filename = "kvitem.dbf";
  normalise_filename(e);
  EXPECT_EQ(e.filename, folder() + "/kvitem.dbf");  // the existing file, found ignoring case
  e.filename = "novo.dbf";
  normalise_filename(e);
  EXPECT_EQ(e.filename, folder() + "/NOVO.DBF");
  e.filename = "mem:temp";
  normalise_filename(e);
  EXPECT_EQ(e.filename, "MEM:TEMP");
}

// Properties read by name, as from any error object.
class FakeError : public Object {
 public:
  std::map<std::string, Value> props;
  std::string class_name() const override { return "ERROR"; }
  bool get(std::string_view name, Value& out) const override {
    auto it = props.find(std::string(name));
    if (it == props.end()) return false;
    out = it->second;
    return true;
  }
  bool set(std::string_view, const Value&) override { return false; }
};

TEST_F(ErrorBoxTest, ErrorMessageLine) {
  ErrorRecord e;
  e.subsystem = "DBFNTX";
  e.subcode = 1001;
  e.description = "Erro de abertura";
  e.filename = "/D/A.DBF";
  e.operation = "USE";
  EXPECT_EQ(ERRORMESSAGE(e), "Error DBFNTX/1001  Erro de abertura: /D/A.DBF");
  e.filename.clear();
  e.severity = 1;
  EXPECT_EQ(ERRORMESSAGE(e), "Warning DBFNTX/1001  Erro de abertura: USE");
  e.description = "Tipo de dato errado";
  e.operation.clear();
  EXPECT_EQ(ERRORMESSAGE(e), "Warning DBFNTX/1001  Tipo de dado errado");

  FakeError odd;
  odd.props["SEVERITY"] = Value(2);
  odd.props["SUBSYSTEM"] = Value(5);
  odd.props["SUBCODE"] = Value("x");
  odd.props["OPERATION"] = Value("OP");
  EXPECT_EQ(ERRORMESSAGE(odd), "Error ?\?\?/?\?\?: OP");
}

TEST_F(ErrorBoxTest, DosMessages) {
  auto utf8 = [](int code, int mode) { return text::cp850_to_utf8(DOSMSG_(code, mode)); };
  EXPECT_EQ(utf8(2, 1), "Arquivo näo existe");
  EXPECT_EQ(utf8(2, 2), "Arquivo näo existe");
  EXPECT_EQ(utf8(5, 1), "Acesso negado");
  EXPECT_EQ(utf8(5, 2), "Acesso negado;" + kHint);
  EXPECT_EQ(utf8(65, 2), "Acesso negado");
  EXPECT_EQ(utf8(112, 2), "Espaço insuficiente no disco;;Libere espaço no disco");
  EXPECT_EQ(utf8(1130, 2),
            "Não há espaço suficiente no servidor para processar a tarefa;;Libere espaço no "
            "servidor");
  EXPECT_EQ(utf8(999, 2), "");

  auto rows = dos_error_texts();
  ASSERT_EQ(rows.size(), 54u);
  EXPECT_EQ(rows.front().code, 0);
  EXPECT_EQ(rows.back().code, 112);
  std::set<int> codes;
  int hints = 0;
  for (const DosErrorText& r : rows) {
    EXPECT_TRUE(codes.insert(r.code).second) << r.code;
    if (!r.hint.empty()) {
      ++hints;
      EXPECT_EQ(r.hint.front(), ';');
    }
  }
  EXPECT_EQ(hints, 9);
  Value table = dos_error_table();
  ASSERT_EQ(table.items().size(), 54u);
  const Value& row = table.items()[1];  // {text, code, hint}
  EXPECT_EQ(row.at(1).text(), DOSMSG_(2));
  EXPECT_EQ(row.at(2).as_double(), 2);
  EXPECT_EQ(row.at(3).text(), "");
}

}  // namespace
}  // namespace codfix
