#include "descriptions/unknownpgnfactory.h"

#include "can/canmessage.h"
#include "can/dispatchresult.h"
#include "descriptions/candevicefactory.h"
#include "descriptions/dbcfunction.h"
#include "descriptions/descriptionfiles.h"
#include "descriptions/pgnfunctionregistry.h"
#include "descriptions/unknownpgnfunction.h"
#include "descriptions/xmlstaticpgnj1939devicefunction.h"
#include "model/devicedispatcher.h"
#include "model/j1939device.h"
#include "model/j1939reg.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDomElement>
#include <QFileInfo>
#include <QHash>

#include <algorithm>

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
        m_builtIn.insert(d.key.toLatin1());
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
    for (DeviceFactoryEntry entry : PgnFunctionRegistry::functions()) {
        entry.name = tr(entry.name.toUtf8().constData());
        if (PgnFunctionRegistry::isByHandOnly(entry.key))
            m_byHandOnly.insert(entry.key);
        m_builtIn.insert(entry.key);
        appendEntry(entry);
    }
}

void UnknownPgnFactory::syncDbcEntries()
{
    const CanDeviceFactory *catalogue = CanDeviceFactory::ofUnit(m_device.data(), m_madeBy);
    if (!catalogue || catalogue->dbcGeneration() == m_dbcGeneration.load())
        return;
    // The bus thread (auto-detection) and the GUI thread (the catalogue shown) may both ask.
    std::lock_guard<std::mutex> locker(m_dbcLock);
    const int generation = catalogue->dbcGeneration();
    if (generation == m_dbcGeneration.load())
        return;
    removeIdleEntries(DbcFunction::KeyPrefix);
    QSet<QByteArray> winning;
    for (const std::shared_ptr<const DbcDatabase> &database : catalogue->dbcDatabases()) {
        for (const DbcMessage &message : database->messages) {
            // A unit's functions are its J1939 groups; a database's plain CAN identifiers are
            // no group of a unit.
            if (!message.extended || !database->matchesByPgn(message))
                continue;
            const quint32 pgn = message.pgn() & 0xFFFF;
            const QByteArray key = DbcFunction::KeyPrefix + message.name.toLatin1();
            const QString source = database->name;
            const bool wins = database->winsOverLibrary;
            appendEntry(DeviceFactoryEntry(key, {ItemAddress::Pgn, pgn}, message.name,
                                           message.comment, QString(), [message, source, wins] {
                                               auto *function = new DbcFunction(message);
                                               function->setSource(source, wins);
                                               return function;
                                           }));
            if (wins)
                winning.insert(key);
        }
    }
    {
        std::lock_guard<std::mutex> winners(m_winningLock);
        m_dbcWinning = winning;
    }
    m_dbcGeneration.store(generation);
}

QObject *UnknownPgnFactory::owner() const
{
    return m_device.data();
}

void UnknownPgnFactory::appendXmlDescFile(const QString &path)
{
    // Every J1939 unit's catalogue holds the library's entries: they are made once per file
    // while it stays the same (size and time), not again for each unit auto-detection finds.
    // Per thread, as the entries' texts are shared with the copies handed out.
    struct Made
    {
        qint64 size = -1;
        QDateTime modified;
        QVector<DeviceFactoryEntry> entries;
    };
    thread_local QHash<QString, Made> made;
    const QFileInfo info(path);
    auto cached = made.find(path);
    if (cached == made.end() || cached->size != info.size()
        || cached->modified != info.lastModified()) {
        Made fresh{info.size(), info.lastModified(), {}};
        for (const QDomElement &func : DescriptionFiles::readFunctionLibrary(path)) {
            bool ok = false;
            const uint pgn = func.attribute(QStringLiteral("address")).toUInt(&ok, 16);
            DeviceFactoryEntry entry
                = j1939PgnEntry(func.attribute(QStringLiteral("key")).toLatin1(), ok ? pgn : 0u,
                                func.firstChildElement(QStringLiteral("name")).text(),
                                &XmlStaticPgnJ1939DeviceFunction::staticMetaObject);
            entry.xml = elementToXml(func);
            fresh.entries.append(entry);
        }
        cached = made.insert(path, fresh);
    }
    for (const DeviceFactoryEntry &entry : qAsConst(cached->entries))
        appendEntry(entry);
}

