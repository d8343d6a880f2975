#pragma once

#include "model/candevice.h"

// A node addressed by one 11-bit identifier.
class SidDevice : public CanDevice
{
    Q_OBJECT

public:
    explicit SidDevice(quint32 sid = 0, QObject *parent = nullptr);

    bool matchMessage(const CanMessage &message) override;
    void updateUserReadableAddress() override;
    void transmitData(const unsigned char *data, unsigned int length) override;
    bool applyXmlData(QDomElement &element) override;
};
