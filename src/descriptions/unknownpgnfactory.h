#pragma once

#include "descriptions/abstractdevicefactory.h"

#include <QPointer>
#include <QSet>

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
    // The catalogue of the bus a unit auto-detection makes is about to join: its DBC databases
    // count for the unit's first function already. Once the unit is on a bus, the bus's counts.
    void setBusCatalogue(const CanDeviceFactory *catalogue);

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
    // A raw function (the unknown entry) for the frame's group when no entry describes it, so
    // that every group a unit sends is listed; none for transport frames or a listed group.
    AbstractDisplayableItem *createRawFunction(const CanMessage &frame,
                                               const DispatchResult &result);

    static DeviceFactoryEntry j1939PgnEntry(const QByteArray &key, quint32 pgn, const QString &name,
                                            const QMetaObject *metaObject);

private:
    // The groups of the bus's DBC databases (CanDeviceFactory::dbcDatabases), after the library's.
    void appendDbcMessages();
    QPointer<J1939Device> m_device;
    QPointer<const CanDeviceFactory> m_busCatalogue;
    QSet<QByteArray> m_byHandOnly;
    bool m_dbcAppended = false;
    QSet<QByteArray> m_dbcWinning; // keys of groups whose database wins over the library
    QSet<QByteArray> m_builtIn;    // keys of the program's own classes (J1939Reg, registry)
};
