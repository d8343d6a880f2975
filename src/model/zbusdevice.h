#pragma once

#include "model/abstractdisplayableitem.h"
#include "model/zbusmessage.h"

class ZxBoolParameter;

// A sensor behind the controller's sensor-bus bridge, addressed by its sensor address.
class ZBusDevice : public AbstractDisplayableItem
{
    Q_OBJECT

public:
    explicit ZBusDevice(quint8 address = 0, QObject *parent = nullptr);

    bool matchMessage(const CanMessage &message) override;
    bool matchMessage(const ZBusMessage &message) const;
    void transmitState() override;
    void saveItemToXmlNodeImpl(QDomElement &element) override;
    bool dispatchMessageImpl(const CanMessage &message, DispatchResult *result) override;

    virtual QString decodeMessage(const ZBusMessage &message);
    virtual bool dispatchMessage(const ZBusMessage &message) = 0;
    using AbstractDisplayableItem::dispatchMessage;

    // Sends up to 7 bytes (0xFF-filled; all 0xFF while "FAULT" is set) through the bridge.
    void sendMessage(const unsigned char *data, unsigned int length);
    void sendMessage(const ZBusMessage &message);
    using AbstractDisplayableItem::sendMessage;

    ZxBoolParameter *faultParameter() const { return m_fault; }
    static QString schemeTag() { return QStringLiteral("func"); }

private:
    ZxBoolParameter *m_fault = nullptr;
};
