// Cost of the variant shapes that cross every server call: building and
// copying a parameter array of arrays, and reading a 2-D result grid.
#include <benchmark/benchmark.h>

#include "platform/core/Variant.h"

namespace {

Variant MakeParameters(int rows)
{
    Variant params = VarArrayCreate({0, 2});
    for (int k = 0; k < 3; ++k) {
        Variant part = VarArrayCreate({1, rows});
        for (int i = 1; i <= rows; ++i) part[i] = VarArrayOf({"edPrintDate", "20241231", i});
        params[k] = part;
    }
    return params;
}

void BM_BuildParameters(benchmark::State& state)
{
    for (auto _ : state) benchmark::DoNotOptimize(MakeParameters(static_cast<int>(state.range(0))));
}
BENCHMARK(BM_BuildParameters)->Arg(16)->Arg(256);

void BM_CopyParameters(benchmark::State& state)
{
    const Variant params = MakeParameters(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        Variant copy = params;
        benchmark::DoNotOptimize(copy);
    }
}
BENCHMARK(BM_CopyParameters)->Arg(16)->Arg(256);

void BM_ReadResultGrid(benchmark::State& state)
{
    const int rows = static_cast<int>(state.range(0));
    Variant grid = VarArrayCreate({0, 4, 0, rows - 1});
    for (int j = 0; j < rows; ++j)
        for (int i = 0; i <= 4; ++i) grid(i, j) = i == 0 ? Variant("USD") : Variant(6.8 + j);
    for (auto _ : state) {
        double sum = 0;
        for (int j = 0; j < rows; ++j) sum += grid(1, j).AsDouble();
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_ReadResultGrid)->Arg(1000);

} // namespace
