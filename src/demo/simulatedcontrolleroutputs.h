#pragma once

#include "can/simulatedunit.h"

#include <QByteArray>

// The machine controller's outputs as the lower control panel drives them: while the program
// stands in for the panel (sends its state), the controller reports its IO state every 100 ms
// with each output on or off as the panel's buttons and joysticks ask, by the mapping of the
// controller's acceptance test; the recording's own IO-state frames of the controller are
// dropped meanwhile, its last inputs held. Plain bytes only: the unit is created and destroyed
// on whatever thread owns the bus, under its lock.
class SimulatedControllerOutputs : public SimulatedUnit
{
public:
    static constexpr int ReportPeriodMs = 100;
    // Without a panel frame for this long the recording speaks for the controller again.
    static constexpr int PanelSilenceMs = 1000;

    SimulatedControllerOutputs(quint8 controller = 0xA0, quint8 panel = 0x9E);

    void frameSent(const CanMessage &frame, QVector<SimulatedReply> *replies) override;
    void tick(qint64 nowMs, QVector<SimulatedReply> *replies) override;
    bool replacesRecorded(const CanMessage &frame) override;

    bool isActive() const;
    // The 3-bit state the controller reports for an output named as in its IO state ("UP"),
    // -1 for an unknown name.
    int outputState(const char *output) const;
    // The IO-state payload for the current panel state.
    QByteArray report() const;

private:
    bool isDriveOn(int drive) const;

    quint8 m_controller;
    quint8 m_panel;
    QByteArray m_base;       // the recorded IO state the outputs are written into
    QByteArray m_panelState; // the last panel frame the program sent
    qint64 m_nowMs = 0;
    qint64 m_lastPanelMs = -1;
    qint64 m_lastReportMs = -1;
};
