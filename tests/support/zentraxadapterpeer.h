#pragma once

#include "support/ptyadapterpeer.h"

// The maker's adapter as seen from its side of the line: answers a settings packet with a
// settings report and remembers the bit-rate code.
class ZentraxAdapterPeer : public PtyAdapterPeer
{
    Q_OBJECT

public:
    using PtyAdapterPeer::PtyAdapterPeer;

    int lastBitRateCode() const { return m_bitRateCode; }

protected:
    void handleWritten(const QByteArray &bytes) override;

private:
    QByteArray m_pending;
    int m_bitRateCode = -1;
};
