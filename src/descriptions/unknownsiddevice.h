#pragma once

#include "model/siddevice.h"

class RawDataParameter;

// A SID device for an identifier without a description: shows the last payload as raw bytes.
class UnknownSidDevice : public SidDevice
{
    Q_OBJECT

public:
    explicit UnknownSidDevice(QObject *parent = nullptr);

    bool dispatchMessageImpl(const CanMessage &message, DispatchResult *result) override;
    RawDataParameter *dataParameter() const { return m_data; }

private:
    RawDataParameter *m_data;
};
