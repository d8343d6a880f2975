#pragma once

#include <mutex>

#include "can/abstractcanhandler.h"

#include <QSerialPort>
#include <QStringList>

// Common half of the adapters reached through a serial port: the port list, selection and start
// forwarded into the bus thread, and an unplugged adapter turned into a receive error. The port
// is created in and used only by the bus thread.
class AbstractSerialCanHandler : public AbstractCanHandler
{
    Q_OBJECT

public:
    static constexpr qint32 LineBaudRate = 921600;

    explicit AbstractSerialCanHandler(AbstractCanMessageDispatcher *dispatcher,
                                      QObject *parent = nullptr);

    QList<QPair<int, QString>> transceivers() override;
    unsigned transceiversCount() override;
    // Listed names, and any serial device path (udev links, pseudo-terminals), which joins the
    // list.
    int transceiverIndexForName(const QString &name) override;

protected slots:
    virtual bool setTransceiverInThreadImpl(unsigned id) = 0;
    virtual bool startInThreadImpl() = 0;

protected:
    bool setTransceiverImpl(unsigned id) override;
    // Reads what fits into the decoder, decodes up to a batch of frames (leftovers from the last
    // call first) and delivers them; false when the port failed.
    bool receiveMessagesImpl(unsigned *count) override;
    // The wire protocol's stream decoder.
    virtual int decoderRoom() const = 0;
    virtual void feedDecoder(const char *data, int size) = 0;
    virtual int decode(QVector<CanMessage> *out, int maxFrames) = 0;
    bool startImpl() override;
    bool stopImpl() override;

    QSerialPort *port() { return m_port; }
    QString cachedPortName(unsigned id) const;
    // Opens the port under `name` for reading and writing; sets lastError to "" or the fault text.
    bool openPort(const QString &name);
    void updateTrivialPortParameters();
    // Reads at most `room` bytes; -1 (with lastError) when the port failed or was unplugged.
    qint64 readPort(char *buffer, qint64 room);

private:
    void onPortError(QSerialPort::SerialPortError error);
    bool invokeInThread(const char *method, const char *faultText, unsigned *id);

    mutable std::mutex m_cacheMutex;
    QList<QPair<int, QString>> m_transceiverCache;
    QStringList m_extraPorts; // paths the user named that the system does not list
    QSerialPort *m_port = nullptr;
};
