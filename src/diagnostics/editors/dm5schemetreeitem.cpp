#include "diagnostics/editors/dm5schemetreeitem.h"

#include "diagnostics/dm5function.h"
#include "model/zxparameter.h"

#include <QFormLayout>
#include <QLabel>
#include <QWidget>

DM5SchemeTreeItem::DM5SchemeTreeItem(DM5Function *function)
    : AbstractSchemeTreeItem(function)
    , m_function(function)
    , m_request(function, [function = QPointer<DM5Function>(function)] {
        return function ? function->lastDecodedMs() : 0;
    })
{}

QWidget *DM5SchemeTreeItem::createWidget()
{
    if (!m_function)
        return AbstractSchemeTreeItem::createWidget();
    using F = DM5Function;
    auto *widget = new QWidget;
    auto *form = new QFormLayout(widget);
    const QList<ZxParameter *> &parameters = m_function->parameters();
    const auto addRows = [&](int from, int to) {
        for (int index = from; index < to; ++index) {
            if (QWidget *editor = createParameterWidget(index))
                form->addRow(parameters.at(index)->description(), editor);
        }
    };
    addRows(F::Active, F::FirstMonitor);
    form->addRow(new QLabel(tr("Continuously monitored systems")));
    addRows(F::FirstMonitor, F::FirstNonContinuous);
    form->addRow(new QLabel(tr("Non-continuously monitored systems")));
    addRows(F::FirstNonContinuous, F::ParameterCount);
    form->addRow(m_request.createWidget());
    return widget;
}

bool DM5SchemeTreeItem::doUpdate()
{
    const bool updated = AbstractSchemeTreeItem::doUpdate();
    if (updated)
        m_request.refresh();
    return updated;
}
