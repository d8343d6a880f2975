#pragma once

#include "scheme/abstractschemetreeitem.h"

#include <QPointer>

class IdentificationFunction;
class QLabel;
class QListWidget;

// The tree node of an identification function. Its Details show the decoded fields (for DM19
// also the list of calibrations with their verification numbers) and a "Request" button that
// asks the unit for the message from the tool's address; the line below says what was asked.
// GUI thread; the function is reached by queued calls.
class IdentificationSchemeTreeItem : public AbstractSchemeTreeItem
{
    Q_OBJECT

public:
    explicit IdentificationSchemeTreeItem(IdentificationFunction *function);

    QWidget *createWidget() override;
    using AbstractSchemeTreeItem::createWidget;
    bool doUpdate() override;

private:
    void request(QWidget *editor, QLabel *result);
    void refreshList();

    QPointer<IdentificationFunction> m_function;
    QList<QPointer<QListWidget>> m_lists;
};
