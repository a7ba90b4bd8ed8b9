// Time to sort the gallery's 100,000 rows by name (localized standard
// comparison), as a table header click does.
#include "tests/gallery/GalleryRows.h"

#include "Platform/AppKit/TableSortDescriptor.h"

#include <benchmark/benchmark.h>

static void SortHundredThousandRowsByName(benchmark::State& state)
{
    const auto rows = Gallery::makeRows(100'000);
    const std::vector<AppKit::SortDescriptor> byName{
        AppKit::SortDescriptor("name", true, AppKit::SortComparison::localizedStandardCompare)};
    for (auto _ : state) {
        auto copy = rows;
        AppKit::sortUsingDescriptors(copy, byName);
        benchmark::DoNotOptimize(copy.data());
    }
}
BENCHMARK(SortHundredThousandRowsByName)->Unit(benchmark::kMillisecond);

static void SortHundredThousandRowsBySize(benchmark::State& state)
{
    const auto rows = Gallery::makeRows(100'000);
    const std::vector<AppKit::SortDescriptor> bySize{AppKit::SortDescriptor("size", false)};
    for (auto _ : state) {
        auto copy = rows;
        AppKit::sortUsingDescriptors(copy, bySize);
        benchmark::DoNotOptimize(copy.data());
    }
}
BENCHMARK(SortHundredThousandRowsBySize)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
