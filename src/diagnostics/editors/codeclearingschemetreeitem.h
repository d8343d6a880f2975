#pragma once

#include "scheme/abstractschemetreeitem.h"

#include <QPointer>
#include <QVector>

class CodeClearingFunction;
class QLabel;
class QPlainTextEdit;

// The tree node of a unit's clearing function. Its editor shows the last clearing's summary and,
// below it, the whole report (each unit's answer, the codes gone and come back), read-only.
class CodeClearingSchemeTreeItem : public AbstractSchemeTreeItem
{
    Q_OBJECT

public:
    explicit CodeClearingSchemeTreeItem(CodeClearingFunction *function);

    QWidget *createWidget() override;
    using AbstractSchemeTreeItem::createWidget;
    bool doUpdate() override;

private:
    void refresh();

    // The panel's editor and every Details dock's: each shows the latest clearing.
    struct Editor
    {
        QPointer<QLabel> summary;
        QPointer<QPlainTextEdit> report;
    };

    QPointer<CodeClearingFunction> m_function;
    QVector<Editor> m_editors;
};
