#include "descriptions/variablefactory.h"

#include "can/canmessage.h"

#include <QCoreApplication>

VariableFactory::VariableFactory(QObject *owner, const QVector<Description> &table,
                                 const char *context, Creator creator)
    : AbstractDeviceFactory(nullptr)
    , m_owner(owner)
    , m_creator(std::move(creator))
{
    for (const Description &d : table) {
        const QByteArray key(d.key);
        appendEntry(varEntry(key, QCoreApplication::translate(context, d.key),
                             QCoreApplication::translate(context, d.description), m_creator));
    }
}

DeviceFactoryEntry VariableFactory::varEntry(const QByteArray &key, const QString &name,
                                             const QString &description, const Creator &creator)
{
    return DeviceFactoryEntry(key, {ItemAddress::Variable, nameNumber(key)}, name, description,
                              QString(), creator);
}

quint32 VariableFactory::nameNumber(const QByteArray &key)
{
    if (key.size() < 2)
        return ItemAddress::Unassigned;
    return quint32(quint8(key.at(0))) << 8 | quint8(key.at(1));
}

bool VariableFactory::isPrintableName(quint32 number)
{
    const auto printable = [](quint32 c) { return c >= 0x20 && c <= 0x7E; };
    return number <= 0xFFFF && printable(number >> 8) && printable(number & 0xFF);
}

AbstractDisplayableItem *VariableFactory::createDevice(const CanMessage &frame)
{
    // Bytes 1-2 carry the name; a shorter frame names nothing.
    if (frame.length < 3)
        return nullptr;
    const quint32 number = quint32(frame.data[1]) << 8 | frame.data[2];
    const QList<DeviceFactoryEntry> list = entries();
    for (int i = 0; i < list.size(); ++i) {
        if (nameNumber(list.at(i).key) == number)
            return createDeviceAt(i, NoAddress);
    }
    if (!m_anyName || !isPrintableName(number))
        return nullptr;
    QByteArray key;
    key.append(char(number >> 8)).append(char(number & 0xFF));
    return AbstractDeviceFactory::createDevice(
        varEntry(key, QString::fromLatin1(key), QString(), m_creator), NoAddress);
}
