#include "diagnostics/editors/freezeframeschemetreeitem.h"

#include "descriptions/unitnames.h"
#include "diagnostics/freezeframefunction.h"
#include "diagnostics/toolrequest.h"
#include "scheme/schemewindow.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTime>
#include <QVBoxLayout>

#include <algorithm>

FreezeFrameSchemeTreeItem::FreezeFrameSchemeTreeItem(FreezeFrameFunction *function)
    : AbstractSchemeTreeItem(function)
    , m_function(function)
{
    m_refresh.setInterval(RefreshMs);
    connect(&m_refresh, &QTimer::timeout, this, &FreezeFrameSchemeTreeItem::refresh);
}

QWidget *FreezeFrameSchemeTreeItem::createWidget()
{
    if (!m_function)
        return AbstractSchemeTreeItem::createWidget();
    auto *widget = new QWidget;
    auto *box = new QVBoxLayout(widget);
    Editor editor;
    editor.table = new QTableWidget;
    editor.table->setObjectName(QStringLiteral("freezeFrameTable"));
    editor.table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    editor.table->verticalHeader()->hide();
    editor.table->horizontalHeader()->setStretchLastSection(true);
    box->addWidget(editor.table, 1);
    auto *button = new QPushButton(tr("Request"));
    button->setObjectName(QStringLiteral("requestButton"));
    button->setToolTip(tr("Asks the unit for this message from the tool's address"));
    connect(button, &QPushButton::clicked, this, [this, button] {
        if (!m_function)
            return;
        m_askedGeneration = m_function->generation();
        m_result = request(m_function, button)
                       ? tr("Asked %1 at %2").arg(unitName(), QTime::currentTime().toString())
                       : tr("%1 has no unit to ask").arg(m_function->name());
        refresh();
    });
    box->addWidget(button, 0, Qt::AlignLeft);
    editor.result = new QLabel;
    editor.result->setObjectName(QStringLiteral("result"));
    editor.result->setWordWrap(true);
    editor.result->setTextInteractionFlags(Qt::TextSelectableByMouse);
    box->addWidget(editor.result);
    m_editors.append(editor);
    addSections(widget, box);
    refresh();
    m_refresh.start();
    return widget;
}

void FreezeFrameSchemeTreeItem::addSections(QWidget *widget, QVBoxLayout *box)
{
    Q_UNUSED(widget)
    Q_UNUSED(box)
}

QString FreezeFrameSchemeTreeItem::unitName() const
{
    const AbstractDisplayableItem *unit = m_function ? m_function->parentItem() : nullptr;
    return unit ? UnitNames::translated(unit->name()) : tr("the unit");
}

bool FreezeFrameSchemeTreeItem::request(FreezeFrameFunction *function, QWidget *from)
{
    if (!function || !qobject_cast<AbstractDisplayableItem *>(function->parentItem()))
        return false;
    // The answer may be longer than a frame: someone at the tool's address must take it.
    if (SchemeWindow *window = SchemeWindow::of(from))
        window->ensureToolUnit();
    QPointer<FreezeFrameFunction> target = function;
    QMetaObject::invokeMethod(function, [target] {
        if (target)
            ToolRequest::ask(target);
    });
    return true;
}

void FreezeFrameSchemeTreeItem::fillTable(QTableWidget *table, const QStringList &headers,
                                          const QVector<QStringList> &rows)
{
    table->setColumnCount(int(headers.size()));
    table->setHorizontalHeaderLabels(headers);
    table->setRowCount(int(rows.size()));
    for (int r = 0; r < rows.size(); ++r) {
        for (int c = 0; c < headers.size(); ++c) {
            // A long record is cut at the panel's edge: whole in the tool tip.
            auto *cell = new QTableWidgetItem(rows.at(r).value(c));
            cell->setToolTip(cell->text());
            table->setItem(r, c, cell);
        }
    }
    table->resizeColumnsToContents();
}

void FreezeFrameSchemeTreeItem::refresh()
{
    m_editors.erase(std::remove_if(m_editors.begin(), m_editors.end(),
                                   [](const Editor &e) { return !e.table; }),
                    m_editors.end());
    if (!m_function)
        return;
    const int generation = m_function->generation();
    if (m_editors.isEmpty() && !isBusy())
        m_refresh.stop();
    if (m_askedGeneration >= 0 && generation != m_askedGeneration) {
        m_askedGeneration = -1;
        m_result = tr("%1 answered at %2").arg(unitName(), QTime::currentTime().toString());
    }
    for (Editor &e : m_editors) {
        if (e.result)
            e.result->setText(m_result);
        const int shown = m_function->displayGeneration();
        if (e.shownGeneration == shown)
            continue;
        e.shownGeneration = shown;
        fillTable(e.table, m_function->tableHeaders(), m_function->tableRows());
    }
}
