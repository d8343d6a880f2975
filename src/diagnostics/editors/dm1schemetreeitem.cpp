#include "diagnostics/editors/dm1schemetreeitem.h"

#include "diagnostics/dtcarrayparameter.h"
#include "diagnostics/troublecodesfunction.h"
#include "model/zxparameter.h"

#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

namespace {

constexpr int DataColumn = 3;

} // namespace

DM1SchemeTreeItem::DM1SchemeTreeItem(TroubleCodesFunction *function)
    : AbstractSchemeTreeItem(function)
    , m_function(function)
    , m_request(function, [function = QPointer<TroubleCodesFunction>(function)] {
        return function ? function->lastDecodedMs() : 0;
    })
{}

QWidget *DM1SchemeTreeItem::createWidget(unsigned int kind)
{
    if (kind != 1)
        return createWidget();
    auto *widget = new QWidget;
    auto *box = new QVBoxLayout(widget);
    box->setContentsMargins(0, 0, 0, 0);
    if (QWidget *list = createParameterWidget(TroubleCodesFunction::Dtc))
        box->addWidget(list);
    return widget;
}

QWidget *DM1SchemeTreeItem::createWidget()
{
    if (!m_function)
        return AbstractSchemeTreeItem::createWidget();
    using F = TroubleCodesFunction;
    // The per-slot SPN, FMI and OC fields repeat the list below; the engineer reads the list.
    auto *widget = new QWidget;
    auto *form = new QFormLayout(widget);
    const QList<ZxParameter *> &parameters = m_function->parameters();
    for (int index = F::Mil; index <= F::Fpl; ++index) {
        if (QWidget *lamp = createParameterWidget(index))
            form->addRow(parameters.at(index)->description(), lamp);
    }
    if (QWidget *count = createParameterWidget(F::Count))
        form->addRow(parameters.at(F::Count)->description(), count);
    form->addRow(new QLabel(m_function->codesTitle()));
    if (QWidget *list = createParameterWidget(F::Dtc)) {
        list->setObjectName(QStringLiteral("dtcList"));
        form->addRow(list);
    }
    form->addRow(m_request.createWidget());
    return widget;
}

bool DM1SchemeTreeItem::doUpdate()
{
    const bool updated = AbstractSchemeTreeItem::doUpdate();
    if (updated)
        m_request.refresh();
    return updated;
}

QVariant DM1SchemeTreeItem::data(int column, int role) const
{
    // The names of the SPNs come from the library, read on first use: here, in the GUI thread,
    // never while the bus thread describes a frame.
    if (column == DataColumn && role == Qt::DisplayRole && m_function
        && m_function->lastDecodedMs() != 0 && m_function->state() != AbstractDisplayableItem::Send)
        return codesText();
    return AbstractSchemeTreeItem::data(column, role);
}

QString DM1SchemeTreeItem::codesText() const
{
    if (!m_function)
        return QString();
    QStringList codes;
    const DtcArrayParameter *dtc = m_function->dtcParameter();
    for (const DtcArrayParameter::DtcItem &code : dtc->codes())
        codes << dtc->rowText(code);
    QString text = codes.isEmpty() ? tr("No codes") : codes.join(QStringLiteral("; "));
    const QStringList lamps = m_function->lampsOn();
    if (!lamps.isEmpty())
        text
            = tr("%1 on").arg(lamps.join(QStringLiteral(", "))) + QStringLiteral(" \u00B7 ") + text;
    return text;
}
