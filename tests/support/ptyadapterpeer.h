#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QSocketNotifier;

// The far end of a pseudo-terminal pair standing in for a USB-CAN adapter. The production handler
// opens the slave side by name through QSerialPort like a real port; the test drives the master
// side: it records what the handler wrote, delivers bytes in chosen chunks, answers commands
// (in subclasses) and can pull the plug.
class PtyAdapterPeer : public QObject
{
    Q_OBJECT

public:
    explicit PtyAdapterPeer(QObject *parent = nullptr);
    ~PtyAdapterPeer() override;

    bool open();
    QString portPath() const { return m_path; }
    bool isOpen() const { return m_master >= 0; }

    // Writes to the handler in pieces of `chunk` bytes (all at once when 0).
    bool deliver(const QByteArray &bytes, int chunk = 0);
    QByteArray written() const { return m_written; }
    void clearWritten() { m_written.clear(); }
    // Closes both ends, as when the adapter is unplugged.
    void unplug();

signals:
    void bytesWritten();

protected:
    // Called with what the handler just wrote; subclasses answer commands here.
    virtual void handleWritten(const QByteArray &bytes);

private:
    void readMaster();

    int m_master = -1;
    int m_slave = -1;
    QString m_path;
    QSocketNotifier *m_notifier = nullptr;
    QByteArray m_written;
};
