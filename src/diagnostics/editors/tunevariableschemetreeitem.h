#pragma once

#include "scheme/abstractschemetreeitem.h"

#include <QPointer>

class TuneVariable;

// The tree node of a tune variable: value, target and acknowledgement editors with buttons that
// send a read or a write request. GUI thread.
class TuneVariableSchemeTreeItem : public AbstractSchemeTreeItem
{
    Q_OBJECT

public:
    explicit TuneVariableSchemeTreeItem(TuneVariable *variable);

    QWidget *createWidget(unsigned int kind) override;
    using AbstractSchemeTreeItem::createWidget;

private:
    QPointer<TuneVariable> m_variable;
};
