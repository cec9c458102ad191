#include "lib/errors/dos_errors.h"

#include <iterator>

#include "platform/text/literal.h"

namespace codfix {
namespace {

using namespace text::literals;

constexpr DosErrorText kTexts[] = {
    {0, "Successful"_cp850, ""},
    {2, "Arquivo näo existe"_cp850, ""},
    {3, "Caminho näo existe"_cp850, ""},
    {4, "Muitos arquivos abertos"_cp850, ""},
    {5, "Acesso negado"_cp850,
     ";Verifique se o arquivo/dispositivo esta em uso ou direitos de acesso"_cp850},
    {6, "Invalid handle"_cp850, ";O arquivo pode estar corrompido"_cp850},
    {8, "Memoria insulficiente"_cp850, ""},
    {15, "Especificaçäo de drive invalido"_cp850, ""},
    {19, "Disco protegido contra gravaçäo"_cp850, ""},
    {21, "Drive näo preparado"_cp850, ""},
    {23, "Dados CRC erro"_cp850, ""},
    {29, "Erro na gravaçäo"_cp850, ";Verifique o espaco disponivel ou direitos de gravação"_cp850},
    {30, "Erro na leitura"_cp850, ";Verifique os direitos de leitura"_cp850},
    {32, "Violação de compartilhamento"_cp850,
     ";Verifique se o arquivo/dispositivo esta em uso ou direitos de acesso"_cp850},
    {33, "Violaçäo de bloqueio"_cp850, ";Verifique seus direitos de acesso"_cp850},
    {34, "Mudança de disco inválido"_cp850, ""},
    {35, "FCB indisponível"_cp850, ""},
    {36, "Partilha de estouro de buffer"_cp850, ""},
    {38, "Não foi possível concluir a operação"_cp850, ""},
    {50, "pedido de rede não suportada"_cp850, ""},
    {51, "computador remoto não escuta"_cp850, ""},
    {52, "Nome duplicado na rede"_cp850, ""},
    {53, "Caminho de rede não encontrado"_cp850, ""},
    {54, "Rede ocupada"_cp850, ""},
    {55, "Dispositivo de rede já não existe"_cp850, ""},
    {56, "NETBIOS comando limite excedido"_cp850, ""},
    {57, "Erro de sistema, NETBIOS erro"_cp850, ""},
    {58, "Resposta incorreta da rede"_cp850, ""},
    {59, "erro de rede inesperado"_cp850, ""},
    {60, "Adaptador incompatível remoto"_cp850, ""},
    {61, "Fila de impressão cheia"_cp850, ""},
    {62, "Não há espaço suficiente para o arquivo de impressão"_cp850, ""},
    {63, "Arquivo de impressão foi cancelado"_cp850, ""},
    {64, "O Nome de rede não está mais disponível"_cp850,
     ";Verifique a conexão com o servidor"_cp850},
    {65, "Acesso negado"_cp850, ""},
    {66, "Tipo de dispositivo de rede incorreto"_cp850, ""},
    {67, "O nome da rede não encontrado"_cp850, ""},
    {68, "O nome da rede ultrapassou limite"_cp850, ""},
    {69, "NETBIOS ultrapassado o limite da sessão"_cp850, ""},
    {70, "Compartilhamento temporariamente em pausa"_cp850, ""},
    {71, "Pedido de rede não aceito"_cp850, ""},
    {72, "Impressora ou redirecionamento do disco está em pausa"_cp850, ""},
    {80, "O arquivo já existe"_cp850, ""},
    {82, "Não é possível criar a pasta ou arquivo"_cp850, ""},
    {83, "Falha no INT 24"_cp850, ""},
    {84, "Demasiados redirecionamentos"_cp850, ""},
    {85, "Duplicar o redirecionamento"_cp850, ""},
    {86, "Senha inválida"_cp850, ""},
    {87, "Parâmetro inválido"_cp850, ""},
    {88, "Falha de gravação na rede"_cp850, ""},
    {89, "Função não suportada pela rede"_cp850, ""},
    {90, "Componente obrigatório do sistema não foi instalado"_cp850, ""},
    {1130, "Não há espaço suficiente no servidor para processar a tarefa"_cp850,
     ";Libere espaço no servidor"_cp850},
    {112, "Espaço insuficiente no disco"_cp850, ";Libere espaço no disco"_cp850},
};

static_assert(std::size(kTexts) == 54);

}  // namespace

std::span<const DosErrorText> dos_error_texts() {
  return kTexts;
}

Value dos_error_table() {
  std::vector<Value> rows;
  rows.reserve(std::size(kTexts));
  for (const DosErrorText& row : kTexts)
    rows.push_back(Value::array({Value(row.text), Value(row.code), Value(row.hint)}));
  return Value::array(std::move(rows));
}

std::string DOSMSG_(int code, int mode) {
  std::string out;
  for (const DosErrorText& row : kTexts) {
    if (row.code != code) continue;
    out += row.text;
    if (mode == 2 && !row.hint.empty()) {
      out += ";";
      out += row.hint;
      break;
    }
  }
  return out;
}

}  // namespace codfix
