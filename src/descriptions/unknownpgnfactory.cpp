#include "descriptions/unknownpgnfactory.h"

#include "can/canmessage.h"
#include "can/dispatchresult.h"
#include "descriptions/descriptionfiles.h"
#include "descriptions/unknownpgnfunction.h"
#include "descriptions/xmlstaticpgnj1939devicefunction.h"
#include "diagnostics/canflashingfunctionv1.h"
#include "diagnostics/emr2enginestoprequestfunction.h"
#include "diagnostics/enginecontrollercalibrationfunction.h"
#include "machine/controllerzbusbridgedevicefunction.h"
#include "diagnostics/controllermachinestatedevicefunction.h"
#include "model/j1939device.h"
#include "model/j1939reg.h"

#include <QCoreApplication>
#include <QDomElement>

namespace {
constexpr quint32 BroadcastAnnouncement = 0xECFF;
constexpr quint32 BroadcastData = 0xEBFF;
} // namespace

DeviceFactoryEntry UnknownPgnFactory::j1939PgnEntry(const QByteArray &key, quint32 pgn,
                                                    const QString &name,
                                                    const QMetaObject *metaObject)
{
    return DeviceFactoryEntry(key, {ItemAddress::Pgn, pgn}, name, metaObject);
}

// No QObject parent: the factory lives in the GUI thread, its device in the bus thread. The
// device deletes it.
UnknownPgnFactory::UnknownPgnFactory(J1939Device *device)
    : AbstractDeviceFactory(nullptr)
    , m_device(device)
{
    setUnknownEntry(DeviceFactoryEntry("unknown_pgn", {ItemAddress::Pgn, 0xFF}, tr("Unknown PGN"),
                                       QStringLiteral("UNKNOWN_PGN_DESC_PH"),
                                       QStringLiteral("UNKNOWN_PGN_FDESC_PH"),
                                       [] { return new UnknownPgnFunction; }));
    for (const J1939PgnDescription &d : J1939Reg::descriptions()) {
        const QString name = QCoreApplication::translate("J1939", d.name.toUtf8().constData());
        if (d.metaObject && d.metaObject->constructorCount() > 0) {
            appendEntry(j1939PgnEntry(d.key.toLatin1(), d.pgn, name, d.metaObject));
        } else if (d.creator) {
            const auto creator = d.creator;
            appendEntry(DeviceFactoryEntry(d.key.toLatin1(), {ItemAddress::Pgn, d.pgn}, name,
                                           QString(), QString(),
                                           [creator] { return creator(nullptr); }));
        }
    }
    for (const QString &path : DescriptionFiles::functionLibraryFiles())
        appendXmlDescFile(path);
    appendEntry(DeviceFactoryEntry("canflashv1", {ItemAddress::Pgn, 0xD900}, tr("Can Flasher"),
                                   QStringLiteral("CAN_FLASHER_V1_DESC_PH"),
                                   QStringLiteral("CAN_FLASHER_V1_FDESC_PH"),
                                   [] { return new CanFlashingFunctionV1; }));
    // Offered for adding by hand only (below): 0xFF16 is a proprietary group that other makers
    // use for other things, and the calibration run has no group of its own.
    appendEntry(DeviceFactoryEntry("emr2stop", {ItemAddress::Pgn, 0xFF16},
                                   tr("EMR2 - Engine Stop Request"),
                                   QStringLiteral("EMR2_STOP_DESC_PH"),
                                   QStringLiteral("EMR2_STOP_FDESC_PH"),
                                   [] { return new Emr2EngineStopRequestFunction; }));
    appendEntry(DeviceFactoryEntry("eccalibration", {ItemAddress::Pgn, NoGroupAddress},
                                   tr("Engine Controller Calibration"),
                                   QStringLiteral("ENGINE_CALIBRATION_DESC_PH"),
                                   QStringLiteral("ENGINE_CALIBRATION_FDESC_PH"),
                                   [] { return new EngineControllerCalibrationFunction; }));
    appendEntry(DeviceFactoryEntry("zbus", {ItemAddress::Pgn, 0xFF34}, tr("Z-Bus data"),
                                   QStringLiteral("ZBUS_BRIDGE_DESC_PH"),
                                   QStringLiteral("ZBUS_BRIDGE_FDESC_PH"),
                                   [] { return new ControllerZBusBridgeDeviceFunction; }));
    appendEntry(DeviceFactoryEntry("prop_machine_state", {ItemAddress::Pgn, 0xFF35},
                                   tr("Machine State"), QStringLiteral("MACHINE_STATE_DESC_PH"),
                                   QStringLiteral("MACHINE_STATE_FDESC_PH"),
                                   [] { return new ControllerMachineStateDeviceFunction; }));
}

QObject *UnknownPgnFactory::owner() const
{
    return m_device.data();
}

void UnknownPgnFactory::appendXmlDescFile(const QString &path)
{
    for (const QDomElement &func : DescriptionFiles::readFunctionLibrary(path)) {
        bool ok = false;
        const uint pgn = func.attribute(QStringLiteral("address")).toUInt(&ok, 16);
        DeviceFactoryEntry entry
            = j1939PgnEntry(func.attribute(QStringLiteral("key")).toLatin1(), ok ? pgn : 0u,
                            func.firstChildElement(QStringLiteral("name")).text(),
                            &XmlStaticPgnJ1939DeviceFunction::staticMetaObject);
        entry.xml = elementToXml(func);
        appendEntry(entry);
    }
}

bool UnknownPgnFactory::isManualOnly(const QByteArray &key)
{
    return key == "emr2stop" || key == "eccalibration";
}

AbstractDisplayableItem *UnknownPgnFactory::createDeviceFromPgn(quint32 pgn)
{
    const bool pdu1 = ((pgn >> 8) & 0xFF) < 0xF0;
    for (int i = 0; i < count(); ++i) {
        const DeviceFactoryEntry &e = entries().at(i);
        if (isManualOnly(e.key))
            continue;
        const bool match = pdu1 ? ((e.address.value >> 8) & 0xFF) == ((pgn >> 8) & 0xFF)
                                      && e.address.value <= 0xFFFF
                                : e.address.value == pgn;
        if (!match)
            continue;
        if (e.instance)
            return nullptr;
        return createDeviceAt(i, NoAddress);
    }
    return nullptr;
}

AbstractDisplayableItem *UnknownPgnFactory::createDevice(const CanMessage &frame)
{
    quint32 pgn = (frame.id >> 8) & 0xFFFF;
    if (pgn == BroadcastAnnouncement)
        pgn = quint32(frame.data[5]) | quint32(frame.data[6]) << 8;
    return createDeviceFromPgn(pgn);
}

AbstractDisplayableItem *UnknownPgnFactory::createDevice(const CanMessage &frame,
                                                         const DispatchResult &result)
{
    const quint32 pgn
        = !result.payload.isEmpty() ? (result.pgn & 0xFFFF) : (frame.id >> 8) & 0xFFFF;
    if (pgn == BroadcastData || pgn == BroadcastAnnouncement)
        return nullptr;
    return createDeviceFromPgn(pgn);
}
