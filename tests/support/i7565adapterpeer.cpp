#include "support/i7565adapterpeer.h"

void I7565AdapterPeer::handleWritten(const QByteArray &bytes)
{
    m_pending += bytes;
    int end;
    while ((end = m_pending.indexOf('\r')) >= 0) {
        const QString line = QString::fromLatin1(m_pending.left(end));
        m_pending.remove(0, end + 1);
        m_lines << line;
        if (line == QLatin1String("C") || line.startsWith(QLatin1String("P1")))
            deliver("\r");
    }
}
