#pragma once

#include "diagnostics/editors/requestline.h"
#include "scheme/abstractschemetreeitem.h"

class TroubleCodesFunction;

// The tree node of a DM1 or DM2 function. Its editor shows the lamps, the code count, the live
// code list and the Request button with the times of asking and answer; a data column cell
// (kind 1) shows the code list alone. The tree's data column reads the lamps that are on and
// the codes in words.
class DM1SchemeTreeItem : public AbstractSchemeTreeItem
{
    Q_OBJECT

public:
    explicit DM1SchemeTreeItem(TroubleCodesFunction *function);

    QWidget *createWidget(unsigned int kind) override;
    QWidget *createWidget() override;
    QVariant data(int column, int role) const override;
    bool doUpdate() override;

    // Asks the unit for the message, as the Request button does, from the window `from` is in.
    bool request(QWidget *from) { return m_request.ask(from); }
    // The data column's text: "AWL on · [110,16] … ; [100,18] …", or "No codes".
    QString codesText() const;

private:
    QPointer<TroubleCodesFunction> m_function;
    RequestLine m_request;
};
