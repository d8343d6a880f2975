#pragma once

#include "model/j1939devicefunction.h"

class VariableFactory;

// The tune variables a unit exchanges in proprietary A frames (0xEF) and their acknowledgements
// (0xE8); a variable is made for each known name that appears. Bus thread once registered; its
// variable factory stays in the GUI thread.
class TuneFunction : public J1939DeviceFunction
{
    Q_OBJECT

public:
    // Stable PGN address: scheme files find the function of a device by it.
    static constexpr quint32 PgnAddress = 0xEF00;

    explicit TuneFunction(QObject *parent = nullptr);
    ~TuneFunction() override;

    bool matchMessage(const CanMessage &message) override;
    bool matchTargetMessage(const CanMessage &message) override;
    // Answers to a variable's own request reach it whatever its state.
    bool dispatchMessageImpl(const CanMessage &message, DispatchResult *result) override;
    void updateUserReadableAddress() override;
    AbstractDeviceFactory *subFactory() override;
    // The variables follow their function's state, as functions follow their device's.
    bool setState(int v) override;
    bool hasSubFactory() const override { return true; }

    static const QVector<const char *> &names();

private:
    VariableFactory *m_factory = nullptr;
};
