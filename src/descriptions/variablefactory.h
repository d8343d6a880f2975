#pragma once

#include "descriptions/abstractdevicefactory.h"

#include <QPointer>
#include <QVector>

// The catalogue of the named variables of one function (tune or machine-state variables): one
// entry per known two-character name, all made by one creator. Like the function factories it
// has no QObject parent: it stays in the GUI thread while its owner moves to the bus thread, and
// the owner deletes it.
class VariableFactory : public AbstractDeviceFactory
{
    Q_OBJECT

public:
    struct Description
    {
        const char *key;
        const char *description;
    };
    using Creator = DeviceFactoryEntry::Creator;

    VariableFactory(QObject *owner, const QVector<Description> &table, const char *context,
                    Creator creator);

    QObject *owner() const override { return m_owner.data(); }
    // The variable named by bytes 1-2 of the frame; none for unknown names or short frames.
    AbstractDisplayableItem *createDevice(const CanMessage &frame) override;
    using AbstractDeviceFactory::createDevice;

    // Whether any name of two printable ASCII characters makes a variable.
    void setAcceptsAnyName(bool on) { m_anyName = on; }
    bool acceptsAnyName() const { return m_anyName; }

    static DeviceFactoryEntry varEntry(const QByteArray &key, const QString &name,
                                       const QString &description, const Creator &creator);
    // First character << 8 | second character.
    static quint32 nameNumber(const QByteArray &key);
    static bool isPrintableName(quint32 number);

private:
    QPointer<QObject> m_owner;
    Creator m_creator;
    bool m_anyName = false;
};
