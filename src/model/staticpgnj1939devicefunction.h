#pragma once

#include "model/j1939devicefunction.h"

// A J1939 function bound to one fixed parameter group.
class StaticPgnJ1939DeviceFunction : public J1939DeviceFunction
{
    Q_OBJECT

public:
    StaticPgnJ1939DeviceFunction(quint8 pf, quint8 ps, QObject *parent = nullptr);

    bool matchMessage(const CanMessage &message) override;
    void transmitData(const unsigned char *data, unsigned int length) override;

    quint8 pduFormat() const { return m_pf; }
    quint8 pduSpecific() const { return m_ps; }
    // PS | PF << 8: the 16 low bits of the PGN.
    quint32 pgnValue() const { return quint32(m_ps) | quint32(m_pf) << 8; }
    quint32 canMessageId() const;

protected:
    void setPgn(quint8 pf, quint8 ps);

private:
    quint8 m_pf;
    quint8 m_ps;
};
