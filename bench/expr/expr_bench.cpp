// Evaluation speed of compiled expressions over a record in memory: the index
// key path (eval_text) and ordinary evaluation. The "allocs" counter is the
// number of heap allocations per evaluation (counted by a replaced global
// operator new in this benchmark program).
#include <benchmark/benchmark.h>

#include "bench/expr/alloc_count.h"
#include "lib/core/runtime.h"
#include "platform/expr/expr.h"
#include "tests/platform/expr/fake_work_areas.h"

namespace codfix::expr {
namespace {

// A product table's record: CODIGO C(13), CLIENTE C(6), FABRIC C(4), NOME C(40),
// VALOR N(12,2), DATA D.
class Record {
 public:
  Record() {
    scope_.runtime().work_areas = &host_;
    host_.open("KVPROD", {{"CODIGO", 'C', 13},
                          {"CLIENTE", 'C', 6},
                          {"FABRIC", 'C', 4},
                          {"NOME", 'C', 40},
                          {"VALOR", 'N', 12, 2},
                          {"DATA", 'D', 8}});
    host_.put("CODIGO", Value("7891234567890"));
    host_.put("CLIENTE", Value("000123"));
    host_.put("FABRIC", Value("AB12"));
    host_.put("NOME", Value("Parafuso sextavado"));
    host_.put("VALOR", Value::number(1234.5, 2));
    host_.put("DATA", Value(Date{2460742}));
  }

 private:
  RuntimeScope scope_;
  testing::FakeWorkAreas host_;
};

void report_allocations(benchmark::State& state, long before) {
  state.counters["allocs"] =
      benchmark::Counter(static_cast<double>(bench::allocation_count() - before) /
                         static_cast<double>(state.iterations()));
  state.SetItemsProcessed(state.iterations());
}

void KeyText(benchmark::State& state, const char* text) {
  Record record;
  ExpressionPtr key = compile(text);
  std::string out;
  key->eval_text(out);
  long before = bench::allocation_count();
  for (auto _ : state) {
    key->eval_text(out);
    benchmark::DoNotOptimize(out.data());
  }
  report_allocations(state, before);
}

void Eval(benchmark::State& state, const char* text) {
  Record record;
  ExpressionPtr e = compile(text);
  long before = bench::allocation_count();
  for (auto _ : state) {
    Value v = e->eval();
    benchmark::DoNotOptimize(v);
  }
  report_allocations(state, before);
}

BENCHMARK_CAPTURE(KeyText, three_fields, "Codigo+Cliente+Fabric");
BENCHMARK_CAPTURE(KeyText, upper_and_date, "UPPER(Nome)+DTOS(Data)");
BENCHMARK_CAPTURE(KeyText, parts, "LEFT(Nome, 10)+SUBSTR(Codigo, 8)");
BENCHMARK_CAPTURE(KeyText, number, "STR(Valor, 12, 2)");
BENCHMARK_CAPTURE(Eval, three_fields, "Codigo+Cliente+Fabric");
BENCHMARK_CAPTURE(Eval, condition, "Fabric = 'AB' .AND. Valor > 100");
BENCHMARK_CAPTURE(Eval, arithmetic, "Valor * 1.1 + 5");
BENCHMARK_CAPTURE(Eval, functions, "SUBSTR(Codigo, 1, 7) == '7891234'");

}  // namespace
}  // namespace codfix::expr
