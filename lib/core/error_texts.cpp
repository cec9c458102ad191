#include "lib/core/error_texts.h"

#include "lib/core/error.h"
#include "lib/core/runtime.h"
#include "platform/text/literal.h"

namespace codfix {
namespace {

using namespace text::literals;

struct Description {
  std::string_view english;
  std::string_view portuguese;
};

// One row per standard description, English as the platform writes it.
constexpr Description kDescriptions[] = {
    {"Argument error", "Erro de argumento"_cp850},
    {"Bound error", "Erro de limite"_cp850},
    {"String overflow", "Estouro de texto"_cp850},
    {"Numeric overflow", "Estouro numérico"_cp850},
    {"Zero divisor", "Divisão por zero"_cp850},
    {"Numeric error", "Erro numérico"_cp850},
    {"Syntax error", "Erro de sintaxe"_cp850},
    {"Operation too complex", "Operação muito complexa"_cp850},
    {"Memory low", "Memória insuficiente"_cp850},
    {"Undefined function", "Função não definida"_cp850},
    {"No exported method", "Método não exportado"_cp850},
    {"Variable does not exist", "Variável não existe"_cp850},
    {"Alias does not exist", "Alias não existe"_cp850},
    {"No exported variable", "Variável não exportada"_cp850},
    {"Illegal characters in alias", "Caracteres inválidos no alias"_cp850},
    {"Alias already in use", "Alias já está em uso"_cp850},
    {"Evaluation nested too deeply", "Avaliação aninhada demais"_cp850},
    {"Create error", "Erro de criação"_cp850},
    {"Open error", "Erro de abertura"_cp850},
    {"Close error", "Erro de fechamento"_cp850},
    {"Read error", "Erro de leitura"_cp850},
    {"Write error", "Erro de gravação"_cp850},
    {"Print error", "Erro de impressão"_cp850},
    {"Operation not supported", "Operação não suportada"_cp850},
    {"Limit exceeded", "Limite excedido"_cp850},
    {"Corruption detected", "Corrupção detectada"_cp850},
    {"Data type error", "Erro no tipo de dado"_cp850},
    {"Data width error", "Erro no tamanho do dado"_cp850},
    {"Workarea not in use", "Área de trabalho não está em uso"_cp850},
    {"Not indexed", "Não indexado"_cp850},
    {"Exclusive required", "Uso exclusivo requerido"_cp850},
    {"Lock required", "Bloqueio requerido"_cp850},
    {"Write not allowed", "Gravação não permitida"_cp850},
    {"Append lock failed", "Falha no bloqueio de inclusão"_cp850},
    {"Lock failure", "Falha no bloqueio"_cp850},
    {"Error", "Erro"_cp850},
};

}  // namespace

std::string_view portuguese_description(std::string_view english) {
  for (const Description& d : kDescriptions) {
    if (d.english == english) return d.portuguese;
  }
  return {};
}

void localise_description(ErrorRecord& e) {
  if (Runtime::current().settings.message_language != "PT") return;
  std::string_view pt = portuguese_description(e.description);
  if (!pt.empty()) e.description = std::string(pt);
}

}  // namespace codfix
