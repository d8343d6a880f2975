#pragma once

#include "support/ptyadapterpeer.h"

#include <QStringList>

// The I-7565 converter's side of the line: records command lines and acknowledges "C" and "P1x"
// with an empty line.
class I7565AdapterPeer : public PtyAdapterPeer
{
    Q_OBJECT

public:
    using PtyAdapterPeer::PtyAdapterPeer;

    QStringList lines() const { return m_lines; }

protected:
    void handleWritten(const QByteArray &bytes) override;

private:
    QByteArray m_pending;
    QStringList m_lines;
};
