#pragma once

#include "model/abstractdisplayableitem.h"

// A function (message) of a J1939 device.
class J1939DeviceFunction : public AbstractDisplayableItem
{
    Q_OBJECT

public:
    explicit J1939DeviceFunction(QObject *parent = nullptr);

    quint8 defaultPriority() const { return m_defaultPriority.load(); }
    // Kept as given; frame identifiers use its low three bits.
    void setDefaultPriority(quint8 priority) { m_defaultPriority.store(priority); }
    // The parent device's address.
    quint8 j1939DeviceAddress() const;
    static QString schemeTag() { return QStringLiteral("func"); }
    void saveItemToXmlNodeImpl(QDomElement &element) override;

private:
    std::atomic<quint8> m_defaultPriority{6};
};
