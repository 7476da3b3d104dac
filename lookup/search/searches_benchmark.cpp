// Time of one full search (lines, records, first match, status) on the delivered tables,
// beside a bare scan that only compares the keys.
#include <benchmark/benchmark.h>

#include "lookup/search/name_search.h"
#include "lookup/search/postal_search.h"
#include "lookup/testing/delivered_tables.h"

namespace tarvel::search {
namespace {

const data::CommuneTable& PostalTable() {
    static const data::CommuneTable table = data::LoadDeliveredTable(data::kPostalCodeTable);
    return table;
}
const data::CommuneTable& NameTable() {
    static const data::CommuneTable table = data::LoadDeliveredTable(data::kNameTable);
    return table;
}

std::size_t BareScan(const data::CommuneTable& table, std::string_view prefix) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < table.Count(); ++i) count += table.Key(i).starts_with(prefix);
    return count;
}

void BM_NameSearch(benchmark::State& state, const char* prefix) {
    for (auto _ : state) benchmark::DoNotOptimize(SearchByName(NameTable(), prefix));
    state.counters["lines"] = double(SearchByName(NameTable(), prefix).lines.size());
}
void BM_PostalSearch(benchmark::State& state, const char* prefix) {
    for (auto _ : state) benchmark::DoNotOptimize(SearchByPostalCode(PostalTable(), prefix));
    state.counters["lines"] = double(SearchByPostalCode(PostalTable(), prefix).lines.size());
}
void BM_BareNameScan(benchmark::State& state, const char* prefix) {
    for (auto _ : state) benchmark::DoNotOptimize(BareScan(NameTable(), prefix));
}
void BM_BarePostalScan(benchmark::State& state, const char* prefix) {
    for (auto _ : state) benchmark::DoNotOptimize(BareScan(PostalTable(), prefix));
}

BENCHMARK_CAPTURE(BM_NameSearch, ST, "ST")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_NameSearch, SA, "SA")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_NameSearch, LA, "LA")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_PostalSearch, 750, "750")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_PostalSearch, 010, "010")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_PostalSearch, 130, "130")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_PostalSearch, 75016, "75016")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_BareNameScan, ST, "ST")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_BarePostalScan, 010, "010")->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tarvel::search

BENCHMARK_MAIN();
