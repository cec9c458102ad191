// Bulk build of a CDX tag: 1,000,000 keys of 20 bytes (a code, a customer and a
// maker, as Codigo+Cliente+Fabric), in record order, sorted under the PT850
// collation and written as a tag of a new compound file. Reports keys per second;
// the whole build (adding the keys, sorting, writing the pages and the directory)
// is timed.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "platform/cdx/builder.h"
#include "platform/cdx/compound_file.h"
#include "platform/cdx/cursor.h"
#include "platform/cdx/page_file.h"
#include "platform/text/codepage.h"

namespace codfix::cdx {
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
  std::string path = "/tmp/cdx_build_bench_" + std::to_string(::getpid()) + ".cdx";
  for (auto _ : state) {
    auto file = open_page_file(path, FileOptions{true, false, true});
    if (!file.ok()) {
      state.SkipWithError(file.status().message().c_str());
      break;
    }
    auto cf = CompoundFile::create(std::move(*file));
    if (!cf.ok()) {
      state.SkipWithError(cf.status().message().c_str());
      break;
    }
    TagDefinition def{
        "KVPROD", "Codigo+Cliente+Fabric", "", KeyFormat{KeyType::kCharacter, 20}, false, false,
        false};
    Builder builder(def, text::weights());
    builder.set_record_count(static_cast<uint32_t>(n));
    for (size_t i = 0; i < n; ++i) (void)builder.add(keys[i], static_cast<uint32_t>(i + 1));
    Status s = builder.write(**cf);
    if (!s.ok()) state.SkipWithError(s.message().c_str());
  }
  std::remove(path.c_str());
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_BuildMillionKeys)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->UseRealTime();

// Walking the whole tag of 1,000,000 keys from the top, one cursor step at a time,
// and seeking 100,000 keys, with the pages read from the file.
void BM_WalkAndSeekMillionKeys(benchmark::State& state) {
  text::set_code_page(text::CodePage::PT850);
  static const std::vector<std::string> keys = make_keys(1'000'000);
  std::string path = "/tmp/cdx_walk_bench_" + std::to_string(::getpid()) + ".cdx";
  {
    auto file = open_page_file(path, FileOptions{true, false, true});
    auto cf = CompoundFile::create(std::move(*file));
    TagDefinition def{
        "KVPROD", "Codigo+Cliente+Fabric", "", KeyFormat{KeyType::kCharacter, 20}, false, false,
        false};
    Builder builder(def, text::weights());
    for (size_t i = 0; i < keys.size(); ++i)
      (void)builder.add(keys[i], static_cast<uint32_t>(i + 1));
    if (!builder.write(**cf).ok()) state.SkipWithError("build failed");
  }
  for (auto _ : state) {
    auto file = open_page_file(path, FileOptions{false, false, false});
    auto cf = CompoundFile::open(std::move(*file));
    auto tag = (*cf)->open_tag("KVPROD", KeyType::kCharacter, text::weights());
    Cursor c(**tag);
    size_t n = 0;
    for (Status s = c.first(); s.ok() && c.on_key(); s = c.next()) ++n;
    if (n != keys.size()) state.SkipWithError("walk lost keys");
    size_t found = 0;
    for (size_t i = 0; i < keys.size(); i += 10) found += *c.seek(keys[i]) ? 1 : 0;
    benchmark::DoNotOptimize(found);
  }
  std::remove(path.c_str());
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * 1'100'000);
}
BENCHMARK(BM_WalkAndSeekMillionKeys)->Unit(benchmark::kMillisecond)->UseRealTime();

// Keeping a tag current record by record: 200,000 keys inserted one at a time in
// random order into a new tag, each insert its own update, then 100,000 removed.
void BM_InsertAndRemoveKeys(benchmark::State& state) {
  text::set_code_page(text::CodePage::PT850);
  static const std::vector<std::string> keys = make_keys(1'000'000);
  std::string path = "/tmp/cdx_insert_bench_" + std::to_string(::getpid()) + ".cdx";
  for (auto _ : state) {
    auto file = open_page_file(path, FileOptions{true, false, true});
    auto cf = CompoundFile::create(std::move(*file));
    TagDefinition def{
        "KVPROD", "Codigo+Cliente+Fabric", "", KeyFormat{KeyType::kCharacter, 20}, false, false,
        false};
    Builder builder(def, text::weights());
    (void)builder.write(**cf);
    auto tag = (*cf)->open_tag("KVPROD", KeyType::kCharacter, text::weights());
    for (uint32_t i = 0; i < 200'000; ++i) (void)(*tag)->insert(keys[i], i + 1);
    for (uint32_t i = 0; i < 200'000; i += 2) (void)(*tag)->remove(keys[i], i + 1);
  }
  std::remove(path.c_str());
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * 300'000);
}
BENCHMARK(BM_InsertAndRemoveKeys)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace codfix::cdx