DeviceFactoryEntry UnknownPgnFactory::fallbackEntry(const QByteArray &key) const
{
    // A group of a database the bus no longer has (a scheme's database missing) comes back raw
    // rather than taking the unit's other functions with it.
    if (key.startsWith(DbcFunction::KeyPrefix))
        return unknownEntry();
    return AbstractDeviceFactory::fallbackEntry(key);
}

bool UnknownPgnFactory::isManualOnly(const QByteArray &key) const
{
    return m_byHandOnly.contains(key);
}

AbstractDisplayableItem *UnknownPgnFactory::createDeviceFromPgn(quint32 pgn)
{
    syncDbcEntries();
    QSet<QByteArray> winning;
    {
        std::lock_guard<std::mutex> locker(m_winningLock);
        winning = m_dbcWinning;
    }
    const bool pdu1 = ((pgn >> 8) & 0xFF) < 0xF0;
    const QList<DeviceFactoryEntry> list = entries();
    const auto matches = [&](const DeviceFactoryEntry &e) {
        if (isManualOnly(e.key))
            return false;
        return pdu1 ? ((e.address.value >> 8) & 0xFF) == ((pgn >> 8) & 0xFF)
                          && e.address.value <= 0xFFFF
                    : e.address.value == pgn;
    };
    // The groups of a database the engineer put before the library first, then in order. The
    // program's own classes (trouble codes, address claims, requests) keep their groups: the
    // rest of the program reads their items.
    int found = -1;
    const bool builtIn
        = !winning.isEmpty()
          && std::any_of(list.cbegin(), list.cend(), [&](const DeviceFactoryEntry &e) {
                 return matches(e) && m_builtIn.contains(e.key);
             });
    for (int i = 0; found < 0 && !builtIn && !winning.isEmpty() && i < list.size(); ++i) {
        if (matches(list.at(i)) && winning.contains(list.at(i).key))
            found = i;
    }
    for (int i = 0; found < 0 && i < list.size(); ++i) {
        if (matches(list.at(i)))
            found = i;
    }
    if (found < 0 || list.at(found).instance)
        return nullptr;
    return createDeviceAt(found, NoAddress);
}

AbstractDisplayableItem *UnknownPgnFactory::createDevice(const CanMessage &frame)
{
    quint32 pgn = (frame.id >> 8) & 0xFFFF;
    if (pgn == BroadcastAnnouncement)
        pgn = quint32(frame.data[5]) | quint32(frame.data[6]) << 8;
    return createDeviceFromPgn(pgn);
}

namespace {

// The group of a frame the auto-detection offers: a completed broadcast's own, else the frame's.
quint32 offeredGroup(const CanMessage &frame, const DispatchResult &result)
{
    return !result.payload.isEmpty() ? (result.pgn & 0xFFFF) : (frame.id >> 8) & 0xFFFF;
}

bool isTransportGroup(quint32 pgn)
{
    const quint32 pf = pgn >> 8;
    return pf == (BroadcastData >> 8) || pf == (BroadcastAnnouncement >> 8);
}

} // namespace

AbstractDisplayableItem *UnknownPgnFactory::createDevice(const CanMessage &frame,
                                                         const DispatchResult &result)
{
    const quint32 pgn = offeredGroup(frame, result);
    if (pgn == BroadcastData || pgn == BroadcastAnnouncement)
        return nullptr;
    return createDeviceFromPgn(pgn);
}

AbstractDisplayableItem *UnknownPgnFactory::createRawFunction(const CanMessage &frame,
                                                              const DispatchResult &result)
{
    if (!frame.extended)
        return nullptr;
    quint32 pgn = offeredGroup(frame, result);
    // Connections and their data belong to the unit, not to a group of their own.
    if (isTransportGroup(pgn))
        return nullptr;
    // A PDU1 group is one whatever its destination.
    if (CanMessage::isPdu1(quint8(pgn >> 8)))
        pgn &= 0xFF00;
    return createDevice(unknownEntry(), {ItemAddress::Pgn, pgn});
}
