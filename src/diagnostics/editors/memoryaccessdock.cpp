#include "diagnostics/editors/memoryaccessdock.h"

#include "diagnostics/editors/memoryaccessdelegate.h"
#include "diagnostics/memoryaccessfunction.h"
#include "scheme/schemewindow.h"

#include <QApplication>
#include <QDebug>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

MemoryAccessDock::Confirmer &confirmer()
{
    static MemoryAccessDock::Confirmer c = [](QWidget *parent, const QString &question) {
        return QMessageBox::question(parent, MemoryAccessDock::tr("MA Data"), question)
               == QMessageBox::Yes;
    };
    return c;
}

bool outsideLimits(const MemoryAccessTable &table, const MemoryAccessTable::SpnItem &item)
{
    const MemoryAccessTable::SlotData slot = table.slotFor(item);
    return item.value < slot.minimum || item.value > slot.maximum;
}

} // namespace

MemoryAccessDock::MemoryAccessDock(MemoryAccessFunction *function, QWidget *parent)
    : QDockWidget(parent)
    , m_function(function)
{
    setObjectName(QStringLiteral("MemoryAccessDock"));
    auto *body = new QWidget;
    auto *box = new QVBoxLayout(body);
    auto *scroll = new QScrollArea;
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    m_content = new QWidget;
    new QVBoxLayout(m_content);
    scroll->setWidget(m_content);
    box->addWidget(scroll, 1);
    m_status = new QLabel;
    m_status->setObjectName(QStringLiteral("status"));
    m_status->setWordWrap(true);
    box->addWidget(m_status);
    m_progress = new QProgressBar;
    m_progress->setObjectName(QStringLiteral("progress"));
    m_progress->setVisible(false);
    box->addWidget(m_progress);
    auto *buttons = new QHBoxLayout;
    const auto button = [buttons](const QString &text, const char *name) {
        auto *b = new QPushButton(text);
        b->setObjectName(QLatin1String(name));
        buttons->addWidget(b);
        return b;
    };
    m_refresh = button(tr("Refresh"), "refresh");
    m_commit = button(tr("Commit"), "commit");
    m_commitChanged = button(tr("Commit changed"), "commitChanged");
    m_cancel = button(tr("Cancel"), "cancel");
    m_cancel->setEnabled(false);
    box->addLayout(buttons);
    setWidget(body);

    connect(m_refresh, &QPushButton::clicked, this, &MemoryAccessDock::slotRefreshWidgetData);
    connect(m_commit, &QPushButton::clicked, this, &MemoryAccessDock::slotCommit);
    connect(m_commitChanged, &QPushButton::clicked, this, &MemoryAccessDock::slotCommitChanged);
    connect(m_cancel, &QPushButton::clicked, this, [this] {
        if (m_function)
            m_function->cancel();
    });
    // The function emits in the bus thread; these run queued in the GUI thread.
    connect(function, &MemoryAccessFunction::tableReplaced, this, &MemoryAccessDock::rebuild);
    connect(function, &MemoryAccessFunction::valuesRead, this, &MemoryAccessDock::showValues);
    connect(function, &MemoryAccessFunction::valuesWritten, this, [this](const QVector<int> &all) {
        showValues(all, false);
    });
    connect(function, &MemoryAccessFunction::progressChanged, this,
            [this](int done, int total, const QString &text) {
                m_progress->setRange(0, std::max(1, total));
                m_progress->setValue(done);
                m_progress->setFormat(text.isEmpty() ? QStringLiteral("%v/%m") : text);
            });
    connect(function, &MemoryAccessFunction::exchangeStarted, this, [this] { setBusy(true); });
    connect(function, &MemoryAccessFunction::exchangeFinished, this,
            [this](bool, const QString &text) {
                setBusy(false);
                setStatus(text);
            });
    connect(function, &QObject::destroyed, this, &QObject::deleteLater);
    rebuild();
}

