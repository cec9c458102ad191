#include "lib/errors/error_box.h"

#include "lib/core/runtime.h"
#include "lib/core/text_util.h"
#include "lib/errors/dos_errors.h"
#include "lib/errors/error_message.h"
#include "lib/os/identity.h"
#include "lib/os/paths.h"
#include "lib/settings/value_text.h"
#include "lib/tables/temp_files.h"
#include "platform/dbf/work_areas.h"
#include "platform/fs/attributes.h"
#include "platform/text/codepage.h"
#include "platform/text/literal.h"

namespace codfix {
namespace {

using namespace text::literals;

constexpr std::string_view kReindexMaybe =
    ";Talvez a reindexação resolva o problema;Caso contrário entre em contato com o suporte"_cp850;

std::string num(int n) {
  return std::to_string(n);
}

// The current driver's index extension occurs in FILENAME (both upper case).
bool names_index_file(const ErrorRecord& e) {
  std::string ext = text::upper(EXTENSAOINDICE());
  return !ext.empty() && text::upper(e.filename).find(ext) != std::string::npos;
}

// The routine text of the first level, from the handler's callback outward, that
// has a line number and is not part of the handler.
std::string using_routine() {
  const CallStack& calls = Runtime::current().calls;
  for (std::size_t n = 1; n < calls.depth(); ++n) {
    const CallFrame* f = calls.level(n);
    if (f->line != 0 && f->routine.find("ERRORSYS") == std::string::npos) return routine_text(*f);
  }
  return {};
}

// "ALIAS->FIELD, C, 10, 0" for a field of the current work area.
std::string field_description(const std::string& field) {
  std::string alias;
  char type = 'U';
  int width = 0;
  int decimals = 0;
  if (dbf::WorkAreas* areas = dbf::WorkAreas::current_areas()) {
    if (dbf::WorkArea* area = areas->current()) {
      alias = area->alias();
      int i = area->table().field_index(trim(field));
      if (i >= 0) {
        const dbf::Field& f = area->table().fields()[static_cast<std::size_t>(i)];
        type = f.type;
        width = f.length;
        decimals = f.decimals;
      }
    }
  }
  return alias + "->" + field + ", " + std::string(1, type) + ", " + num(width) + ", " +
         num(decimals);
}

using Buttons = std::optional<std::vector<std::string>>;

struct Classified {
  std::string message;
  Buttons buttons;
  std::string extra;
  bool ask_configure = false;
};

Classified classify(ErrorRecord& e) {
  Classified c;
  const std::string operation_upper = text::upper(e.operation);
  const bool print_target = (e.gencode == gen::kPrint || e.gencode == gen::kCreate) &&
                            operation_upper.find(".PRN") != std::string::npos &&
                            e.subsystem.rfind("TERM", 0) == 0 &&
                            (e.subcode == 0 || e.subcode == 2014);
  if (print_target) {
    std::string network = NOMEREDE(replace_all(operation_upper, ".PRN", ""));
    c.message = "Erro ao imprimir em ";
    if (!network.empty()) c.message += ";(" + network + ")";
    if (!e.operation.empty() && e.oscode == 3) c.message += ";" + e.operation;
    c.buttons = std::vector<std::string>{"Ok", "Repetir"};
    if (!network.empty()) c.buttons->push_back("Conectar agora");
    if (e.oscode == 3) c.buttons->push_back("Criar Pasta");
    return c;
  }
  switch (e.gencode) {
    case gen::kCreate:
      c.message = "Erro criando arquivo";
      if (!e.operation.empty() && e.oscode == 3) c.message += ";" + e.operation;
      c.buttons = std::vector<std::string>{"Ok", "Repetir"};
      if (e.oscode == 3) c.buttons->push_back("Criar Pasta");
      return c;
    case gen::kShared:
      c.message = "Erro " + num(e.gencode) + ";" + std::string(trim(e.description)) + ";" +
                  std::string(trim(e.filename));
      c.buttons = std::vector<std::string>{"Ok", "Repetir"};
      return c;
    case gen::kNoVar:
      c.message = std::string("Variavel não existe : "_cp850) + e.operation + ";\"" +
                  using_routine() + "\"";
      return c;
    case gen::kSyntax:
      if (e.subsystem == "BASE" && e.subcode == 1449) {
        c.message = "Erro de sintaxe BASE/1449;";
        for (std::size_t i = 0; i < e.args.size(); ++i) {
          if (i) c.message += ";";
          c.message += X_TO_C(e.args[i]);
        }
        return c;
      }
      break;
    case gen::kCorruption: {
      c.message = "Erro " + e.subsystem + "/" + num(e.subcode) + " na abertura do arquivo;" +
                  e.filename + ";O arquivo pode estar corrompido";
      Value opening = Runtime::current().vars.get("_ABRINDO");
      if (names_index_file(e)) {
        c.message += ";É necessário reindexar sua base de dados"_cp850;
      } else if (!e.filename.empty()) {
        c.message += kReindexMaybe;
      } else if (opening.is_text() && !opening.empty()) {
        c.message += ";na abertura de " + opening.text();
      }
      c.buttons = std::vector<std::string>{"Ok"};
      return c;
    }
    case gen::kOpen:
      if (e.oscode == 4) {
        c.ask_configure = true;
        c.buttons = std::vector<std::string>{"Ok"};
        return c;
      }
      if (e.oscode == 2 || e.oscode == 5) {
        c.buttons = std::vector<std::string>{"Ok", "Repetir"};
        if (e.oscode == 2 && names_index_file(e)) c.extra = std::string(kReindexMaybe);
        return c;
      }
      break;
    case gen::kDataWidth:
      if (!e.operation.empty()) {
        c.message = "Erro " + e.subsystem + "/" + num(e.subcode) + " " +
                    "Tamanho do dado muito longo:;" + field_description(e.operation);
        return c;
      }
      break;
    case gen::kNoOrder:
      e.can_default = false;
      return c;
    default:
      break;
  }
  return c;
}

std::string attribute_note(const std::string& file) {
  auto attributes = fs::attributes(file);
  int value = attributes ? *attributes : 0;
  Runtime::current().vars.set("NATTRIB", Value(value));
  switch (value) {
    case fs::attr::kReadOnly:
      return " \"Read-Only\"";
    case fs::attr::kHidden:
      return " \"Hidden\"";
    case fs::attr::kSystem:
      return " \"System\"";
    default:
      return {};
  }
}

}  // namespace

void normalise_filename(ErrorRecord& e) {
  if (e.filename.empty()) return;
  e.filename = text::upper(e.filename);
  if (e.filename.find("MEM:") == std::string::npos) e.filename = TRUENAME_(e.filename);
}

ErrorBox compose_error_box(ErrorRecord& e) {
  Classified c = classify(e);
  ErrorBox box;
  box.message = c.message;
  box.ask_configure = c.ask_configure;
  if (e.oscode != 0) {
    box.message += ";" + DOSMSG_(e.oscode, 2);
    if (!e.filename.empty()) box.message += ";(" + e.filename + attribute_note(e.filename) + ")";
  }
  box.message += c.extra;
  if (box.message.empty()) box.message = ERRORMESSAGE(e);
  if (c.buttons) {
    box.buttons = std::move(*c.buttons);
  } else {
    box.buttons.push_back("Quit");
    if (e.can_retry) box.buttons.push_back("Retry");
    if (e.can_default) box.buttons.push_back("Default");
  }
  return box;
}

std::string box_text(const ErrorBox& box, const ErrorRecord& e) {
  if (e.oscode == 0) return box.message;
  return box.message + ";(Erro do DOS " + num(e.oscode) + ")";
}

}  // namespace codfix
