#pragma once

#include "descriptions/abstractdevicefactory.h"

#include <QPointer>
#include <QSet>

#include <atomic>
#include <mutex>

class CanDeviceFactory;
class J1939Device;

// The function catalogue of one J1939 device: registered function classes and the function
// library. Owned by its device.
class UnknownPgnFactory : public AbstractDeviceFactory
{
    Q_OBJECT

public:
    explicit UnknownPgnFactory(J1939Device *device);

    QObject *owner() const override;

    void appendXmlDescFile(const QString &path);
    AbstractDisplayableItem *createDeviceFromPgn(quint32 pgn);
    // Kinds the engineer adds by hand that traffic never creates.
    bool isManualOnly(const QByteArray &key) const;
    // The catalogue address of a function bound to no parameter group: above every PGN value,
    // so no frame matches it.
    static constexpr quint32 NoGroupAddress = 0x1FFFF;
    AbstractDisplayableItem *createDevice(const CanMessage &frame) override;
    AbstractDisplayableItem *createDevice(const CanMessage &frame,
                                          const DispatchResult &result) override;
    using AbstractDeviceFactory::createDevice;
    DeviceFactoryEntry fallbackEntry(const QByteArray &key) const override;
    // A raw function (the unknown entry) for the frame's group when no entry describes it, so
    // that every group a unit sends is listed; none for transport frames or a listed group.
    AbstractDisplayableItem *createRawFunction(const CanMessage &frame,
                                               const DispatchResult &result);

    static DeviceFactoryEntry j1939PgnEntry(const QByteArray &key, quint32 pgn, const QString &name,
                                            const QMetaObject *metaObject);

    // Brings the groups of the bus's DBC databases (CanDeviceFactory::dbcDatabases) into the
    // catalogue, after the library's, when they changed since the last look; either thread.
    void syncDbcEntries();
    // The catalogue that made the unit, asked while the unit is on no bus.
    void setMadeBy(const CanDeviceFactory *catalogue) { m_madeBy = catalogue; }

private:
    QPointer<J1939Device> m_device;
    QSet<QByteArray> m_byHandOnly;
    const CanDeviceFactory *m_madeBy = nullptr;
    std::mutex m_dbcLock;
    std::atomic<int> m_dbcGeneration{-1};
    mutable std::mutex m_winningLock;
    QSet<QByteArray> m_dbcWinning; // keys of groups whose database comes before the library
    QSet<QByteArray> m_builtIn;    // keys of the program's own classes (J1939Reg, registry)
};