MemoryAccessDock *MemoryAccessDock::showFor(MemoryAccessFunction *function, SchemeWindow *window)
{
    auto *dock = qobject_cast<MemoryAccessDock *>(function->m_dock.data());
    if (dock) {
        dock->show();
        dock->raise();
        return dock;
    }
    dock = new MemoryAccessDock(function);
    function->m_dock = dock;
    if (window) {
        window->addDataDock(dock);
    } else {
        dock->setFloating(true);
        dock->show();
        dock->raise();
    }
    return dock;
}

void MemoryAccessDock::setConfirmer(Confirmer c)
{
    confirmer() = std::move(c);
}

bool MemoryAccessDock::confirm(QWidget *parent, const QString &question)
{
    return confirmer()(parent, question);
}

void MemoryAccessDock::updateTitle()
{
    const int target = m_function ? m_function->target() : 0;
    setWindowTitle(tr("MA Data") + QStringLiteral(" - 0x%1").arg(target, 2, 16, QLatin1Char('0')));
}

void MemoryAccessDock::rebuild()
{
    updateTitle();
    QLayout *layout = m_content->layout();
    while (QLayoutItem *item = layout->takeAt(0)) {
        if (QWidget *w = item->widget())
            w->deleteLater();
        delete item;
    }
    m_cells.clear();
    m_spinBoxes.clear();
    m_tables.clear();
    if (!m_function)
        return;
    const MemoryAccessTable table = m_function->table();
    const MemoryAccessLayout placement = MemoryAccessLayout::build(table);
    auto *box = static_cast<QVBoxLayout *>(layout);
    for (const MemoryAccessLayout::GroupTable &group : placement.tables) {
        box->addWidget(new QLabel(group.name));
        box->addWidget(createTable(group, table));
    }
    for (int index : placement.ungrouped)
        addSpinBoxRow(index, table);
    box->addStretch(1);
    QVector<int> all;
    for (int i = 0; i < table.items.size(); ++i)
        all.append(i);
    showValues(all, false);
    setBusy(m_function->isActive());
}

QTableWidget *MemoryAccessDock::createTable(const MemoryAccessLayout::GroupTable &group,
                                           const MemoryAccessTable &table)
{
    auto *view = new QTableWidget(group.rows.size(), group.columns.size());
    view->setObjectName(QStringLiteral("group:") + group.name);
    view->setItemDelegate(new MemoryAccessDelegate(view));
    view->setHorizontalHeaderLabels(group.columns);
    view->setVerticalHeaderLabels(group.rows);
    view->verticalHeader()->setVisible(group.rows.size() > 1);
    view->setAlternatingRowColors(true);
    const int width = view->fontMetrics().horizontalAdvance(QStringLiteral("00.000")) + 20;
    for (int c = 0; c < group.columns.size(); ++c)
        view->setColumnWidth(c, width);
    // Every cell exists; those without an item cannot be edited.
    for (int r = 0; r < group.rows.size(); ++r) {
        for (int c = 0; c < group.columns.size(); ++c) {
            auto *cell = new QTableWidgetItem;
            const int index = group.cells.value(qMakePair(r, c), -1);
            if (index < 0) {
                cell->setFlags(Qt::ItemIsEnabled);
            } else {
                const MemoryAccessTable::SpnItem &item = table.items.at(index);
                const MemoryAccessTable::SlotData slot = table.slotFor(item);
                cell->setToolTip(item.description);
                cell->setData(MemoryAccessDelegate::MinimumRole, slot.minimum);
                cell->setData(MemoryAccessDelegate::MaximumRole, slot.maximum);
                cell->setData(MemoryAccessDelegate::UnitsRole, slot.units);
                cell->setData(MemoryAccessDelegate::DecimalsRole, table.decimals(item));
                cell->setData(MemoryAccessDelegate::ItemIndexRole, index);
                Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
                if (item.isWritable())
                    flags |= Qt::ItemIsEditable;
                cell->setFlags(flags);
                m_cells.insert(index, cell);
            }
            view->setItem(r, c, cell);
        }
    }
    view->resizeRowsToContents();
    int height = view->horizontalHeader()->sizeHint().height()
                 + view->horizontalScrollBar()->sizeHint().height() + 2 * view->frameWidth();
    for (int r = 0; r < view->rowCount(); ++r)
        height += view->rowHeight(r);
    view->setMinimumHeight(height);
    auto *increment = new IncrementShortcutAction(tr("Increment"), view);
    increment->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Up));
    increment->setShortcutContext(Qt::WidgetShortcut);
    view->addAction(increment);
    connect(increment, &QAction::triggered, this, [view] {
        QTableWidgetItem *cell = view->currentItem();
        if (!cell || !(cell->flags() & Qt::ItemIsEditable))
            return;
        const double step = std::pow(10.0, -cell->data(MemoryAccessDelegate::DecimalsRole).toInt());
        const double next = cell->data(Qt::EditRole).toDouble() + std::max(step, 1e-10);
        if (next <= cell->data(MemoryAccessDelegate::MaximumRole).toDouble())
            cell->setData(Qt::EditRole, next);
    });
    connect(view, &QTableWidget::cellChanged, this, &MemoryAccessDock::slotCellChanged);
    m_tables.append(view);
    return view;
}

