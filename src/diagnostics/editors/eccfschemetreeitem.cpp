#include "diagnostics/editors/eccfschemetreeitem.h"

#include "diagnostics/enginecontrollercalibrationfunction.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QWidget>

ECCFSChemeTreeItem::ECCFSChemeTreeItem(EngineControllerCalibrationFunction *function)
    : AbstractSchemeTreeItem(function)
    , m_function(function)
{}

QWidget *ECCFSChemeTreeItem::createWidget(unsigned int kind)
{
    if (kind != 1)
        return AbstractSchemeTreeItem::createWidget(kind);
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
    return widget;
}
