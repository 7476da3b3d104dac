// Time to turn the delivered table bytes into the in-memory tables, and the memory they take.
#include <benchmark/benchmark.h>

#include "lookup/testing/delivered_tables.h"

namespace tarvel::data {
namespace {

void BM_LoadBothTables(benchmark::State& state) {
    const std::string postalBytes = ReadDeliveredTableBytes(kPostalCodeTable);
    const std::string nameBytes = ReadDeliveredTableBytes(kNameTable);
    std::size_t memory = 0;
    for (auto _ : state) {
        const CommuneTable postal = ParseTable(postalBytes, kPostalCodeTable);
        const CommuneTable names = ParseTable(nameBytes, kNameTable);
        memory = postal.MemoryBytes() + names.MemoryBytes();
        benchmark::DoNotOptimize(memory);
    }
    const double tableBytes = double(postalBytes.size() + nameBytes.size());
    state.counters["table_MB"] = tableBytes / 1e6;
    state.counters["memory_MB"] = double(memory) / 1e6;
    state.counters["memory_ratio"] = double(memory) / tableBytes;
}
BENCHMARK(BM_LoadBothTables)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tarvel::data

BENCHMARK_MAIN();
