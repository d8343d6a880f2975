#pragma once

#include "can/abstractserialcanhandler.h"
#include "can/zentraxv1codec.h"

// Driver of the maker's USB-CAN adapter (serial protocol version 1). Bus thread.
class ZentraxV1CanHandler : public AbstractSerialCanHandler
{
    Q_OBJECT

public:
    explicit ZentraxV1CanHandler(AbstractCanMessageDispatcher *dispatcher,
                                 QObject *parent = nullptr);
    ~ZentraxV1CanHandler() override;

    bool writePacket(quint8 id, const quint8 *data, int length);

public slots:
    bool setBaudRateImpl(unsigned rate) override;

protected slots:
    bool setTransceiverInThreadImpl(unsigned id) override;
    bool startInThreadImpl() override;

protected:
    int decoderRoom() const override;
    void feedDecoder(const char *data, int size) override;
    int decode(QVector<CanMessage> *out, int maxFrames) override;
    void sendMessagesImpl(const CanMessage *messages, unsigned count, bool *ok) override;

private:
    ZentraxV1Codec m_codec;
    QByteArray m_packet;
};
