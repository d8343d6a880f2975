#include "ui/detailsdocks.h"

#include "scheme/abstractschemetreeitem.h"
#include "scheme/schemetreemodel.h"
#include "ui/editors/expectationbox.h"

#include <QDockWidget>
#include <QMainWindow>
#include <QScrollArea>
#include <QSettings>
#include <QTimer>
#include <QVBoxLayout>

namespace {
const QString DockSuffix = QStringLiteral("DetailsDockWidget");
} // namespace

DetailsDocks::DetailsDocks(QMainWindow *window)
    : QObject(window)
    , m_window(window)
{
    m_panel = new QDockWidget(tr("Details"), window);
    m_panel->setObjectName(QStringLiteral("detailsWindow"));
    m_area = new QScrollArea(m_panel);
    m_area->setObjectName(QStringLiteral("detailsScrollArea"));
    m_area->setWidgetResizable(true);
    // The editor sits on top of a stretch, so short editors keep their natural height.
    auto *content = new QWidget(m_area);
    m_box = new QVBoxLayout(content);
    m_box->addStretch(1);
    m_area->setWidget(content);
    m_panel->setWidget(m_area);
    window->addDockWidget(Qt::LeftDockWidgetArea, m_panel);
    window->resizeDocks({m_panel}, {320}, Qt::Horizontal);
    // An editor chosen while the panel was hidden (an action selects the row, then shows the
    // panel) is fitted once the panel is there and has laid it out.
    connect(m_panel, &QDockWidget::visibilityChanged, this, [this](bool visible) {
        if (visible)
            QTimer::singleShot(0, this, &DetailsDocks::fitWidth);
    });
}

void DetailsDocks::showEditor(AbstractSchemeTreeItem *node)
{
    // The editor belongs to its node: it leaves the panel (unparented) before another one is
    // shown, and dies with its node.
    if (m_editor) {
        m_box->removeWidget(m_editor);
        m_editor->hide();
        m_editor->setParent(nullptr);
    }
    m_editor = nullptr;
    // The box is the panel's own: a new one for every row.
    delete m_expectation.data();
    if (!node) {
        m_panel->setWindowTitle(tr("Details"));
        return;
    }
    if (QWidget *editor = node->getWidget()) {
        m_box->insertWidget(0, editor);
        editor->show();
        m_editor = editor;
    }
    m_expectation = createExpectationBox(node, m_area->widget());
    m_box->insertWidget(m_editor ? 1 : 0, m_expectation);
    fitWidth();
}

ExpectationBox *DetailsDocks::createExpectationBox(AbstractSchemeTreeItem *node, QWidget *parent)
{
    auto *box = new ExpectationBox(node, parent);
    connect(box, &ExpectationBox::expectationChanged, this, &DetailsDocks::expectationChanged);
    connect(node, &QObject::destroyed, box, &QObject::deleteLater);
    return box;
}

void DetailsDocks::fitWidth()
{
    // A form wider than the panel hides its fields behind a scroll bar (long Russian labels do):
    // the docked panel grows to fit, up to 40 % of the window, and never shrinks on its own.
    if (!m_panel->isVisible() || m_panel->isFloating())
        return;
    const int frame = m_panel->width() - m_area->viewport()->width();
    const int wanted = m_area->widget()->sizeHint().width() + frame;
    if (wanted > m_panel->width())
        m_window->resizeDocks({m_panel}, {qMin(wanted, m_window->width() * 2 / 5)}, Qt::Horizontal);
}

void DetailsDocks::refreshTitles(const AbstractSchemeTreeItem *current)
{
    const QString title
        = current ? tr("Details") + QStringLiteral(" - ") + current->uniqueName() : tr("Details");
    if (m_panel->windowTitle() != title)
        m_panel->setWindowTitle(title);
    if (!m_model)
        return;
    // A detail dock is named after its item's key, which a rename leaves as it is.
    for (QDockWidget *dock :
         m_window->findChildren<QDockWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
        const QString name = dock->objectName();
        if (!name.endsWith(DockSuffix))
            continue;
        const AbstractSchemeTreeItem *node
            = m_model->getItemForPath(name.left(name.size() - DockSuffix.size()));
        if (node && dock->windowTitle() != node->uniqueName())
            dock->setWindowTitle(node->uniqueName());
    }
}

QDockWidget *DetailsDocks::openDock(const QString &path)
{
    AbstractSchemeTreeItem *node = m_model ? m_model->getItemForPath(path) : nullptr;
    if (!node)
        return nullptr;
    auto *dock = new QDockWidget(node->uniqueName(), m_window);
    dock->setObjectName(node->uniqueKey() + DockSuffix);
    dock->setAttribute(Qt::WA_DeleteOnClose);
    auto *area = new QScrollArea(dock);
    area->setWidgetResizable(true);
    auto *content = new QWidget(area);
    auto *column = new QVBoxLayout(content);
    if (QWidget *editor = node->getNewWidget()) {
        column->addWidget(editor);
        // The editor dies with its node; the dock goes with it.
        connect(editor, &QObject::destroyed, dock, &QObject::deleteLater);
    }
    connect(node, &QObject::destroyed, dock, &QObject::deleteLater);
    column->addWidget(createExpectationBox(node, content));
    column->addStretch(1);
    area->setWidget(content);
    dock->setWidget(area);
    m_window->addDockWidget(lastDockArea(), dock);
    m_lastDock = dock;
    return dock;
}

QStringList DetailsDocks::dockPaths() const
{
    QStringList paths;
    for (const QDockWidget *dock : m_window->findChildren<QDockWidget *>()) {
        const QString name = dock->objectName();
        if (name.endsWith(DockSuffix))
            paths << name.left(name.size() - DockSuffix.size());
    }
    return paths;
}

Qt::DockWidgetArea DetailsDocks::lastDockArea() const
{
    if (m_lastDock)
        return m_window->dockWidgetArea(m_lastDock);
    QSettings settings;
    const int area = settings.value(QStringLiteral("Misc/LastDetailsArea"), 1).toInt();
    switch (area) {
    case Qt::LeftDockWidgetArea:
    case Qt::RightDockWidgetArea:
    case Qt::TopDockWidgetArea:
    case Qt::BottomDockWidgetArea:
        return Qt::DockWidgetArea(area);
    default:
        return Qt::LeftDockWidgetArea;
    }
}

void DetailsDocks::saveSettings(QSettings &settings) const
{
    if (m_lastDock)
        settings.setValue(QStringLiteral("Misc/LastDetailsArea"),
                          int(m_window->dockWidgetArea(m_lastDock)));
}
