// Arbitrary bytes drive the flashing function: a program, then frames from the target unit (or
// from others) and timer expiries chosen by the input. The flasher must never send to another
// address, never read past its frames, and end idle, finished or failed once the unit is silent.
#include "can/dispatchresult.h"
#include "diagnostics/canflashingfunctionv1.h"
#include "diagnostics/offboarddiagnosticdevice.h"
#include "model/zxboolparameter.h"
#include "model/zxintparameter.h"

#include <QCoreApplication>

#include <cstdlib>

namespace {

constexpr quint8 Unit = 0x20;

QCoreApplication &application()
{
    static int argc = 1;
    static char name[] = "fuzz";
    static char *argv[] = {name, nullptr};
    static QCoreApplication *app = [] {
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
        return new QCoreApplication(argc, argv);
    }();
    return *app;
}

struct Input
{
    const uint8_t *data;
    size_t size;
    size_t pos = 0;
    bool atEnd() const { return pos >= size; }
    quint8 next() { return pos < size ? data[pos++] : 0; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    application();
    Input in{data, size};
    using F = CanFlashingFunctionV1;
    OffBoardDiagnosticDevice device;
    F *flasher = device.flasher();
    const quint8 setup = in.next();
    const int programSize = 1 + in.next() % 40;
    QByteArray program;
    for (int i = 0; i < programSize; ++i)
        program.append(char(in.next()));
    const QVector<CanMessage> frames = F::programFrames(program, Unit, 0xF9);
    QByteArray joined;
    for (const CanMessage &m : frames)
        joined.append(reinterpret_cast<const char *>(m.data + 4), m.length - 4);
    if (joined != program)
        std::abort(); // the frames carry the file exactly
    QObject::connect(flasher, &F::frameSent, [](const CanMessage &m) {
        if (m.pduSpecific() != Unit || m.address() != 0xF9)
            std::abort(); // nothing reaches a unit nobody chose
    });
    flasher->setTarget(Unit);
    flasher->boolParameter(F::RetransmitOnError)->setValue(setup & 1);
    flasher->setContinuousBootload(setup & 2);
    flasher->intParameter(F::AckDelay)->setValue((setup & 4) ? 5 : 0);
    flasher->setProgram(program, QStringLiteral("fuzz.prg"));
    flasher->slotStart();
    int sentIndex = 0;
    QObject::connect(flasher, &F::frameSent, [&sentIndex, &frames](const CanMessage &m) {
        if (m.pduFormat() == F::PfBootLoadData) {
            const int i = int((m.data[0] | m.data[1] << 8) / 4);
            if (i >= frames.size())
                std::abort();
            sentIndex = i;
        }
    });
    while (!in.atEnd()) {
        const quint8 op = in.next();
        DispatchResult r;
        switch (op % 4) {
        case 0:
            flasher->slotFlasherTimeout();
            break;
        case 1: { // the echo of the frame in flight, sometimes padded
            CanMessage echo = frames.at(sentIndex);
            echo.id = 0x0CD6F900u | Unit;
            if (op & 0x10) {
                for (int i = echo.length; i < 8; ++i)
                    echo.data[i] = 0xFF;
                echo.length = 8;
            }
            device.dispatchTargetMessage(echo, &r);
            break;
        }
        default: { // any frame to the tool
            const quint8 pfs[] = {0xD6, 0xD8, 0xD9, 0xEC, 0xEB, 0xEA, 0x12, 0xD8};
            CanMessage m;
            m.id = 0x18000000u | quint32(pfs[(op >> 2) & 7]) << 16 | 0xF900u
                   | ((op & 0x20) ? 0x33 : Unit);
            m.length = quint8(in.next() % 9);
            for (quint8 &b : m.data)
                b = in.next();
            device.dispatchTargetMessage(m, &r);
            break;
        }
        }
        if (device.flasher() != flasher)
            std::abort();
    }
    // The unit falls silent: every run ends within a bounded number of expiries.
    flasher->setContinuousBootload(false);
    for (int i = 0; i < 12; ++i) {
        const int s = flasher->flasherState();
        if (s == F::FlasherIdle || s == F::FlasherFinished || s == F::FlasherError)
            return 0;
        flasher->slotFlasherTimeout();
    }
    std::abort();
}
