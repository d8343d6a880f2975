#include "descriptions/candevicefactory.h"

#include "can/canmessage.h"
#include "descriptions/descriptionfiles.h"
#include "descriptions/j1939preferredaddresses.h"
#include "descriptions/unknownj1939device.h"
#include "descriptions/unknownsiddevice.h"
#include "descriptions/xmlj1939device.h"
#include "descriptions/xmlsiddevice.h"
#include "descriptions/xmlstaticpgnj1939devicefunction.h"
#include "devicetests/controllerdevicetest.h"
#include "diagnostics/offboarddiagnosticdevice.h"
#include "machine/cabincontroller.h"
#include "machine/controllerdevice.h"
#include "machine/controlpaneldevice.h"
#include "machine/supportcontroller.h"
#include "machine/supportindicationpanel.h"
#include "model/zxparameter.h"

#include <QDebug>
#include <QDomElement>

namespace {
CanDeviceFactory *s_instance = nullptr;
}

CanDeviceFactory::CanDeviceFactory()
{
    setUnknownEntry(unknownDeviceEntry());
}

DeviceFactoryEntry CanDeviceFactory::unknownDeviceEntry()
{
    return DeviceFactoryEntry("unknown_device", {ItemAddress::J1939, 0xFF}, tr("Unknown device"),
                              QStringLiteral("UNKNOWN_DEVICE_DESC_PH"),
                              QStringLiteral("UNKNOWN_DEVICE_FDESC_PH"),
                              [] { return new UnknownJ1939Device; });
}

DeviceFactoryEntry CanDeviceFactory::unknownSidEntry()
{
    return DeviceFactoryEntry("unknown_sid_device", {ItemAddress::Sid, 0xFF},
                              tr("Unknown SID device"), QStringLiteral("UNKNOWN_DEVICE_DESC_PH"),
                              QStringLiteral("UNKNOWN_DEVICE_FDESC_PH"),
                              [] { return new UnknownSidDevice; });
}

DeviceFactoryEntry CanDeviceFactory::fallbackEntry(const QByteArray &key) const
{
    if (key == "unknown_sid_device")
        return unknownSidEntry();
    return AbstractDeviceFactory::fallbackEntry(key);
}

void CanDeviceFactory::init()
{
    reset();
    s_instance = new CanDeviceFactory;
    // The machine's own units, at their fixed addresses.
    s_instance->appendEntry(DeviceFactoryEntry(
        "cabin_controller", {ItemAddress::J1939, 0x0A}, tr("Cabin controller"),
        QStringLiteral("CABIN_CONTROLLER_DESC_PH"), QStringLiteral("CABIN_CONTROLLER_FULL_DESC_PH"),
        [] { return new CabinController; }));
    s_instance->appendEntry(DeviceFactoryEntry(
        "hydro_support_controller", {ItemAddress::J1939, 0x80}, tr("Support controller"),
        QStringLiteral("SUPPORT_CONTROLLER_DESC_PH"),
        QStringLiteral("SUPPORT_CONTROLLER_FULL_DESC_PH"), [] { return new SupportController; }));
    s_instance->appendEntry(DeviceFactoryEntry(
        "support_indication_panel", {ItemAddress::J1939, 0x9C}, tr("Support indication panel"),
        QStringLiteral("SUPPORT_INDICATION_PANEL_DESC_PH"),
        QStringLiteral("SUPPORT_INDICATION_PANEL_FULL_DESC_PH"),
        [] { return new SupportIndicationPanel; }));
    const struct
    {
        const char *key;
        quint32 address;
        const char *name;
    } panels[] = {
        {"control_panel_ext", 0x9D, QT_TR_NOOP("External control panel")},
        {"control_panel_low", 0x9E, QT_TR_NOOP("Lower control panel")},
        {"control_panel_upper", 0x9F, QT_TR_NOOP("Upper control panel")},
    };
    for (const auto &panel : panels) {
        s_instance->appendEntry(DeviceFactoryEntry(
            panel.key, {ItemAddress::J1939, panel.address}, tr(panel.name),
            QStringLiteral("CONTROL_PANEL_DESC_PH"), QStringLiteral("CONTROL_PANEL_FULL_DESC_PH"),
            [] { return new ControlPanelDevice; }));
    }
    s_instance->appendEntry(DeviceFactoryEntry(
        "controller", {ItemAddress::J1939, 0xA0}, tr("Controller"),
        QStringLiteral("CONTROLLER_DESC_PH"), QStringLiteral("CONTROLLER_FULL_DESC_PH"),
        [] { return new ControllerDevice; }, &ControllerDeviceTest::create,
        QStringLiteral(":/tests/schemes/controller_test.tvsc")));
    // The tool itself, owner of the flashing and identification functions.
    s_instance->appendEntry(DeviceFactoryEntry(
        "offboarddiagunit", {ItemAddress::J1939, 0xF9}, tr("Off-board diagnostic unit"),
        QStringLiteral("OFFBDU_DESC_PH"), QStringLiteral("OFFBDU_FDESC_PH"),
        [] { return new OffBoardDiagnosticDevice; }));
    s_instance->appendEntry(DeviceFactoryEntry("empty_device",
                                               {ItemAddress::J1939, ItemAddress::Unassigned},
                                               tr("Stub"), QString(), QString(),
                                               [] { return new J1939Device; }));
    for (const QString &path : DescriptionFiles::deviceListFiles())
        s_instance->addDeviceDescriptionsFromFile(path);
}