void MemoryAccessDock::addSpinBoxRow(int index, const MemoryAccessTable &table)
{
    const MemoryAccessTable::SpnItem &item = table.items.at(index);
    const MemoryAccessTable::SlotData slot = table.slotFor(item);
    auto *row = new QWidget;
    auto *h = new QHBoxLayout(row);
    h->setContentsMargins(0, 0, 0, 0);
    auto *label = new QLabel(item.name);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    h->addWidget(label, 1);
    auto *spin = new QDoubleSpinBox;
    spin->setObjectName(QStringLiteral("spn:%1").arg(item.spn, 0, 16));
    spin->setProperty("itemIndex", index);
    spin->setDecimals(table.decimals(item));
    spin->setRange(std::max(std::numeric_limits<double>::lowest(), slot.minimum),
                   std::min(std::numeric_limits<double>::max(), slot.maximum));
    // The same units as a table cell's editor, the defaults' "dec" included.
    if (!slot.units.isEmpty())
        spin->setSuffix(QLatin1Char(' ') + slot.units);
    spin->setToolTip(item.description);
    spin->setReadOnly(!item.isWritable());
    spin->setKeyboardTracking(false);
    h->addWidget(spin, 1);
    connect(spin, QOverload<double>::of(&QDoubleSpinBox::valueChanged), this,
            &MemoryAccessDock::slotValueChanged);
    m_spinBoxes.insert(index, spin);
    m_content->layout()->addWidget(row);
}

void MemoryAccessDock::showValues(const QVector<int> &indices, bool markChanges)
{
    if (!m_function)
        return;
    const MemoryAccessTable table = m_function->table();
    for (int index : indices) {
        if (index < 0 || index >= table.items.size())
            continue;
        const MemoryAccessTable::SpnItem &item = table.items.at(index);
        // Red: changed by this read, or outside the limits (shown as read, never clamped).
        const bool red = (markChanges && item.readChanged) || outsideLimits(table, item);
        if (QTableWidgetItem *cell = m_cells.value(index)) {
            const QSignalBlocker blocker(cell->tableWidget());
            cell->setData(Qt::EditRole, item.value);
            cell->setForeground(red ? QBrush(Qt::red) : QBrush());
        }
        if (QDoubleSpinBox *spin = m_spinBoxes.value(index)) {
            const QSignalBlocker blocker(spin);
            if (item.value < spin->minimum() || item.value > spin->maximum())
                spin->setRange(std::min(spin->minimum(), item.value),
                               std::max(spin->maximum(), item.value));
            spin->setValue(item.value);
            QPalette palette = spin->palette();
            palette.setColor(QPalette::Text, red ? QColor(Qt::red)
                                                 : QApplication::palette().color(QPalette::Text));
            spin->setPalette(palette);
        }
    }
}

