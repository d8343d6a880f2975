#include "descriptions/candevicefactory.h"

#include "can/canmessage.h"
#include "descriptions/descriptionfiles.h"
#include "descriptions/j1939nametexts.h"
#include "descriptions/j1939preferredaddresses.h"
#include "descriptions/unitregistry.h"
#include "descriptions/unknownj1939device.h"
#include "descriptions/unknownpgnfactory.h"
#include "descriptions/unknownsiddevice.h"
#include "descriptions/xmlj1939device.h"
#include "descriptions/xmlsiddevice.h"
#include "descriptions/xmlstaticpgnj1939devicefunction.h"
#include "model/devicedispatcher.h"
#include "model/j1939device.h"
#include "model/zxparameter.h"

#include <QDebug>
#include <QDomElement>

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

std::unique_ptr<CanDeviceFactory> CanDeviceFactory::create()
{
    std::unique_ptr<CanDeviceFactory> catalogue(new CanDeviceFactory);
    // The built-in units the folders above entered (the machine's own, the tool), by address.
    for (DeviceFactoryEntry unit : UnitRegistry::units()) {
        unit.name = tr(unit.name.toUtf8().constData());
        catalogue->appendEntry(unit);
    }
    catalogue->appendEntry(
        DeviceFactoryEntry("empty_device", {ItemAddress::J1939, ItemAddress::Unassigned},
                           tr("Stub"), QString(), QString(), [] { return new J1939Device; }));
    for (const QString &path : DescriptionFiles::deviceListFiles())
        catalogue->addDeviceDescriptionsFromFile(path);
    return catalogue;
}

namespace {
// The catalogue making a unit in this thread right now.
thread_local const CanDeviceFactory *t_making = nullptr;
} // namespace

void CanDeviceFactory::setDbcDatabases(const Databases &databases)
{
    {
        std::lock_guard<std::mutex> locker(m_dbcLock);
        m_databases = databases;
    }
    ++m_dbcGeneration;
}

CanDeviceFactory::Databases CanDeviceFactory::dbcDatabases() const
{
    std::lock_guard<std::mutex> locker(m_dbcLock);
    return m_databases;
}

const CanDeviceFactory *CanDeviceFactory::making()
{
    return t_making;
}

const CanDeviceFactory *CanDeviceFactory::ofUnit(const AbstractDisplayableItem *unit,
                                                 const CanDeviceFactory *madeBy)
{
    if (const CanDeviceFactory *bus = of(unit ? unit->dispatcher() : nullptr))
        return bus;
    return madeBy ? madeBy : t_making;
}

AbstractDisplayableItem *CanDeviceFactory::createDeviceFromEntry(int index)
{
    // A unit read from a description looks at its functions in its constructor.
    const CanDeviceFactory *outer = t_making;
    t_making = this;
    AbstractDisplayableItem *item = AbstractDeviceFactory::createDeviceFromEntry(index);
    t_making = outer;
    if (auto *unit = qobject_cast<J1939Device *>(item)) {
        if (auto *functions = qobject_cast<UnknownPgnFactory *>(unit->subFactory()))
            functions->setMadeBy(this);
    }
    return item;
}

CanDeviceFactory *CanDeviceFactory::of(const DeviceDispatcher *bus)
{
    return bus ? qobject_cast<CanDeviceFactory *>(bus->catalogue()) : nullptr;
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
    return createDerived(entry);
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
    const QString named = addressName(sa);
    if (!named.isEmpty())
        entry.name = J1939PreferredAddresses::withAddress(named, sa);
    return AbstractDeviceFactory::createDevice(entry, address);
}

QString CanDeviceFactory::addressName(quint8 sa, int industryGroup) const
{
    // A marine unit's address is its own choice: neither the catalogue nor the table knows it.
    if (industryGroup != J1939NameTexts::Marine) {
        const ItemAddress address{ItemAddress::J1939, sa};
        for (const DeviceFactoryEntry &e : entries()) {
            const bool makesJ1939 = e.create || e.metaInherits("J1939Device");
            if (makesJ1939 && !e.derived && e.address == address && !e.name.isEmpty())
                return e.name;
        }
    }
    return J1939PreferredAddresses::name(sa, industryGroup);
}

AbstractDisplayableItem *CanDeviceFactory::createDevice(const CanMessage &frame)
{
    if (frame.extended)
        return createEmptyJ1939DeviceFromAddress(frame.address());
    return AbstractDeviceFactory::createDevice(unknownSidEntry(),
                                               {ItemAddress::Sid, frame.id & 0x7FF});
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
    const Entry e = getEntry(parts.first().toLatin1());
    AbstractDisplayableItem *item = e ? e->instance : nullptr;
    for (int i = 1; item && i < parts.size(); ++i)
        item = item->findItem(parts.at(i));
    return item;
}

ZxParameter *CanDeviceFactory::getParameter(const QString &path) const
{
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return nullptr;
    AbstractDisplayableItem *item = getDeviceByPath(path.left(slash));
    return item ? item->parameter(path.mid(slash + 1)) : nullptr;
}
