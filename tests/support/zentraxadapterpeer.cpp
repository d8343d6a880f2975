#include "support/zentraxadapterpeer.h"

void ZentraxAdapterPeer::handleWritten(const QByteArray &bytes)
{
    m_pending += bytes;
    // Settings packet F0 03 03 code; commit packet F0 02 83.
    for (;;) {
        const int settings = m_pending.indexOf(QByteArray::fromHex("f00303"));
        const int commit = m_pending.indexOf(QByteArray::fromHex("f00283"));
        if (settings >= 0 && settings + 3 < m_pending.size()) {
            m_bitRateCode = quint8(m_pending.at(settings + 3));
            deliver(m_pending.mid(settings, 4)); // the adapter reports its settings back
            m_pending.remove(0, settings + 4);
            continue;
        }
        if (commit >= 0) {
            m_pending.remove(0, commit + 3);
            continue;
        }
        break;
    }
    if (m_pending.size() > 64)
        m_pending = m_pending.right(3);
}
