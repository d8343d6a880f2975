#pragma once

#include "model/staticpgnj1939devicefunction.h"

#include <atomic>

// DM5, diagnostic readiness 1 (PGN 0xFECE, 8 bytes): the counts of active and previously active
// trouble codes, the OBD compliance and the support and completion of the monitored systems,
// decoded from the unit's answer and encoded when the tool stands in for the unit. Bus thread;
// the time of the last decoded message is read from any thread.
class DM5Function : public StaticPgnJ1939DeviceFunction
{
    Q_OBJECT

public:
    enum Index {
        Active = 0,
        Previous,
        Obd,
        // The continuously monitored systems, then the non-continuously monitored ones, each a
        // MonitorState.
        FirstMonitor,
        FirstNonContinuous = FirstMonitor + 3,
        MonitorCount = 3 + 13,
        ParameterCount = FirstMonitor + MonitorCount,
    };
    // A monitor's two bits as one value: supported, and if so complete or not.
    enum MonitorState { NotSupported = 0, Complete, NotComplete, NotSupportedNotComplete };
    static constexpr int Length = 8;

    explicit DM5Function(QObject *parent = nullptr);

    bool dispatchMessageImpl(const CanMessage &message, DispatchResult *result) override;
    bool dispatchBroadcastDataImpl(const QByteArray &data) override;
    void transmitState() override;
    AbstractSchemeTreeItem *createTreeItem() override;
    QString textDataImpl() const override;

    bool decode(const QByteArray &data);
    QByteArray encode() const;
    // Milliseconds since the epoch when a message was last decoded; 0 before the first.
    qint64 lastDecodedMs() const { return m_lastDecodedMs.load(); }
    // The text of an OBD compliance value ("EOBD and OBD II"); "Reserved" for the values not
    // assigned, empty for the values of not available (251 to 255).
    static QString obdText(int value);

private:
    std::atomic<qint64> m_lastDecodedMs{0};
};
