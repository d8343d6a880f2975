#pragma once

#include "model/guardedvalue.h"
#include "model/itemaddress.h"

#include <QByteArray>
#include <QString>

#include <atomic>

// What names a scheme item: its address, the texts the views show and the key of its catalogue
// entry. Written on either thread and read on both: the address is one atomic word (the
// dispatcher reads it on every frame), the texts are guarded values.
class ItemIdentity
{
public:
    QString name() const { return m_name.load(); }
    void setName(const QString &name) { m_name.store(name); }
    ItemAddress address() const
    {
        const quint64 packed = m_address.load(std::memory_order_acquire);
        ItemAddress a;
        a.kind = int(quint32(packed >> 32));
        a.value = quint32(packed);
        return a;
    }
    void setAddress(const ItemAddress &address)
    {
        m_address.store(pack(address), std::memory_order_release);
        s_addressGeneration.fetch_add(1, std::memory_order_acq_rel);
    }
    // Changes with every setAddress of any item: an index by address knows when to rebuild.
    static quint64 addressGeneration()
    {
        return s_addressGeneration.load(std::memory_order_acquire);
    }
    QString userReadableAddress() const { return m_userReadableAddress.load(); }
    void setUserReadableAddress(const QString &text) { m_userReadableAddress.store(text); }
    QString description() const { return m_description.load(); }
    void setDescription(const QString &text) { m_description.store(text); }
    QString fullDescription() const { return m_fullDescription.load(); }
    void setFullDescription(const QString &text) { m_fullDescription.store(text); }
    QByteArray key() const { return m_key.load(); }
    void setKey(const QByteArray &key) { m_key.store(key); }
    // The set prefix, else the name.
    QString logPrefix() const
    {
        const QString prefix = m_logPrefix.load();
        return prefix.isEmpty() ? name() : prefix;
    }
    void setLogPrefix(const QString &prefix) { m_logPrefix.store(prefix); }
    // "0x" and the value in 2, 4, 6 or 8 hexadecimal digits.
    static QString hexAddressText(quint32 value)
    {
        const int digits = value <= 0xFF ? 2 : value <= 0xFFFF ? 4 : value < 0x1000000 ? 6 : 8;
        return QStringLiteral("0x%1").arg(value, digits, 16, QLatin1Char('0'));
    }

private:
    // Kind in the high half, value in the low: never torn.
    static constexpr quint64 pack(const ItemAddress &a)
    {
        return quint64(quint32(a.kind)) << 32 | a.value;
    }

    GuardedValue<QString> m_name;
    std::atomic<quint64> m_address{pack(ItemAddress())};
    static inline std::atomic<quint64> s_addressGeneration{0};
    GuardedValue<QString> m_userReadableAddress;
    GuardedValue<QString> m_description;
    GuardedValue<QString> m_fullDescription;
    GuardedValue<QByteArray> m_key;
    GuardedValue<QString> m_logPrefix;
};
