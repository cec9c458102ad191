// make-demo FOLDER: writes a demo folder for codfix with our own table engine:
// KV.INI in the direct layout (product folders under PRODUTOS), KVITEM.DBF with a
// 15-character PRODUTO, and three product folders whose KVPROD.DBF (with .DBT
// memos and a .NTX index) has a narrower, an equal and a wider CODIGO.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "lib/core/date.h"
#include "lib/core/runtime.h"
#include "platform/dbf/work_areas.h"
#include "platform/expr/expr.h"
#include "platform/text/literal.h"

namespace {

using namespace codfix;
using namespace codfix::text::literals;

constexpr int kItemWidth = 15;
constexpr int kProducts = 250;

bool fail(const std::string& what) {
  std::fprintf(stderr, "make-demo: %s\n", what.c_str());
  return false;
}

bool make_items(dbf::WorkAreas& areas, const std::string& folder) {
  dbf::Structure s = {{"PRODUTO", 'C', kItemWidth, 0}, {"QTD", 'N', 8, 0}};
  if (!areas.create(folder + "/KVITEM.DBF", s)) return fail("KVITEM.DBF");
  int area = areas.use(folder + "/KVITEM.DBF", {});
  dbf::WorkArea* a = areas.area(area);
  for (int i = 1; i <= 20; ++i) {
    a->append_blank();
    a->put(0, Value("P" + std::to_string(1000 + i)));
    a->put(1, Value(i * 3));
  }
  areas.close_area(area);
  return true;
}

bool make_products(dbf::WorkAreas& areas, const std::string& folder, int code_width) {
  std::filesystem::create_directories(folder);
  dbf::Structure s = {{"CODIGO", 'C', code_width, 0}, {"CLIENTE", 'C', 6, 0}, {"FABRIC", 'C', 4, 0},
                      {"DESCRICAO", 'C', 40, 0},      {"PRECO", 'N', 12, 2},  {"DATA", 'D', 8, 0},
                      {"ATIVO", 'L', 1, 0},           {"OBS", 'M', 10, 0}};
  std::string table = folder + "/KVPROD.DBF";
  if (!areas.create(table, s)) return fail(table);
  dbf::UseOptions use;
  use.exclusive = true;
  int area = areas.use(table, use);
  dbf::WorkArea* a = areas.area(area);
  if (!a) return fail(table);
  const char* names[] = {"Parafuso sextavado", "Porca borboleta", "Arruela lisa",
                         "Chave de fenda",     "Martelo de unha", "Alicate universal"};
  for (int i = 1; i <= kProducts; ++i) {
    a->append_blank();
    a->put(0, Value("P" + std::to_string(1000 + i % 40)));
    a->put(1, Value("C" + std::to_string(100 + i % 7)));
    a->put(2, Value("F" + std::to_string(i % 3)));
    a->put(3, Value(std::string(names[i % 6]) + std::string(" nº "_cp850) + std::to_string(i)));
    a->put(4, Value::number(i * 1.25, 2));
    a->put(5, Value::date(day_number(2026, 1 + i % 12, 1 + i % 28)));
    a->put(6, Value(i % 5 != 0));
    if (i % 4 == 0)
      a->put(7, Value::memo(std::string("Observação do produto "_cp850) + std::to_string(i) +
                            "\r\nSegunda linha."));
    if (i % 50 == 0) a->delete_record();
  }
  dbf::IndexOptions index;
  index.key = "Codigo+Cliente";
  if (!a->create_index(folder + "/KVPROD", index)) return fail(folder + "/KVPROD.NTX");
  areas.close_area(area);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 || std::string(argv[1]) == "--help") {
    std::fprintf(stderr, "usage: make-demo FOLDER\n");
    return argc == 2 ? 0 : 2;
  }
  std::string folder = argv[1];
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  codfix::expr::register_standard_functions();
  codfix::Runtime::current().settings.dates.epoch = 1940;
  codfix::dbf::WorkAreas areas;
  std::ofstream(folder + "/KV.INI", std::ios::binary)
      << "[PRODUTOS]\r\nLDIRETPROD=.T.\r\nCDIRETPROD=PRODUTOS\r\n";
  bool ok = make_items(areas, folder) &&
            make_products(areas, folder + "/PRODUTOS/LOJA1", kItemWidth - 5) &&
            make_products(areas, folder + "/PRODUTOS/LOJA2", kItemWidth) &&
            make_products(areas, folder + "/PRODUTOS/LOJA3", kItemWidth + 5);
  return ok ? 0 : 1;
}
