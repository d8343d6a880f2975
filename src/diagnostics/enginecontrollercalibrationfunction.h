#pragma once

#include "model/j1939devicefunction.h"

#include <QTimer>

// An engine-controller calibration run: while started, a 250 ms tick that for now only logs.
// Bus thread once registered; Start and Stop arrive as queued calls.
class EngineControllerCalibrationFunction : public J1939DeviceFunction
{
    Q_OBJECT

public:
    static constexpr int TickMs = 250;

    explicit EngineControllerCalibrationFunction(QObject *parent = nullptr);

    bool matchMessage(const CanMessage &message) override;
    AbstractSchemeTreeItem *createTreeItem() override;
    bool isRunning() const { return m_running.load(); }
    QTimer *calibrationTimer() { return &m_calibrationTimer; }

public slots:
    void slotStart();
    void slotStop();
    void slotTick();

private:
    QTimer m_calibrationTimer;
    std::atomic<bool> m_running{false};
};
