// The sort of a bulk index build alone: 1,000,000 product keys (a code of
// digits, most of them starting with 0 or 1, then a customer and a maker, as
// Codigo+Cliente+Fabric; the code padded to 10 or to 15) under the PT850
// collation, added in record order, sorted and walked in order.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <string>

#include "platform/indexing/key_sorter.h"
#include "platform/text/codepage.h"

namespace codfix::indexing {
namespace {

std::string make_keys(size_t n, size_t code_width) {
  std::mt19937 rng(20240611);
  std::uniform_int_distribution<int> digit(0, 9), lead(0, 9), customer(0, 799), maker(0, 49);
  std::string keys;
  char tail[16];
  for (size_t i = 0; i < n; ++i) {
    std::string code;
    const int first = lead(rng);
    code += first < 4 ? '0' : first < 8 ? '1' : static_cast<char>('2' + digit(rng) % 8);
    for (int j = 1; j < 10; ++j) code += static_cast<char>('0' + digit(rng));
    code.resize(code_width, ' ');
    std::snprintf(tail, sizeof tail, "%06d%04d", customer(rng), maker(rng));
    keys += code + tail;
  }
  return keys;
}

void BM_SortMillionKeys(benchmark::State& state) {
  const size_t n = 1'000'000;
  const size_t width = static_cast<size_t>(state.range(0));
  const size_t key_size = width + 10;
  const std::string keys = make_keys(n, width);
  const unsigned threads = static_cast<unsigned>(state.range(1));
  uint64_t check = 0;
  for (auto _ : state) {
    KeySorter sorter(key_size, KeyOrder{text::weights(), false});
    // Two halves, as two scanning threads give them.
    (void)sorter.add_run(0, keys.data(), n / 2, 1);
    (void)sorter.add_run(1, keys.data() + n / 2 * key_size, n - n / 2,
                         static_cast<uint32_t>(n / 2 + 1));
    sorter.sort(threads);
    while (sorter.next()) check += sorter.recno();
  }
  benchmark::DoNotOptimize(check);
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * n));
}
BENCHMARK(BM_SortMillionKeys)
    ->Args({10, 1})
    ->Args({10, 2})
    ->Args({15, 2})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace codfix::indexing
