// ServerTable::MergeMasterLists with the largest list a master can describe (255 packets of 255
// loopback entries, 65,025 servers, as tribes-emu's `largest` mode lists them): into an empty
// table (every server new) and into a table that holds them already (the next fetch). Each
// merge takes a copy of the outcomes (vtbrowse moves the fetch's in): the copy is in the figure.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "apps/vtbrowse/model/server_table.h"

namespace {

constexpr int LargestList = 255 * 255;

std::vector<MasterOutcome> LargestOutcome() {
    std::vector<MasterOutcome> outcomes(1);
    outcomes[0].master = "127.0.0.1:28000";
    outcomes[0].status = MasterStatus::Complete;
    for (int i = 0; i < LargestList; ++i) {
        const std::uint32_t address = 0x7F000001u + static_cast<std::uint32_t>(i / 100);
        outcomes[0].servers.push_back(
            {std::to_string(address >> 24) + "." + std::to_string((address >> 16) & 255) + "." +
                 std::to_string((address >> 8) & 255) + "." + std::to_string(address & 255),
             28001 + i % 100});
    }
    return outcomes;
}

void BM_MergeIntoEmptyTable(benchmark::State& state) {
    const std::vector<MasterOutcome> outcomes = LargestOutcome();
    for (auto _ : state) {
        auto table = std::make_unique<ServerTable>();
        benchmark::DoNotOptimize(table->MergeMasterLists(outcomes).added.size());
        state.PauseTiming();  // the table's rows given back: not the merge's time
        table.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * LargestList);
}
BENCHMARK(BM_MergeIntoEmptyTable)->Unit(benchmark::kMillisecond);

void BM_MergeIntoListedTable(benchmark::State& state) {
    const std::vector<MasterOutcome> outcomes = LargestOutcome();
    ServerTable table;
    table.MergeMasterLists(outcomes);
    for (auto _ : state) benchmark::DoNotOptimize(table.MergeMasterLists(outcomes).listed.size());
    state.SetItemsProcessed(state.iterations() * LargestList);
}
BENCHMARK(BM_MergeIntoListedTable)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
