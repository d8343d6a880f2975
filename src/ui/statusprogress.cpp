#include "ui/statusprogress.h"

#include <QAction>
#include <QPushButton>
#include <QStatusBar>

StatusProgress::StatusProgress(QStatusBar *bar, const QString &cancelName, QObject *parent)
    : QObject(parent)
    , m_bar(bar)
    , m_cancel(new QPushButton(tr("Cancel"), bar))
{
    m_cancel->setObjectName(cancelName);
    m_cancel->setToolTip(tr("Stop this work (Esc)"));
    bar->addPermanentWidget(m_cancel);
    // Esc anywhere in the window presses Cancel while it shows.
    auto *escape = new QAction(m_cancel);
    escape->setShortcut(Qt::Key_Escape);
    escape->setShortcutContext(Qt::WindowShortcut);
    m_cancel->addAction(escape);
    connect(escape, &QAction::triggered, m_cancel, &QPushButton::click);
    m_cancel->hide();
    connect(m_cancel, &QPushButton::clicked, this, [this] {
        m_cancel->setEnabled(false);
        emit cancelRequested();
    });
}

void StatusProgress::begin(const QString &text)
{
    m_text = text;
    m_shown = true;
    m_bar->showMessage(text);
    m_cancel->setEnabled(true);
    m_cancel->show();
}

void StatusProgress::setPercent(int percent)
{
    if (m_shown)
        m_bar->showMessage(tr("%1 %2 %").arg(m_text).arg(qBound(0, percent, 100)));
}

void StatusProgress::end()
{
    if (!m_shown)
        return;
    m_shown = false;
    m_cancel->hide();
    m_bar->clearMessage();
}
