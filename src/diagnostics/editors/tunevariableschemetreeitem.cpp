#include "diagnostics/editors/tunevariableschemetreeitem.h"

#include "diagnostics/tunevariable.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

TuneVariableSchemeTreeItem::TuneVariableSchemeTreeItem(TuneVariable *variable)
    : AbstractSchemeTreeItem(variable)
    , m_variable(variable)
{}

QWidget *TuneVariableSchemeTreeItem::createWidget(unsigned int kind)
{
    if (kind != 1)
        return AbstractSchemeTreeItem::createWidget(kind);
    auto *widget = new QWidget;
    auto *box = new QVBoxLayout(widget);
    box->setContentsMargins(0, 0, 0, 0);
    auto *row = new QHBoxLayout;
    for (int index : {int(TuneVariable::Val), int(TuneVariable::Target),
                      int(TuneVariable::Confirm)}) {
        if (QWidget *editor = createParameterWidget(index))
            row->addWidget(editor);
    }
    auto *get = new QPushButton(tr("Get value"));
    get->setObjectName(QStringLiteral("getValue"));
    auto *set = new QPushButton(tr("Set value"));
    set->setObjectName(QStringLiteral("setValue"));
    row->addWidget(get);
    row->addWidget(set);
    box->addLayout(row);
    // The variable lives in the bus thread: the requests are sent there.
    connect(get, &QPushButton::clicked, widget, [this] {
        if (m_variable)
            QMetaObject::invokeMethod(m_variable, "requestGetValue", Qt::QueuedConnection);
    });
    connect(set, &QPushButton::clicked, widget, [this] {
        if (m_variable)
            QMetaObject::invokeMethod(m_variable, "requestSetValue", Qt::QueuedConnection);
    });
    return widget;
}
