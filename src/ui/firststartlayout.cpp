#include "ui/firststartlayout.h"

#include <QEvent>
#include <QHeaderView>
#include <QTreeView>

#include <algorithm>

namespace {

constexpr int MinimumFlexibleWidth = 120;

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
        const int hint = header->sectionSizeHint(column);
        const int wanted = last ? hint : std::max(header->sectionSize(column), hint);
        if (!last)
            header->resizeSection(column, wanted);
        if (!flexible.contains(column) && !header->isSectionHidden(column))
            fixed += wanted;
    }
    int room = view->viewport()->width() - fixed;
    // The flexible columns share what is left: each but the first keeps its width while it fits.
    for (int i = int(flexible.size()) - 1; i >= 0; --i) {
        const int column = flexible.at(i);
        if (column >= count || header->isSectionHidden(column))
            continue;
        const int others = (i > 0) ? MinimumFlexibleWidth * i : 0;
        const int width = i == 0 ? std::max(MinimumFlexibleWidth, room)
                                 : std::clamp(preferred.value(i, header->sectionSize(column)),
                                              MinimumFlexibleWidth,
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
