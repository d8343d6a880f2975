#include "can/i7565canhandler.h"

#include <QDebug>

namespace {
constexpr int SendBufferReserve = 4096;
}

I7565CanHandler::I7565CanHandler(AbstractCanMessageDispatcher *dispatcher, QObject *parent)
    : AbstractSerialCanHandler(dispatcher, parent)
{
    m_lines.reserve(SendBufferReserve);
}

I7565CanHandler::~I7565CanHandler()
{
    stop();
}

bool I7565CanHandler::setTransceiverInThreadImpl(unsigned id)
{
    m_codec.clear();
    return openPort(cachedPortName(id));
}

bool I7565CanHandler::startInThreadImpl()
{
    if (!port()->isOpen() && !port()->open(QIODevice::ReadWrite))
        return false;
    updateTrivialPortParameters();
    return writeCommand("C");
}

bool I7565CanHandler::setBaudRateImpl(unsigned rate)
{
    const QByteArray command = I7565Codec::encodeBitRate(rate);
    return !command.isEmpty() && writeCommand(command.constData());
}

bool I7565CanHandler::writeCommand(const char *command)
{
    QByteArray line(command);
    line.append(I7565Codec::LineEnd);
    const bool ok = port()->write(line) == line.size();
    port()->flush();
    return ok;
}

void I7565CanHandler::sendMessagesImpl(const CanMessage *messages, unsigned count, bool *ok)
{
    m_lines.clear();
    for (unsigned i = 0; i < count; ++i)
        I7565Codec::encodeFrame(messages[i], &m_lines);
    *ok = port()->write(m_lines) == m_lines.size();
    port()->flush();
}

int I7565CanHandler::decoderRoom() const
{
    return m_codec.room();
}

void I7565CanHandler::feedDecoder(const char *data, int size)
{
    m_codec.feed(data, size);
}

int I7565CanHandler::decode(QVector<CanMessage> *out, int maxFrames)
{
    return m_codec.decode(out, maxFrames);
}
