// Speed of the demonstration data generator: a whole company database with
// two years of rates and N open invoices, built in one transaction with
// prepared statements.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>
#include <string>

#include "suite/db/DemoData.h"

namespace {

void BM_CreateDemoCompany(benchmark::State& state)
{
    std::random_device rd;
    const auto folder =
        std::filesystem::temp_directory_path() / ("orvane-bench-" + std::to_string(rd()) + std::to_string(rd()));
    suite::db::TDemoOptions options;
    options.Folder = folder.string();
    options.Invoices = static_cast<int>(state.range(0));
    options.Today = "20261130";
    options.Force = true;
    for (auto _ : state) benchmark::DoNotOptimize(suite::db::CreateDemoCompany(options));
    state.SetItemsProcessed(state.iterations() * state.range(0));
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
}
BENCHMARK(BM_CreateDemoCompany)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
