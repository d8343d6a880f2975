// Arbitrary bytes as the identification messages of a unit: the ECU, software, component,
// vehicle and DM19 decoders, the functions that use them (decode, encode, tree text) and the
// texts the window and the console program show. Whatever comes: four component fields, a VIN
// of at most 200 characters, one calibration per whole 20-byte record that survives encoding
// again, component and vehicle fields that survive standing in, shown texts without control
// characters. No crash or leak.
#include "diagnostics/componentidfunction.h"
#include "diagnostics/dm19function.h"
#include "diagnostics/ecuidfunction.h"
#include "diagnostics/identificationcodec.h"
#include "diagnostics/softfunction.h"
#include "diagnostics/vehicleidfunction.h"

#include <QCoreApplication>

#include <cstdlib>

namespace {

namespace Codec = IdentificationCodec;

void check(bool condition)
{
    if (!condition)
        std::abort();
}

bool isPrintable(const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() < 0xA0))
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz";
    static char *argv[] = {name, nullptr};
    static QCoreApplication *app = [] {
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
        return new QCoreApplication(argc, argv);
    }();
    (void)app;
    const QByteArray bytes(reinterpret_cast<const char *>(data), int(size));

    check(Codec::componentFields(bytes).size() == Codec::ComponentFieldCount);
    check(Codec::vin(bytes).size() <= Codec::VinMaxLength);
    const Codec::Calibrations list = Codec::calibrations(bytes);
    check(list.size() == int(size) / Codec::CalibrationRecordBytes);
    check(Codec::calibrations(Codec::encodeCalibrations(list)) == list);
    (void)Codec::parseCalibrations(Codec::calibrationsText(list));
    for (quint32 pgn : {Codec::PgnEcu, Codec::PgnSoftware, Codec::PgnComponent, Codec::PgnVehicle,
                        Codec::PgnDm19})
        check(isPrintable(Codec::summary(pgn, bytes)));

    EcuidFunction ecu;
    SoftFunction soft;
    ComponentIdFunction component;
    VehicleIdFunction vehicle;
    DM19Function dm19;
    ecu.dispatchBroadcastData(bytes);
    soft.dispatchBroadcastData(bytes);
    dm19.decode(bytes);
    (void)dm19.textDataImpl();
    dm19.decode(dm19.encode());
    for (IdentificationFunction *f :
         std::initializer_list<IdentificationFunction *>{&component, &vehicle}) {
        f->decode(bytes);
        // What a function stands in with reads back the same.
        const QString shown = f->textDataImpl();
        f->decode(f->encode());
        check(f->textDataImpl() == shown);
    }
    return 0;
}
