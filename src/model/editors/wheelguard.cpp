#include "model/editors/wheelguard.h"

#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QChildEvent>
#include <QComboBox>
#include <QEvent>
#include <QWidget>

namespace {
// Set on every guarded widget, so a widget is guarded once however often it is polished.
const char *const GuardedProperty = "tarvikWheelGuard";

bool hasFocusWithin(const QWidget *widget)
{
    const QWidget *focus = QApplication::focusWidget();
    return widget->hasFocus() || (focus && widget->isAncestorOf(focus));
}
} // namespace

WheelGuard::WheelGuard(QWidget *root)
    : QObject(root)
{
    setObjectName(QStringLiteral("wheelGuard"));
}

void WheelGuard::install(QWidget *root)
{
    if (!root || isGuarded(root))
        return;
    auto *guard = new WheelGuard(root);
    guard->guard(root);
    for (QWidget *child : root->findChildren<QWidget *>())
        guard->guard(child);
}

bool WheelGuard::isGuarded(const QWidget *widget)
{
    return widget && widget->property(GuardedProperty).toBool();
}

bool WheelGuard::isValueEditor(const QWidget *widget)
{
    return qobject_cast<const QAbstractSpinBox *>(widget) || qobject_cast<const QComboBox *>(widget)
           || qobject_cast<const QAbstractSlider *>(widget);
}

void WheelGuard::guard(QWidget *widget)
{
    if (isGuarded(widget))
        return;
    widget->setProperty(GuardedProperty, true);
    widget->installEventFilter(this);
    // With wheel focus the first turn would focus the editor and the next ones change it.
    if (isValueEditor(widget) && (widget->focusPolicy() & Qt::WheelFocus) == Qt::WheelFocus)
        widget->setFocusPolicy(Qt::StrongFocus);
}

bool WheelGuard::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::Wheel: {
        auto *widget = qobject_cast<QWidget *>(watched);
        if (!widget || !isValueEditor(widget) || hasFocusWithin(widget))
            return false;
        // Not taken here: the wheel goes on to the parents, so the panel scrolls.
        event->ignore();
        return true;
    }
    case QEvent::ChildPolished: {
        auto *child = qobject_cast<QWidget *>(static_cast<QChildEvent *>(event)->child());
        if (child) {
            guard(child);
            for (QWidget *grandChild : child->findChildren<QWidget *>())
                guard(grandChild);
        }
        return false;
    }
    default:
        return false;
    }
}
