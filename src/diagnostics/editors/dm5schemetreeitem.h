#pragma once

#include "diagnostics/editors/requestline.h"
#include "scheme/abstractschemetreeitem.h"

class DM5Function;

// The tree node of a DM5 function. Its editor shows the code counts, the OBD compliance, each
// monitored system's support and completion, and the Request button with the times of asking
// and answer.
class DM5SchemeTreeItem : public AbstractSchemeTreeItem
{
    Q_OBJECT

public:
    explicit DM5SchemeTreeItem(DM5Function *function);

    QWidget *createWidget() override;
    using AbstractSchemeTreeItem::createWidget;
    bool doUpdate() override;

private:
    QPointer<DM5Function> m_function;
    RequestLine m_request;
};
