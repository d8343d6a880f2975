#include "ui/firststartlayout.h"

#include <QAbstractItemModel>
#include <QEvent>
#include <QFontMetricsF>
#include <QHeaderView>
#include <QStyle>
#include <QTreeView>

#include <algorithm>
#include <cmath>

namespace {

constexpr int MinimumFlexibleWidth = 120;
// Rows measured for a column's width, from the top: enough for a scheme, cheap for any.
constexpr int MeasuredRows = 1000;

// The width of the column's widest text among the rows the view shows, with the margins a cell
// draws; the model's size hint gives the row height only.
int textWidth(const QTreeView *view, int column)
{
    const QAbstractItemModel *model = view->model();
    if (!model)
        return 0;
    // Fractions of a pixel count: a text a fraction wider than its cell is cut.
    const QFontMetricsF metrics(view->font());
    qreal widest = 0;
    int rows = 0;
    for (QModelIndex row = model->index(0, 0); row.isValid() && rows < MeasuredRows;
         row = view->indexBelow(row), ++rows) {
        const QString text = row.sibling(row.row(), column).data().toString();
        widest = std::max(widest, metrics.horizontalAdvance(text));
    }
    if (widest <= 0)
        return 0;
    const int margin = view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1;
    return int(std::ceil(widest)) + 2 * margin;
}

} // namespace

QSize FirstStartLayout::windowSize(const QRect &available)
{
    if (!available.isValid())
        return {PreferredWidth, PreferredHeight};
    return {std::min(PreferredWidth, available.width() * 9 / 10),
            std::min(PreferredHeight, available.height() * 9 / 10)};
}

void FirstStartLayout::fitColumns(QTreeView *view, const QVector<int> &flexible,
                                  const QVector<int> &preferred)
{
    QHeaderView *header = view->header();
    const int count = header->count();
    int fixed = 0;
    for (int column = 0; column < count; ++column) {
        // The header text must fit. The last column may be stretched already: it counts with
        // its header's width and takes what is left over.
        const bool last = column == count - 1 && header->stretchLastSection();
        const bool isFlexible = flexible.contains(column);
        // The columns of short texts (address, period) also fit what their rows show.
        const int hint = std::max(header->sectionSizeHint(column),
                                  isFlexible || last ? 0 : textWidth(view, column));
        const int wanted = last ? hint : std::max(header->sectionSize(column), hint);
        if (!last)
            header->resizeSection(column, wanted);
        if (!isFlexible && !header->isSectionHidden(column))
            fixed += wanted;
    }
    int room = view->viewport()->width() - fixed;
    // The flexible columns share what is left: each but the first keeps its width while it fits.
    for (int i = int(flexible.size()) - 1; i >= 0; --i) {
        const int column = flexible.at(i);
        if (column >= count || header->isSectionHidden(column))
            continue;
        const int others = (i > 0) ? MinimumFlexibleWidth * i : 0;
        // A flexible column but the first widens to its rows' texts, up to half the room.
        const int wanted = std::max(preferred.value(i, header->sectionSize(column)),
                                    std::min(textWidth(view, column), room / 2));
        const int width = i == 0 ? std::max(MinimumFlexibleWidth, room)
                                 : std::clamp(wanted, MinimumFlexibleWidth,
                                              std::max(MinimumFlexibleWidth, room - others));
        header->resizeSection(column, width);
        room -= width;
    }
}

void FirstStartLayout::fitColumnsWhenShown(QTreeView *view, const QVector<int> &flexible)
{
    view->viewport()->installEventFilter(new FirstStartLayout(view, flexible));
}

FirstStartLayout::FirstStartLayout(QTreeView *view, const QVector<int> &flexible)
    : QObject(view)
    , m_view(view)
    , m_flexible(flexible)
{
    for (int column : flexible)
        m_preferred.append(view->header()->sectionSize(column));
    // Rows that arrive or open may hold longer texts: the columns are fitted again, once the
    // burst is over.
    m_refit.setSingleShot(true);
    m_refit.setInterval(0);
    connect(&m_refit, &QTimer::timeout, this, [this] {
        if (m_view->viewport()->width() > 0)
            fit();
    });
    const auto refit = [this] { m_refit.start(); };
    if (QAbstractItemModel *model = view->model()) {
        connect(model, &QAbstractItemModel::rowsInserted, this, refit);
        connect(model, &QAbstractItemModel::modelReset, this, refit);
    }
    connect(view, &QTreeView::expanded, this, refit);
    connect(view->header(), &QHeaderView::sectionResized, this, [this](int column) {
        // The header itself stretches its last column with the view.
        QHeaderView *header = m_view->header();
        const bool stretched
            = header->stretchLastSection() && header->visualIndex(column) == header->count() - 1;
        if (m_fitting || stretched)
            return;
        // The user's own widths are kept from now on.
        m_view->viewport()->removeEventFilter(this);
        deleteLater();
    });
}

void FirstStartLayout::fit()
{
    m_fitting = true;
    fitColumns(m_view, m_flexible, m_preferred);
    m_fitting = false;
}

bool FirstStartLayout::eventFilter(QObject *, QEvent *event)
{
    if (event->type() == QEvent::Resize && m_view->viewport()->width() > 0)
        fit();
    return false;
}
