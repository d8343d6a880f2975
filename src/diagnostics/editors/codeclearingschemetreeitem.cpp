#include "diagnostics/editors/codeclearingschemetreeitem.h"

#include "diagnostics/codeclearingfunction.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>
#include <QWidget>

#include <algorithm>

CodeClearingSchemeTreeItem::CodeClearingSchemeTreeItem(CodeClearingFunction *function)
    : AbstractSchemeTreeItem(function)
    , m_function(function)
{}

QWidget *CodeClearingSchemeTreeItem::createWidget()
{
    if (!m_function)
        return AbstractSchemeTreeItem::createWidget();
    auto *widget = new QWidget;
    auto *layout = new QVBoxLayout(widget);
    auto *summary = new QLabel(widget);
    summary->setObjectName(QStringLiteral("clearingSummary"));
    summary->setWordWrap(true);
    summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QFont bold = summary->font();
    bold.setBold(true);
    summary->setFont(bold);
    auto *report = new QPlainTextEdit(widget);
    report->setObjectName(QStringLiteral("clearingReport"));
    report->setReadOnly(true);
    report->setMinimumHeight(120);
    auto *hint = new QLabel(tr("Right-click the unit, Clear codes…, to clear again."), widget);
    hint->setWordWrap(true);
    layout->addWidget(summary);
    layout->addWidget(report, 1);
    layout->addWidget(hint);
    m_editors.append({summary, report});
    refresh();
    return widget;
}

bool CodeClearingSchemeTreeItem::doUpdate()
{
    const bool updated = AbstractSchemeTreeItem::doUpdate();
    if (updated)
        refresh();
    return updated;
}

void CodeClearingSchemeTreeItem::refresh()
{
    if (!m_function)
        return;
    m_editors.erase(std::remove_if(m_editors.begin(), m_editors.end(),
                                   [](const Editor &e) { return !e.summary || !e.report; }),
                    m_editors.end());
    const QString summary = m_function->summary();
    const QString shown = summary.isEmpty() ? tr("No clearing yet") : summary;
    const QString report = m_function->result();
    for (const Editor &e : qAsConst(m_editors)) {
        if (e.summary->text() != shown)
            e.summary->setText(shown);
        if (e.report->toPlainText() != report)
            e.report->setPlainText(report);
    }
}