void MemoryAccessDock::slotCellChanged(int row, int column)
{
    auto *view = qobject_cast<QTableWidget *>(sender());
    QTableWidgetItem *cell = view ? view->item(row, column) : nullptr;
    if (!cell || !m_function)
        return;
    qDebug("Cell %d, %d changed", row, column);
    const QVariant indexData = cell->data(MemoryAccessDelegate::ItemIndexRole);
    if (!indexData.isValid())
        return;
    const int index = indexData.toInt();
    bool ok = false;
    const QVariant entered = cell->data(Qt::EditRole);
    // A typed text is read in the C locale, as the file is; anything else is refused.
    const double value = entered.type() == QVariant::String
                             ? QLocale::c().toDouble(entered.toString(), &ok)
                             : entered.toDouble(&ok);
    if (!ok || !std::isfinite(value) || !m_function->setItemValue(index, value)) {
        showValues({index}, false);
        return;
    }
    const QSignalBlocker blocker(view);
    cell->setData(Qt::EditRole, value);
    cell->setForeground(editedColor());
}

void MemoryAccessDock::slotValueChanged(double value)
{
    auto *spin = qobject_cast<QDoubleSpinBox *>(sender());
    if (!spin || !m_function)
        return;
    qDebug("Cell changed to %f", value);
    const int index = spin->property("itemIndex").toInt();
    if (!m_function->setItemValue(index, value)) {
        showValues({index}, false);
        return;
    }
    QPalette palette = spin->palette();
    palette.setColor(QPalette::Text, editedColor());
    spin->setPalette(palette);
}

void MemoryAccessDock::slotRefreshWidgetData()
{
    if (!m_function)
        return;
    // Reading replaces the values edited and not yet written.
    int edited = 0;
    for (const MemoryAccessTable::SpnItem &item : m_function->table().items) {
        if (item.modified && item.isReadable())
            ++edited;
    }
    if (edited > 0
        && !confirmer()(this, tr("Reading replaces %n edited value(s) not yet written. Read?",
                                 nullptr, edited)))
        return;
    // The window turns busy when the exchange starts: a refused start leaves it usable.
    setStatus(QString());
    m_function->slotRefreshWidgetData();
}

void MemoryAccessDock::slotCommit()
{
    commit(false);
}

void MemoryAccessDock::slotCommitChanged()
{
    commit(true);
}

void MemoryAccessDock::commit(bool changedOnly)
{
    if (!m_function)
        return;
    const MemoryAccessTable table = m_function->table();
    int count = 0;
    for (const MemoryAccessTable::SpnItem &item : table.items) {
        if (item.isWritable() && (item.modified || !changedOnly))
            ++count;
    }
    const QString unit = QStringLiteral("0x%1").arg(m_function->target(), 2, 16, QLatin1Char('0'));
    if (count > 0) {
        if (!m_function->hasCompletedRead()) {
            if (!confirmer()(this, tr("The values of unit %1 have not been read, so no backup of "
                                      "them exists. Write the file's values without reading?")
                                       .arg(unit)))
                return;
            m_function->setWriteWithoutRead(true);
        }
        if (!confirmer()(this, tr("Write %n value(s) to unit %1?", nullptr, count).arg(unit)))
            return;
    }
    setStatus(QString());
    m_function->sendData(changedOnly);
}

void MemoryAccessDock::setBusy(bool busy)
{
    m_busy = busy;
    m_content->setEnabled(!busy);
    m_refresh->setEnabled(!busy);
    m_commit->setEnabled(!busy);
    m_commitChanged->setEnabled(!busy);
    m_cancel->setEnabled(busy);
    m_progress->setVisible(busy);
    updateTitle();
}

void MemoryAccessDock::setStatus(const QString &text)
{
    QString shown = text;
    if (m_function && !m_function->isOwnerSimulated())
        shown += (shown.isEmpty() ? QString() : QStringLiteral("\n"))
                 + tr("The device of this function is not simulated (state Send): the unit's "
                      "answers cannot reach it.");
    m_status->setText(shown);
}
