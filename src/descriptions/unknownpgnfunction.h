#pragma once

#include "model/j1939devicefunction.h"

class RawDataParameter;

// The function for a PGN without a description: shows the last payload as raw bytes.
class UnknownPgnFunction : public J1939DeviceFunction
{
    Q_OBJECT

public:
    explicit UnknownPgnFunction(QObject *parent = nullptr);
    ~UnknownPgnFunction() override;

    bool matchMessage(const CanMessage &message) override;
    bool dispatchMessageImpl(const CanMessage &message, DispatchResult *result) override;
    RawDataParameter *dataParameter() const { return m_data; }

private:
    RawDataParameter *m_data;
};
