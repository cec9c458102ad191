// Bulk build of an NTX index: 1,000,000 keys of 20 bytes (a code, a customer and a
// maker, as Codigo+Cliente+Fabric), in record order, sorted under the PT850
// collation and written to a file. Reports keys per second; the whole build
// (adding the keys, sorting, writing the pages) is timed.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "platform/ntx/builder.h"
#include "platform/ntx/page_file.h"
#include "platform/text/codepage.h"

namespace codfix::ntx {
namespace {

std::vector<std::string> make_keys(size_t n) {
  std::mt19937 rng(20240611);
  static const char alphabet[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ\xb5\x80\x90-./";
  std::uniform_int_distribution<int> letter(0, sizeof alphabet - 2);
  std::uniform_int_distribution<int> length(4, 10);
  std::uniform_int_distribution<int> customer(0, 799), maker(0, 49);
  std::vector<std::string> keys;
  keys.reserve(n);
  char tail[16];
  for (size_t i = 0; i < n; ++i) {
    std::string k;
    int len = length(rng);
    for (int j = 0; j < len; ++j) k += alphabet[letter(rng)];
    k.resize(10, ' ');
    std::snprintf(tail, sizeof tail, "%06d%04d", customer(rng), maker(rng));
    k += tail;
    keys.push_back(std::move(k));
  }
  return keys;
}

void BM_BuildMillionKeys(benchmark::State& state) {
  text::set_code_page(text::CodePage::PT850);
  const size_t n = static_cast<size_t>(state.range(0));
  static const std::vector<std::string> keys = make_keys(1'000'000);
  std::string path = "/tmp/ntx_build_bench_" + std::to_string(::getpid()) + ".ntx";
  for (auto _ : state) {
    auto file = open_page_file(path, FileOptions{true, false, true});
    if (!file.ok()) {
      state.SkipWithError(file.status().message().c_str());
      break;
    }
    Definition def{"Codigo+Cliente+Fabric", "", "", 20, 0, false, false, false, false};
    Builder builder(def, text::weights());
    for (size_t i = 0; i < n; ++i) (void)builder.add(keys[i], static_cast<uint32_t>(i + 1));
    Status s = builder.write(**file);
    if (!s.ok()) state.SkipWithError(s.message().c_str());
  }
  std::remove(path.c_str());
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_BuildMillionKeys)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace codfix::ntx
