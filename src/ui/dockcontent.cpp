#include "ui/dockcontent.h"

#include <QDockWidget>
#include <QFrame>
#include <QScrollArea>

void setScrolledDockContent(QDockWidget *dock, QWidget *content)
{
    auto *area = new QScrollArea(dock);
    area->setObjectName(dock->objectName() + QStringLiteral("Scroll"));
    area->setFrameShape(QFrame::NoFrame);
    area->setWidgetResizable(true);
    area->setWidget(content);
    dock->setWidget(area);
}

QWidget *dockContent(QDockWidget *dock)
{
    if (auto *area = qobject_cast<QScrollArea *>(dock->widget()))
        return area->widget();
    return dock->widget();
}
