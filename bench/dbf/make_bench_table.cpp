// Writes the benchmark's product table: N records of CODIGO C(10), CLIENTE C(6),
// FABRIC C(4), DESCRICAO C(40), PRECO N(12,2), DATA D, ATIVO L, from a fixed-seed
// generator (the same bytes on every run), appended in large blocks.
//
//   make_bench_table TABLE [N]      N defaults to 1,000,000
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "lib/core/date.h"
#include "lib/core/number_text.h"
#include "platform/dbf/table.h"
#include "platform/text/codepage.h"

using namespace codfix;

namespace {

uint32_t seed = 20240611;
uint32_t next(uint32_t range) {
  seed = static_cast<uint32_t>((uint64_t{seed} * 48271u) % 2147483647u);
  return seed % range;
}

void put(char* dest, const std::string& s, size_t width) {
  size_t n = std::min(s.size(), width);
  std::memcpy(dest, s.data(), n);
  std::memset(dest + n, ' ', width - n);
}

const char* const kWords[] = {"VÁLVULA", "Válvula",      "CONEXÃO",  "Óleo",    "ÍMÃ",
                              "ÊMBOLO",  "Bomba d'água", "PARAFUSO", "arruela", "Mangueira"};
const char* const kTails[] = {"", " inox", " MÉDIA PRESSÃO", " aço carbono", " nº 5", " 3/4\""};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: make_bench_table TABLE [N]\n");
    return 2;
  }
  const uint32_t n = argc > 2 ? static_cast<uint32_t>(std::strtoul(argv[2], nullptr, 10)) : 1000000;
  dbf::Failure failure;
  std::unique_ptr<dbf::Table> t = dbf::Table::create(argv[1],
                                                     {{"CODIGO", 'C', 10, 0},
                                                      {"CLIENTE", 'C', 6, 0},
                                                      {"FABRIC", 'C', 4, 0},
                                                      {"DESCRICAO", 'C', 40, 0},
                                                      {"PRECO", 'N', 12, 2},
                                                      {"DATA", 'D', 8, 0},
                                                      {"ATIVO", 'L', 1, 0}},
                                                     "DBFNTX", failure);
  if (!t) {
    std::fprintf(stderr, "make_bench_table: %s: %s\n", failure.filename.c_str(),
                 failure.detail.c_str());
    return 1;
  }
  const uint32_t r = t->header().record_length;
  const uint32_t per_block = 8192;
  std::string block;
  char digits[32];
  for (uint32_t done = 0; done < n;) {
    const uint32_t m = std::min(per_block, n - done);
    block.assign(size_t{m} * r, ' ');
    for (uint32_t i = 0; i < m; ++i) {
      char* rec = block.data() + size_t{i} * r;
      rec[0] = next(20) == 0 ? '*' : ' ';
      std::snprintf(digits, sizeof digits, "%010u", next(2000000000u));
      put(rec + 1,
          next(4) == 0 ? std::string(digits + 4) + "-" + std::to_string(next(99))
                       : std::string(digits),
          10);
      std::snprintf(digits, sizeof digits, "%06u", next(800));
      put(rec + 11, digits, 6);
      std::snprintf(digits, sizeof digits, "%04u", next(50));
      put(rec + 17, digits, 4);
      put(rec + 21,
          text::utf8_to_cp850(std::string(kWords[next(10)]) + " " + std::to_string(next(1000)) +
                              kTails[next(6)]),
          40);
      double price = (static_cast<double>(next(200000000)) - 20000000.0) / 100.0;
      put(rec + 61, format_fixed(price, 12, 2), 12);
      Date d{next(10) == 0
                 ? 0
                 : day_number(1990 + static_cast<int>(next(40)), 1 + static_cast<int>(next(12)),
                              1 + static_cast<int>(next(28)))};
      put(rec + 73, date_to_dtos(d), 8);
      rec[81] = next(3) == 0 ? 'F' : 'T';
    }
    uint32_t first = 0;
    failure = t->append_records(block.data(), m, first);
    if (failure) {
      std::fprintf(stderr, "make_bench_table: %s\n", failure.detail.c_str());
      return 1;
    }
    done += m;
  }
  failure = t->close();
  if (failure) {
    std::fprintf(stderr, "make_bench_table: %s\n", failure.detail.c_str());
    return 1;
  }
  return 0;
}
