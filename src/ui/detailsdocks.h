#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>

class AbstractSchemeTreeItem;
class ExpectationBox;
class QDockWidget;
class QMainWindow;
class QScrollArea;
class QSettings;
class QVBoxLayout;
class SchemeTreeModel;

// The window's Details panel, which shows the editor of the current scheme item, and the detail
// docks that keep an item's editor open beside it, named after the item's key; each shows the
// item's "Expected" box under its editor. Titles follow renamed items. GUI thread.
class DetailsDocks : public QObject
{
    Q_OBJECT

public:
    // Builds the Details panel and docks it in the window's left area.
    explicit DetailsDocks(QMainWindow *window);

    void setModel(SchemeTreeModel *model) { m_model = model; }
    QDockWidget *panel() const { return m_panel; }

    // Shows the node's editor in the panel (none for a null node).
    void showEditor(AbstractSchemeTreeItem *node);
    // Titles of the panel (naming the current node) and of the detail docks.
    void refreshTitles(const AbstractSchemeTreeItem *current);

    // Opens a detail dock for the item at path where the last one went; null without the item.
    QDockWidget *openDock(const QString &path);
    QStringList dockPaths() const;
    Qt::DockWidgetArea lastDockArea() const;
    void saveSettings(QSettings &settings) const;

signals:
    // The engineer applied or cleared an item's expectation in an "Expected" box.
    void expectationChanged();

private:
    // The "Expected" box of the node, which goes when the node does.
    ExpectationBox *createExpectationBox(AbstractSchemeTreeItem *node, QWidget *parent);

    // Widens the docked panel to show the editor without a horizontal scroll bar.
    void fitWidth();

    QMainWindow *m_window;
    SchemeTreeModel *m_model = nullptr;
    QDockWidget *m_panel = nullptr;
    QScrollArea *m_area = nullptr;
    QVBoxLayout *m_box = nullptr;
    QPointer<QWidget> m_editor;
    QPointer<ExpectationBox> m_expectation;
    QPointer<QDockWidget> m_lastDock;
};
