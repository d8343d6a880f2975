#pragma once

#include "scheme/abstractschemetreeitem.h"

#include <QList>
#include <QPointer>

class QLabel;
class TuneVariable;

// The tree node of a tune variable: value, target and acknowledgement editors with buttons that
// send a read or a write request, and the answer. This editor is what Details, a detail dock and
// a scheme tab cell show. GUI thread.
class TuneVariableSchemeTreeItem : public AbstractSchemeTreeItem
{
    Q_OBJECT

public:
    explicit TuneVariableSchemeTreeItem(TuneVariable *variable);

    QWidget *createWidget() override;
    using AbstractSchemeTreeItem::createWidget;
    bool doUpdate() override;

private:
    void showAnswer();

    QPointer<TuneVariable> m_variable;
    QList<QPointer<QLabel>> m_answers;
};
