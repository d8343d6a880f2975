#include "support/adapterharness.h"
#include "support/testcanhandler.h"

#include <QElapsedTimer>
#include <QtTest>

QList<AbstractCanHandler::MessagePack> drainPacks(AbstractCanHandler &handler)
{
    QList<AbstractCanHandler::MessagePack> packs;
    while (!handler.isMessageQueueEmpty())
        packs.append(handler.dequeuePack());
    return packs;
}

AbstractCanHandler::MessagePack drainAll(AbstractCanHandler &handler)
{
    AbstractCanHandler::MessagePack all;
    while (!handler.isMessageQueueEmpty())
        all += handler.dequeuePack();
    return all;
}

QVector<CanMessage> drainReceived(AbstractCanHandler &handler)
{
    QVector<CanMessage> frames;
    for (const auto &pair : drainAll(handler)) {
        if (pair.second.isReceived())
            frames.append(pair.first);
    }
    return frames;
}

QVector<CanMessage> collectReceived(AbstractCanHandler &handler, int count, int timeoutMs)
{
    QVector<CanMessage> frames;
    QElapsedTimer clock;
    clock.start();
    while (frames.size() < count && clock.elapsed() < timeoutMs) {
        QTest::qWait(2);
        frames += drainReceived(handler);
    }
    return frames;
}

QVector<CanMessage> someFrames(int count)
{
    QVector<CanMessage> frames;
    for (int i = 0; i < count; ++i)
        frames << makeFrame(0x18FF0000u | quint32(i), {quint8(i), 0xA5});
    return frames;
}
