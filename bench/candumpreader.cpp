// Parsing speed of candump recordings (the replay adapter loads whole files at selection).
#include "can/candumpreader.h"

#include <benchmark/benchmark.h>

#include <QByteArray>

namespace {

// Lines as loggers write them ("(1622547830.100000) can0 18FEF100#..."), which take the
// parser's short way, or with short times and standard identifiers, which take the general one.
QByteArray makeRecording(int lines, bool usual = true)
{
    QByteArray text;
    for (int i = 0; !usual && i < lines; ++i) {
        text += QByteArray("(") + QByteArray::number(i / 1000) + '.'
                + QByteArray::number(i % 1000) + ") can1 ";
        text += QByteArray::number(0x100 + (i % 64), 16).toUpper() + "#0102F004 R\n";
    }
    for (int i = 0; usual && i < lines; ++i) {
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

void BM_CandumpParseGeneral(benchmark::State &state)
{
    const QByteArray text = makeRecording(int(state.range(0)), false);
    for (auto _ : state) {
        CandumpReader reader;
        reader.parse(text);
        benchmark::DoNotOptimize(reader.frames().size());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * text.size());
    state.SetItemsProcessed(int64_t(state.iterations()) * state.range(0));
}
BENCHMARK(BM_CandumpParseGeneral)->Arg(20000);

} // namespace

BENCHMARK_MAIN();
