#include "hotlist/extraction.h"
#include "text/codepage.h"
#include "text/regex_object.h"
#include "tools/sample_page.h"

#include <benchmark/benchmark.h>

namespace {

// The live page has 50 ranked rows and the pinned one: about 120 KB.
const qm::LocalText& utf8Page()
{
    static const qm::LocalText page(qm::makeSummaryPage(qm::defaultSampleRows(51)));
    return page;
}

void utf8ToLocalPage(benchmark::State& state)
{
    const qm::LocalText& page = utf8Page();
    for (auto _ : state)
        benchmark::DoNotOptimize(qm::utf8ToLocal(page));
    state.SetBytesProcessed(static_cast<long long>(state.iterations()) * static_cast<long long>(page.size()));
}
BENCHMARK(utf8ToLocalPage);

// As one refresh does it: a fresh regex object, compile, run over the whole page, build the entries.
void extractHotEntriesPage(benchmark::State& state)
{
    const qm::LocalText page = qm::utf8ToLocal(utf8Page());
    int rows = 0;
    for (auto _ : state) {
        qm::RegexObject regex;
        const qm::TextArray entries = qm::extractHotEntries(regex, page);
        rows = entries.count();
        benchmark::DoNotOptimize(rows);
    }
    if (rows != 51)
        state.SkipWithError("the sample page did not give 51 rows");
    state.SetBytesProcessed(static_cast<long long>(state.iterations()) * static_cast<long long>(page.size()));
    state.counters["rows"] = rows;
}
BENCHMARK(extractHotEntriesPage);

} // namespace

BENCHMARK_MAIN();
