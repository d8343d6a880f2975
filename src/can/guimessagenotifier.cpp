#include "can/guimessagenotifier.h"

namespace {
GuiMessageNotifier *s_instance = nullptr;
constexpr int DefaultIntervalMs = 50;
} // namespace

GuiMessageNotifier::GuiMessageNotifier(QObject *parent)
    : QObject(parent)
    , m_timer(this)
{
    s_instance = this;
    m_timer.setInterval(DefaultIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &GuiMessageNotifier::slotCheckQueue);
    m_timer.start();
}

GuiMessageNotifier::~GuiMessageNotifier()
{
    if (s_instance == this)
        s_instance = nullptr;
}

GuiMessageNotifier *GuiMessageNotifier::instance()
{
    return s_instance;
}

void GuiMessageNotifier::slotCheckQueue()
{
    AbstractCanHandler *handler = AbstractCanHandler::instance();
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
