#pragma once

#include <QByteArray>
#include <QStringList>

class QDockWidget;
class QDomElement;
class QWidget;

// What the scheme and its items ask of the window that shows them: detail and data docks,
// plots, tabs, the layout, and questions to the user. The main window implements it and hands
// itself to whoever needs it; nothing here knows the window's class. GUI thread.
class SchemeWindow
{
public:
    virtual ~SchemeWindow() = default;

    // The window a widget of the scheme (a Details editor, a tab, a dock) is shown in; null
    // when it is shown apart from one.
    static SchemeWindow *of(QWidget *widget);

    // Opens a detail dock for the item at path; null when the scheme has no such item.
    virtual QDockWidget *getDetailsWidgetForPath(const QString &path) = 0;
    // The item paths of the open detail docks, in the window's order.
    virtual QStringList detailsDockPaths() const = 0;
    // Docks an item's data window in the left area, sized for its values, and shows it.
    virtual void addDataDock(QDockWidget *dock) = 0;

    // The plot docks as children of a scheme's "widgets" element, and back.
    virtual void savePlots(QDomElement &widgets) const = 0;
    virtual void restorePlots(const QDomElement &widgets) = 0;
    virtual void closePlots() = 0;

    // The arrangement of toolbars and docks (QMainWindow's state of that version).
    virtual QByteArray saveLayout(int version) const = 0;
    virtual void restoreLayout(const QByteArray &state, int version) = 0;

    // Adds a scheme tab built from a tab element; false (and no tab) when it shows nothing.
    virtual bool addTab(QDomElement &element) = 0;
    // Removes the tabs a scheme added; the window's own tree tab stays.
    virtual void removeSchemeTabs() = 0;
    // The tabs take the window: every dock but the scheme's plots is hidden.
    virtual void hideDocksForTabs() = 0;

    // Asked when a file cannot be written: true tries again.
    virtual bool askRetry(const QString &title, const QString &text) = 0;

    // Makes sure a unit at the tool's claimed address receives what units send to the tool, so
    // that their long answers to the tool's requests come through: the tool unit, or the unit
    // already there put in Send. False (the reason in the status bar) when none can. The
    // current row stays selected.
    virtual bool ensureToolUnit() = 0;
};
