#include "diagnostics/editors/codeclearingschemetreeitem.h"

#include "diagnostics/codeclearingfunction.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>
#include <QWidget>

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
    m_summary = new QLabel(widget);
    m_summary->setObjectName(QStringLiteral("clearingSummary"));
    m_summary->setWordWrap(true);
    m_summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QFont bold = m_summary->font();
    bold.setBold(true);
    m_summary->setFont(bold);
    m_report = new QPlainTextEdit(widget);
    m_report->setObjectName(QStringLiteral("clearingReport"));
    m_report->setReadOnly(true);
    m_report->setMinimumHeight(120);
    auto *hint = new QLabel(tr("Right-click the unit, Clear codes…, to clear again."), widget);
    hint->setWordWrap(true);
    layout->addWidget(m_summary);
    layout->addWidget(m_report, 1);
    layout->addWidget(hint);
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
    const QString summary = m_function->summary();
    const QString report = m_function->result();
    if (m_summary && m_summary->text() != summary)
        m_summary->setText(summary.isEmpty() ? tr("No clearing yet") : summary);
    if (m_report && m_report->toPlainText() != report)
        m_report->setPlainText(report);
}
