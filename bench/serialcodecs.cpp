// Throughput of the serial adapter codecs on a realistic stream: 8-byte extended J1939 frames,
// some with 0xF0 bytes to stuff. The line runs at 921600 baud, about 92 KB/s.
#include "can/i7565codec.h"
#include "can/zentraxv1codec.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int StreamFrames = 4096;

QVector<CanMessage> realisticFrames()
{
    QVector<CanMessage> frames;
    for (int i = 0; i < StreamFrames; ++i) {
        CanMessage m;
        m.id = 0x0CF00400 + quint32(i % 7) * 0x100 + quint32(i % 3);
        for (int b = 0; b < 8; ++b)
            m.data[b] = quint8(i * 31 + b * 17);
        if (i % 4 == 0)
            m.data[i % 8] = 0xF0; // a quarter of the frames carry a marker byte
        if (i % 16 == 0)
            m.id = 0x18F0F000 | quint32(i % 256);
        frames.append(m);
    }
    return frames;
}

template<typename Codec>
QByteArray encodeAll(const QVector<CanMessage> &frames);

template<>
QByteArray encodeAll<ZentraxV1Codec>(const QVector<CanMessage> &frames)
{
    QByteArray out;
    for (const CanMessage &m : frames)
        ZentraxV1Codec::encodeFrame(m, &out);
    return out;
}

template<>
QByteArray encodeAll<I7565Codec>(const QVector<CanMessage> &frames)
{
    QByteArray out;
    for (const CanMessage &m : frames)
        I7565Codec::encodeFrame(m, &out);
    return out;
}

// Feeds the stream in port-sized reads of 256 bytes, decoding 128 frames at most per call as the
// handler does.
template<typename Codec>
void BM_Decode(benchmark::State &state)
{
    const QByteArray stream = encodeAll<Codec>(realisticFrames());
    QVector<CanMessage> frames;
    frames.reserve(StreamFrames);
    for (auto _ : state) {
        Codec codec;
        frames.clear();
        for (int offset = 0; offset < stream.size(); offset += 256) {
            const int n = std::min(256, int(stream.size()) - offset);
            codec.feed(stream.constData() + offset, n);
            while (codec.decode(&frames, 128) > 0) {
            }
        }
        if (frames.size() != StreamFrames)
            state.SkipWithError("lost frames");
        benchmark::DoNotOptimize(frames.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * stream.size());
    state.SetItemsProcessed(int64_t(state.iterations()) * StreamFrames);
    state.counters["line_rate_x"] = benchmark::Counter(
        double(state.iterations()) * stream.size() / 92160.0, benchmark::Counter::kIsRate);
}

template<typename Codec>
void BM_Encode(benchmark::State &state)
{
    const QVector<CanMessage> frames = realisticFrames();
    QByteArray out;
    out.reserve(StreamFrames * 32);
    int64_t bytes = 0;
    for (auto _ : state) {
        out.clear();
        out = encodeAll<Codec>(frames);
        bytes += out.size();
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(bytes);
    state.SetItemsProcessed(int64_t(state.iterations()) * StreamFrames);
    state.counters["line_rate_x"]
        = benchmark::Counter(double(bytes) / 92160.0, benchmark::Counter::kIsRate);
}

BENCHMARK_TEMPLATE(BM_Decode, ZentraxV1Codec);
BENCHMARK_TEMPLATE(BM_Decode, I7565Codec);
BENCHMARK_TEMPLATE(BM_Encode, ZentraxV1Codec);
BENCHMARK_TEMPLATE(BM_Encode, I7565Codec);

} // namespace

BENCHMARK_MAIN();
