// Frames per second through DeviceDispatcher::dispatchMessage with full parameter decoding, and
// heap allocations per frame, on a scheme of 30 J1939 devices with 5 description-style functions
// of 4 to 8 parameters each; the same with more devices on the bus, where the cost of finding a
// frame's device shows. Also the cost of one binding's extraction and insertion, and of a
// description function whose script computes a value from two decoded ones on every frame.
#include "benchsupport.h"
#include "can/canmessage.h"
#include "can/dispatchresult.h"
#include "descriptions/xmlstaticpgnj1939devicefunction.h"
#include "model/abstractdisplayableitem.h"
#include "model/devicedispatcher.h"
#include "model/j1939device.h"
#include "model/parameterbinding.h"
#include "model/staticpgnj1939devicefunction.h"
#include "model/zxfloatparameter.h"
#include "model/zxintparameter.h"

#include <QCoreApplication>

#include <atomic>
#include <cstdlib>

namespace {

std::atomic<long long> s_allocations{0};

// A function decoded through bindings, as the description loader builds them.
class DescribedFunction : public StaticPgnJ1939DeviceFunction
{
public:
    DescribedFunction(quint8 pf, quint8 ps, int parameters, QObject *parent)
        : StaticPgnJ1939DeviceFunction(pf, ps, parent)
    {
        const int bits = 64 / parameters;
        for (int i = 0; i < parameters; ++i) {
            ZxParameter *p = addFloatParameter(QStringLiteral("p%1").arg(i));
            ParameterBinding b;
            b.startByte = unsigned(i * bits / 8);
            b.startBit = (i * bits) % 8;
            b.bitLength = bits;
            b.multiplier = 0.125f;
            b.adder = 40;
            setBinding(p, b);
        }
        setDeviceType(Continuous, 100);
    }
    bool dispatchMessageImpl(const CanMessage &message, DispatchResult *result) override
    {
        result->item = this;
        return xmlDispatchMessageImpl(message, result);
    }
};

struct Scheme
{
    DeviceDispatcher dispatcher;
    QVector<CanMessage> frames;

    explicit Scheme(int devices = 30)
    {
        for (int address = 0; address < devices; ++address) {
            auto *device = new J1939Device(quint8(address));
            for (int f = 0; f < 5; ++f)
                new DescribedFunction(0xFE, quint8(0x10 + f), 4 + (address + f) % 5, device);
            device->setState(AbstractDisplayableItem::ReceiveOk);
            dispatcher.registerDisplayable(device);
        }
        for (int i = 0; i < 4096; ++i) {
            CanMessage m;
            m.id = 0x18FE0000 | quint32(0x10 + i % 5) << 8 | quint32((i * 7) % devices);
            for (int b = 0; b < 8; ++b)
                m.data[b] = quint8(i * 13 + b * 29);
            frames.append(m);
        }
    }
    ~Scheme() { dispatcher.clearScheme(); }
};

void runDispatch(benchmark::State &state, bool describe, int devices = 30)
{
    Scheme scheme(devices);
    scheme.dispatcher.setDescribeFrames(describe);
    // Warm up: first frames start timers and counters.
    for (const CanMessage &m : scheme.frames) {
        DispatchResult r(DispatchResult::Received, 0);
        scheme.dispatcher.dispatchMessage(m, &r);
    }
    const long long before = s_allocations.load();
    long long frames = 0;
    int i = 0;
    for (auto _ : state) {
        DispatchResult r(DispatchResult::Received, 0);
        scheme.dispatcher.dispatchMessage(scheme.frames[i], &r);
        benchmark::DoNotOptimize(r.status);
        i = (i + 1) & 4095;
        ++frames;
    }
    state.SetItemsProcessed(frames);
    state.counters["allocs_per_frame"] = double(s_allocations.load() - before) / double(frames);
}

void BM_DispatchDecode(benchmark::State &state)
{
    runDispatch(state, false);
}
BENCHMARK(BM_DispatchDecode);

void BM_DispatchDecodeWithText(benchmark::State &state)
{
    runDispatch(state, true);
}
BENCHMARK(BM_DispatchDecodeWithText);

void BM_DispatchDecodeDevices(benchmark::State &state)
{
    runDispatch(state, false, int(state.range(0)));
}
BENCHMARK(BM_DispatchDecodeDevices)->Arg(5)->Arg(30)->Arg(120)->Arg(240);

void BM_BindingExtract(benchmark::State &state)
{
    ParameterBinding b;
    b.startByte = 3;
    b.bitLength = 16;
    b.multiplier = 0.125f;
    ZxFloatParameter p;
    quint8 payload[8] = {0xF0, 0x7D, 0x7D, 0x40, 0x1F, 0, 0, 0};
    for (auto _ : state) {
        b.decode(payload, &p);
        payload[3]++;
        benchmark::DoNotOptimize(p.value());
    }
}
BENCHMARK(BM_BindingExtract);

void BM_DispatchScriptHook(benchmark::State &state)
{
    const QString param = QStringLiteral("<param type=\"int\"><name>%1</name><shortname>%1</shortname>"
                                         "<startbyte>%2</startbyte><bitlength>8</bitlength>"
                                         "<multiplier>1</multiplier><adder>40</adder></param>");
    const QString xml
        = QStringLiteral("<func key=\"t\" address=\"feee\">%1%2"
                         "<param type=\"float\"><name>D</name><shortname>D</shortname></param>"
                         "<script><![CDATA[function dispatch() { xmlfunc.setParameterValue("
                         "\"D\", xmlfunc.parameterValue(\"A\") - xmlfunc.parameterValue(\"B\")); "
                         "}]]></script></func>")
              .arg(param.arg(QStringLiteral("A")).arg(0), param.arg(QStringLiteral("B")).arg(2));
    J1939Device device(0x00);
    auto *function = new XmlStaticPgnJ1939DeviceFunction(xml, &device);
    quint8 data[8] = {0x70, 0x80, 0x60, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    CanMessage m(function->canMessageId(), data, 8);
    long long frames = 0;
    for (auto _ : state) {
        m.data[0] = quint8(frames);
        DispatchResult r(DispatchResult::Received, 0);
        function->dispatchMessage(m, &r);
        benchmark::DoNotOptimize(r.status);
        ++frames;
    }
    state.SetItemsProcessed(frames);
}
BENCHMARK(BM_DispatchScriptHook);

void BM_BindingInsert(benchmark::State &state)
{
    ParameterBinding b;
    b.startByte = 3;
    b.startBit = 2;
    b.bitLength = 13;
    b.multiplier = 0.125f;
    ZxIntParameter p(1000);
    quint8 payload[8];
    for (auto _ : state) {
        std::fill(payload, payload + 8, 0xFF);
        b.encode(payload, &p);
        benchmark::DoNotOptimize(payload[3]);
    }
}
BENCHMARK(BM_BindingInsert);

} // namespace

#ifdef __GLIBC__
// Count every heap allocation, Qt's own containers included (they call malloc directly).
extern "C" {
void *__libc_malloc(size_t size);
void *__libc_calloc(size_t count, size_t size);
void *__libc_realloc(void *p, size_t size);

void *malloc(size_t size)
{
    s_allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_malloc(size);
}

void *calloc(size_t count, size_t size)
{
    s_allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_calloc(count, size);
}

void *realloc(void *p, size_t size)
{
    s_allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_realloc(p, size);
}
}
#endif

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    qputenv("QT_LOGGING_RULES", "*.debug=false");
    return runBenchmarks(argc, argv);
}
