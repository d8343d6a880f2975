// Parsing speed of candump recordings (the replay adapter loads whole files at selection).
#include "can/candumpreader.h"

#include <benchmark/benchmark.h>

#include <QByteArray>

namespace {

QByteArray makeRecording(int lines)
{
    QByteArray text;
    for (int i = 0; i < lines; ++i) {
        text += QByteArray("(") + QByteArray::number(1622547830 + i / 1000) + '.'
                + QByteArray::number(100000 + (i % 1000) * 100) + ") can0 ";
        text += QByteArray::number(0x18FEF100 + (i % 64), 16).toUpper().rightJustified(8, '0');
        text += "#0102F0040506F0F8\n";
    }
    return text;
}

void BM_CandumpParse(benchmark::State &state)
{
    const QByteArray text = makeRecording(int(state.range(0)));
    for (auto _ : state) {
        CandumpReader reader;
        reader.parse(text);
        benchmark::DoNotOptimize(reader.frames().size());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * text.size());
    state.SetItemsProcessed(int64_t(state.iterations()) * state.range(0));
}
BENCHMARK(BM_CandumpParse)->Arg(20000);

} // namespace

BENCHMARK_MAIN();
