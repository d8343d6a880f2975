#include "can/guimessagenotifier.h"

namespace {
constexpr int DefaultIntervalMs = 50;
} // namespace

GuiMessageNotifier::GuiMessageNotifier(AbstractCanHandler *handler, QObject *parent)
    : QObject(parent)
    , m_timer(this)
    , m_handler(handler)
{
    m_timer.setInterval(DefaultIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &GuiMessageNotifier::slotCheckQueue);
    m_timer.start();
}

GuiMessageNotifier::~GuiMessageNotifier() = default;

void GuiMessageNotifier::slotCheckQueue()
{
    AbstractCanHandler *handler = m_handler.load();
    if (!handler || handler->isMessageQueueEmpty())
        return;
    AbstractCanHandler::MessagePack pack = handler->dequeuePack();
    while (!handler->isMessageQueueEmpty())
        pack += handler->dequeuePack();
    emit notifyPack(pack);
}

void GuiMessageNotifier::setNotifyInterval(int ms)
{
    m_timer.setInterval(ms);
    emit notifyIntervalChanged(ms);
}
