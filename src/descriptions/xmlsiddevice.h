#pragma once

#include "model/siddevice.h"

class QDomElement;

// A SID device described by a <device type="sid"> element.
class XmlSidDevice : public SidDevice
{
    Q_OBJECT

public:
    Q_INVOKABLE explicit XmlSidDevice(const QString &xml);
    explicit XmlSidDevice(const QDomElement &element);

    void transmitState() override;
    bool dispatchMessageImpl(const CanMessage &message, DispatchResult *result) override;
    bool applyXmlData(QDomElement &element) override;

private:
    void init(const QDomElement &element);
};
