#include "scheme/editors/headerviewhidermenu.h"

#include <QHeaderView>
#include <QMenu>

void HeaderViewHiderMenu::install(QHeaderView *header)
{
    auto *hider = new HeaderViewHiderMenu(header);
    header->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(header, &QWidget::customContextMenuRequested, hider,
            &HeaderViewHiderMenu::slotMenuRequested);
}

QMenu *HeaderViewHiderMenu::createMenu(QHeaderView *header)
{
    auto *menu = new QMenu(tr("Show"), header);
    menu->setObjectName(QStringLiteral("headerHiderMenu"));
    menu->addSection(tr("Show"));
    if (!header->model())
        return menu;
    for (int section = 0; section < header->count(); ++section) {
        const QString text
            = header->model()->headerData(section, header->orientation()).toString();
        QAction *action = menu->addAction(text);
        action->setCheckable(true);
        action->setChecked(!header->isSectionHidden(section));
        connect(action, &QAction::toggled, header,
                [header, section](bool shown) { header->setSectionHidden(section, !shown); });
    }
    return menu;
}

void HeaderViewHiderMenu::slotMenuRequested(const QPoint &pos)
{
    auto *header = qobject_cast<QHeaderView *>(parent());
    if (!header)
        return;
    QMenu *menu = createMenu(header);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(header->viewport()->mapToGlobal(pos));
}