CanDeviceFactory *CanDeviceFactory::instance()
{
    return s_instance;
}

void CanDeviceFactory::reset()
{
    delete s_instance;
    s_instance = nullptr;
}

const QMetaObject *CanDeviceFactory::deviceTypeMetaObject(const QString &type)
{
    if (type.isEmpty() || type == QLatin1String("j1939"))
        return &XmlJ1939Device::staticMetaObject;
    if (type == QLatin1String("sid"))
        return &XmlSidDevice::staticMetaObject;
    return nullptr;
}

ItemAddress CanDeviceFactory::deviceNodeItemAddress(const QDomElement &element)
{
    const QString type = element.attribute(QStringLiteral("type"), QStringLiteral("j1939"));
    bool ok = false;
    const uint value = element.attribute(QStringLiteral("address")).toUInt(&ok, 16);
    return {ItemAddress::kindForKeyword(type), ok ? value : 0u};
}

void CanDeviceFactory::addDeviceDescriptionsFromFile(const QString &path)
{
    for (const QDomElement &device : DescriptionFiles::readDeviceList(path)) {
        const QString type = device.attribute(QStringLiteral("type"), QStringLiteral("j1939"));
        const QMetaObject *mo = deviceTypeMetaObject(type);
        if (!mo) {
            qDebug("Unknown CanDevice type %s", qUtf8Printable(type));
            continue;
        }
        DeviceFactoryEntry entry(device.attribute(QStringLiteral("key")).toLatin1(),
                                 deviceNodeItemAddress(device),
                                 device.firstChildElement(QStringLiteral("name")).text(), mo);
        entry.xml = elementToXml(device);
        appendEntry(entry);
    }
}

AbstractDisplayableItem *CanDeviceFactory::createDeviceFromDescription(const QDomElement &element)
{
    const QString type = element.attribute(QStringLiteral("type"), QStringLiteral("j1939"));
    const QMetaObject *mo = deviceTypeMetaObject(type);
    if (!mo) {
        qDebug("Unknown CanDevice type %s", qUtf8Printable(type));
        return nullptr;
    }
    ItemAddress address = deviceNodeItemAddress(element);
    address.kind = ItemAddress::J1939;
    DeviceFactoryEntry entry(element.attribute(QStringLiteral("key")).toLatin1(), address,
                             element.firstChildElement(QStringLiteral("name")).text(), mo);
    entry.xml = elementToXml(element);
    entry.derived = true;
    appendEntry(entry);
    return createDeviceFromEntry(count() - 1);
}

AbstractDisplayableItem *CanDeviceFactory::createEmptyJ1939DeviceFromAddress(quint8 sa)
{
    const ItemAddress address{ItemAddress::J1939, sa};
    for (const DeviceFactoryEntry &e : entries()) {
        const bool makesJ1939 = e.create || e.metaInherits("J1939Device");
        if (makesJ1939 && e.address == address && e.instance)
            return nullptr;
    }
    DeviceFactoryEntry entry = unknownDeviceEntry();
    // Until the unit claims its address, the address itself is the best hint of what it is.
    const QString preferred = J1939PreferredAddresses::deviceName(sa);
    if (!preferred.isEmpty())
        entry.name = preferred;
    return AbstractDeviceFactory::createDevice(entry, address);
}

AbstractDisplayableItem *CanDeviceFactory::createDevice(const CanMessage &frame)
{
    if (frame.extended)
        return createEmptyJ1939DeviceFromAddress(frame.address());
    return AbstractDeviceFactory::createDevice(unknownSidEntry(), {ItemAddress::Sid, frame.id & 0x7FF});
}

AbstractDisplayableItem *CanDeviceFactory::createTargetDevice(const CanMessage &frame)
{
    return createEmptyJ1939DeviceFromAddress(frame.pduSpecific());
}

AbstractDisplayableItem *CanDeviceFactory::getDeviceByPath(const QString &path) const
{
    const QStringList parts = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (parts.isEmpty())
        return nullptr;
    const DeviceFactoryEntry *e = getEntry(parts.first().toLatin1());
    QObject *object = e ? e->instance : nullptr;
    for (int i = 1; object && i < parts.size(); ++i)
        object = object->findChild<QObject *>(parts.at(i));
    return qobject_cast<AbstractDisplayableItem *>(object);
}

ZxParameter *CanDeviceFactory::getParameter(const QString &path) const
{
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return nullptr;
    AbstractDisplayableItem *item = getDeviceByPath(path.left(slash));
    return item ? item->parameter(path.mid(slash + 1)) : nullptr;
}
