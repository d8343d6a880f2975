#pragma once

#include "can/abstractserialcanhandler.h"
#include "can/i7565codec.h"

// Driver of the ICP DAS I-7565 USB-CAN converter (ASCII lines). Bus thread.
class I7565CanHandler : public AbstractSerialCanHandler
{
    Q_OBJECT

public:
    explicit I7565CanHandler(AbstractCanMessageDispatcher *dispatcher, QObject *parent = nullptr);
    ~I7565CanHandler() override;

    bool writeCommand(const char *command);

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
    I7565Codec m_codec;
    QByteArray m_lines;
};
