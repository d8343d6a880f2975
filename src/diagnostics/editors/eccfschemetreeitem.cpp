#include "diagnostics/editors/eccfschemetreeitem.h"

#include "diagnostics/enginecontrollercalibrationfunction.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QWidget>

ECCFSChemeTreeItem::ECCFSChemeTreeItem(EngineControllerCalibrationFunction *function)
    : AbstractSchemeTreeItem(function)
    , m_function(function)
{}

QWidget *ECCFSChemeTreeItem::createWidget()
{
    if (!m_function)
        return AbstractSchemeTreeItem::createWidget();
    auto *widget = new QWidget;
    auto *row = new QHBoxLayout(widget);
    row->setContentsMargins(0, 0, 0, 0);
    for (const auto &[text, name, method] :
         {std::tuple{tr("Start"), "start", "slotStart"}, std::tuple{tr("Stop"), "stop", "slotStop"}}) {
        auto *button = new QPushButton(text);
        button->setObjectName(QLatin1String(name));
        row->addWidget(button);
        const char *slot = method;
        connect(button, &QPushButton::clicked, widget, [this, slot] {
            if (m_function)
                QMetaObject::invokeMethod(m_function, slot, Qt::QueuedConnection);
        });
    }
    auto *state = new QLabel;
    state->setObjectName(QStringLiteral("state"));
    row->addWidget(state, 1);
    m_states.append(state);
    refreshState();
    return widget;
}

bool ECCFSChemeTreeItem::doUpdate()
{
    const bool changed = AbstractSchemeTreeItem::doUpdate();
    if (changed)
        refreshState();
    return changed;
}

void ECCFSChemeTreeItem::refreshState()
{
    m_states.removeAll(QPointer<QLabel>());
    if (!m_function)
        return;
    const QString text = m_function->isRunning() ? tr("Calibration running")
                                                 : tr("Calibration stopped");
    for (const QPointer<QLabel> &label : qAsConst(m_states))
        label->setText(text);
}
