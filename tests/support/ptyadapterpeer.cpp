#include "support/ptyadapterpeer.h"

#include <QSocketNotifier>

#include <cerrno>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

PtyAdapterPeer::PtyAdapterPeer(QObject *parent)
    : QObject(parent)
{}

PtyAdapterPeer::~PtyAdapterPeer()
{
    unplug();
}

bool PtyAdapterPeer::open()
{
    char name[256] = {};
    if (::openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0)
        return false;
    // Raw from the start: no echo, no line editing, no CR/LF translation.
    termios tio;
    ::tcgetattr(m_slave, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(m_slave, TCSANOW, &tio);
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    m_path = QString::fromLocal8Bit(name);
    m_notifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &PtyAdapterPeer::readMaster);
    return true;
}

bool PtyAdapterPeer::deliver(const QByteArray &bytes, int chunk)
{
    if (m_master < 0)
        return false;
    if (chunk <= 0)
        chunk = int(bytes.size());
    for (int offset = 0; offset < bytes.size(); offset += chunk) {
        const int n = std::min(chunk, int(bytes.size()) - offset);
        int done = 0;
        while (done < n) {
            const ssize_t w
                = ::write(m_master, bytes.constData() + offset + done, size_t(n - done));
            if (w < 0 && errno != EAGAIN && errno != EINTR)
                return false;
            if (w > 0)
                done += int(w);
        }
        ::tcdrain(m_master);
    }
    return true;
}

void PtyAdapterPeer::readMaster()
{
    char buffer[4096];
    QByteArray fresh;
    for (;;) {
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n <= 0)
            break;
        fresh.append(buffer, int(n));
    }
    if (fresh.isEmpty())
        return;
    m_written += fresh;
    handleWritten(fresh);
    emit bytesWritten();
}

void PtyAdapterPeer::handleWritten(const QByteArray &) {}

void PtyAdapterPeer::unplug()
{
    delete m_notifier;
    m_notifier = nullptr;
    if (m_master >= 0)
        ::close(m_master);
    if (m_slave >= 0)
        ::close(m_slave);
    m_master = m_slave = -1;
}
