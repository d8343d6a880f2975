#include "model/zxparameterlink.h"

#include "model/abstractdisplayableitem.h"
#include "model/editors/notavailablespinbox.h"
#include "model/editors/wheelguard.h"
#include "model/zxparameter.h"

#include <QCoreApplication>
#include <QEvent>
#include <QHelpEvent>
#include <QToolTip>
#include <QWidget>

ZxParameterLink::ZxParameterLink(ZxParameter *parameter, QObject *parent)
    : QObject(parent)
    , m_parameter(parameter)
{}

void ZxParameterLink::setDisplayable(AbstractDisplayableItem *item)
{
    m_item = item;
    m_lastState = item ? item->state() : 0;
}

bool ZxParameterLink::itemIsSending() const
{
    return m_item && AbstractDisplayableItem::isValid(m_item)
           && m_item->state() == AbstractDisplayableItem::Send;
}

QWidget *ZxParameterLink::createWidget(const char **changedSignal)
{
    return createWidget(nullptr, changedSignal);
}

QWidget *ZxParameterLink::createWidget(bool *ok, const char **changedSignal)
{
    bool dummyOk;
    const char *dummySignal;
    prepareEditorOutArgs(ok, changedSignal, &dummyOk, &dummySignal);
    QWidget *widget = createWidgetImpl(ok, changedSignal);
    if (!widget)
        return nullptr;
    widget->setProperty("parameterLink", QVariant::fromValue<QObject *>(this));
    if (itemAwaitsData()) {
        if (auto *na = dynamic_cast<NotAvailableDisplay *>(widget))
            na->setUnavailableText(ZxParameter::notAvailableText());
    }
    widget->setToolTip(m_parameter->toolTipText());
    if (*changedSignal)
        connect(widget, *changedSignal, this, SLOT(slotUpdateParameterFromValue()));
    // Guarded first: the focus policy kept for Send is then one the wheel cannot take.
    WheelGuard::install(widget);
    m_savedFocusPolicy = widget->focusPolicy();
    if (m_lastState != AbstractDisplayableItem::Send)
        widget->setFocusPolicy(Qt::NoFocus);
    widget->installEventFilter(this);
    m_widgets.append(widget);
    return widget;
}

QWidget *ZxParameterLink::createWidgetImpl(bool *ok, const char **changedSignal)
{
    return m_parameter->createWidget(ok, changedSignal);
}

void ZxParameterLink::updateWidgetValue(QWidget *widget)
{
    m_parameter->updateWidgetValue(widget);
    if (itemAwaitsData()) {
        if (auto *na = dynamic_cast<NotAvailableDisplay *>(widget))
            na->setUnavailableText(ZxParameter::notAvailableText());
    }
}

bool ZxParameterLink::itemAwaitsData() const
{
    return m_item && AbstractDisplayableItem::isValid(m_item) && m_item->awaitsData();
}

void ZxParameterLink::updateFromWidget(QWidget *widget)
{
    m_parameter->updateFromWidget(widget);
}

int ZxParameterLink::widgetCount() const
{
    int n = 0;
    for (const QPointer<QWidget> &w : m_widgets)
        n += w ? 1 : 0;
    return n;
}

void ZxParameterLink::doUpdate()
{
    m_updating = true;
    bool changeFocus = false;
    Qt::FocusPolicy focus = Qt::NoFocus;
    const int current
        = m_item && AbstractDisplayableItem::isValid(m_item) ? m_item->state() : m_lastState;
    if (current != m_lastState) {
        m_lastState = current;
        changeFocus = true;
        focus = current == AbstractDisplayableItem::Send ? m_savedFocusPolicy : Qt::NoFocus;
    }
    for (auto it = m_widgets.begin(); it != m_widgets.end();) {
        QWidget *widget = *it;
        if (!widget) {
            it = m_widgets.erase(it);
            continue;
        }
        updateWidgetValue(widget);
        if (changeFocus)
            widget->setFocusPolicy(focus);
        QEvent refresh{static_cast<QEvent::Type>(RefreshEventType)};
        QCoreApplication::sendEvent(widget, &refresh);
        ++it;
    }
    m_updating = false;
}

void ZxParameterLink::slotUpdateParameterFromValue()
{
    if (m_updating)
        return;
    if (auto *widget = qobject_cast<QWidget *>(sender()))
        updateFromWidget(widget);
    if (!m_item || !AbstractDisplayableItem::isValid(m_item))
        return;
    m_item->setUpdateNeeded();
    if ((m_item->deviceType() & AbstractDisplayableItem::Commit) && itemIsSending())
        m_item->requestTransmitState();
}

ZxParameterLink *ZxParameterLink::get(QObject *widget)
{
    if (!widget)
        return nullptr;
    return qobject_cast<ZxParameterLink *>(widget->property("parameterLink").value<QObject *>());
}

bool ZxParameterLink::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        // Values of items the program does not transmit cannot be changed by the mouse.
        return !itemIsSending();
    case QEvent::Wheel:
        if (itemIsSending())
            return false;
        // Refused but not taken: the enclosing panel scrolls instead.
        event->ignore();
        return true;
    case QEvent::ToolTip: {
        auto *help = static_cast<QHelpEvent *>(event);
        auto *widget = qobject_cast<QWidget *>(watched);
        QToolTip::showText(
            help->globalPos(),
            tr("%1 - %2").arg(itemAwaitsData() ? ZxParameter::notAvailableText()
                                               : m_parameter->toString(),
                              widget ? widget->toolTip() : QString()),
            widget);
        return true;
    }
    default:
        return QObject::eventFilter(watched, event);
    }
}
