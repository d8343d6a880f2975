#pragma once

#include "model/j1939device.h"

// A J1939 device kind described by a <device> element of the device list.
class XmlJ1939Device : public J1939Device
{
    Q_OBJECT

public:
    Q_INVOKABLE explicit XmlJ1939Device(const QString &xml);

    void saveItemToXmlNodeImpl(QDomElement &element) override;
};
