#include "ui/editors/rawdataview.h"

#include "ui/rawdatamodel.h"

#include <QAction>
#include <QFontMetrics>
#include <QHeaderView>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSettings>

namespace {
const char *const FollowKey = "RawState/Follow";
const char *const DecodeKey = "RawState/Decode";
}

RawDataView::RawDataView(QWidget *parent)
    : QTableView(parent)
{
    m_follow = new QAction(tr("Follow new rows"), this);
    m_follow->setObjectName(QStringLiteral("actionRawFollow"));
    m_follow->setCheckable(true);
    m_follow->setChecked(QSettings().value(QLatin1String(FollowKey), true).toBool());
    connect(m_follow, &QAction::toggled, this, [this](bool on) {
        QSettings().setValue(QLatin1String(FollowKey), on);
        if (on && !keepsRowsInPlace())
            scrollToTop();
    });
    m_decode = new QAction(tr("Decode frames"), this);
    m_decode->setObjectName(QStringLiteral("actionRawDecode"));
    m_decode->setCheckable(true);
    m_decode->setChecked(QSettings().value(QLatin1String(DecodeKey), true).toBool());
    connect(m_decode, &QAction::toggled, this,
            [](bool on) { QSettings().setValue(QLatin1String(DecodeKey), on); });
}

bool RawDataView::isFollowing() const
{
    return m_follow->isChecked();
}

void RawDataView::setFollowing(bool on)
{
    m_follow->setChecked(on);
}

bool RawDataView::keepsRowsInPlace() const
{
    if (!isFollowing() || m_mouseDown)
        return true;
    return selectionModel() && selectionModel()->hasSelection();
}

void RawDataView::fitColumns()
{
    QHeaderView *header = horizontalHeader();
    if (header->count() <= RawDataModel::TimeColumn)
        return;
    // A digit's width on either side of the text, as the cells pad it.
    const QFontMetrics metrics(font());
    const int padding = 2 * metrics.horizontalAdvance(QLatin1Char('0'));
    for (int column : {RawDataModel::RawColumn, RawDataModel::TimeColumn}) {
        const int text = metrics.horizontalAdvance(RawDataModel::widestText(column)) + padding;
        header->resizeSection(column, std::max(text, header->sectionSizeHint(column)));
    }
    header->setStretchLastSection(false);
    header->setSectionResizeMode(RawDataModel::DecodedColumn, QHeaderView::Stretch);
}

void RawDataView::rowsInserted(const QModelIndex &parent, int start, int end)
{
    QTableView::rowsInserted(parent, start, end);
    if (parent.isValid() || start != 0)
        return;
    if (keepsRowsInPlace()) {
        // The scroll bar learns the new row count only at the next layout: the shift waits.
        m_pendingShift += end - start + 1;
        return;
    }
    m_pendingShift = 0;
    if (verticalScrollBar()->value() != 0)
        scrollToTop();
}

void RawDataView::updateGeometries()
{
    // The table's layout can call itself (scroll bars appearing resize the viewport); only the
    // outermost call has set the scroll range. A layout can also run while rows are being
    // inserted, before the header has counted them.
    ++m_layoutDepth;
    QTableView::updateGeometries();
    --m_layoutDepth;
    if (m_pendingShift == 0 || m_layoutDepth > 0 || !model()
        || verticalHeader()->count() != model()->rowCount())
        return;
    const int step
        = verticalScrollMode() == ScrollPerItem ? 1 : verticalHeader()->defaultSectionSize();
    QScrollBar *bar = verticalScrollBar();
    bar->setValue(bar->value() + m_pendingShift * step);
    m_pendingShift = 0;
}

void RawDataView::reset()
{
    m_pendingShift = 0;
    QTableView::reset();
}

void RawDataView::mousePressEvent(QMouseEvent *event)
{
    m_mouseDown = true;
    QTableView::mousePressEvent(event);
}

void RawDataView::mouseReleaseEvent(QMouseEvent *event)
{
    QTableView::mouseReleaseEvent(event);
    m_mouseDown = false;
}
