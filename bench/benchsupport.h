// What the benchmark programs share: their main() and a function of 16-bit float parameters.
#pragma once

#include "app/builtins.h"
#include "app/resources.h"
#include "can/canmessage.h"
#include "can/dispatchresult.h"
#include "model/staticpgnj1939devicefunction.h"
#include "model/zxfloatparameter.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCoreApplication>

// A proprietary-B group (0xFE, ps) of `parameters` little-endian 16-bit values of 0.125 a bit.
class BenchFunction : public StaticPgnJ1939DeviceFunction
{
public:
    BenchFunction(quint8 ps, QObject *parent, int parameters = 4)
        : StaticPgnJ1939DeviceFunction(0xFE, ps, parent)
    {
        for (int i = 0; i < parameters; ++i) {
            ZxParameter *p = addFloatParameter(QStringLiteral("p%1").arg(i));
            ParameterBinding b;
            b.startByte = unsigned(i * 2);
            b.bitLength = 16;
            b.multiplier = 0.125f;
            setBinding(p, b);
        }
    }
    bool dispatchMessageImpl(const CanMessage &message, DispatchResult *result) override
    {
        result->item = this;
        return xmlDispatchMessageImpl(message, result);
    }
};

inline int runBenchmarks(int &argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

// The console's set-up: resources and the built-in classes, as tarvik-cli has them.
inline int runConsoleBenchmarks(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    initTarvikResources();
    registerBuiltIns();
    return runBenchmarks(argc, argv);
}

// The window's set-up, offscreen unless a platform is asked for, with settings of its own.
inline int runWindowBenchmarks(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("ZentraxBench"));
    QCoreApplication::setApplicationName(QStringLiteral("TarvikBench"));
    initTarvikResources();
    registerCanMetaTypes();
    return runBenchmarks(argc, argv);
}
