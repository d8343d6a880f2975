#pragma once

#include "can/abstractcanhandler.h"
#include "can/busclock.h"
#include "ui/editors/parameterplotter.h"

#include <QCoreApplication>
#include <QList>
#include <QObject>
#include <QPointer>

#include <functional>

class AbstractSchemeTreeItem;
class PlotWidget;
class QDockWidget;
class QDomElement;
class QMainWindow;
class SchemeTreeModel;

// The window's plot docks: live plots of scheme parameters and plots of parameter log files.
// Feeds the live ones from the notifier's packs, applies the window length, and writes them into
// and restores them from a scheme file's "widgets" element. GUI thread.
class PlotDocks : public QObject
{
    Q_OBJECT

public:
    static constexpr int DefaultWindowMinutes = 10;
    static constexpr int MaxWindowMinutes = 24 * 60;
    static constexpr const char *DockSuffix = "PlotDockWidget";

    PlotDocks(QMainWindow *window, SchemeTreeModel *model);

    // New plots open as a tab over this dock while it sits visible in the bottom area, so they
    // get its whole width and the scheme tree keeps its height.
    void setNeighbour(QDockWidget *dock) { m_neighbour = dock; }
    // The clock live plots sample on: the bus whose packs come to slotNotifyPack (the wall clock
    // until one is given).
    void setClock(std::function<const BusClock &()> clock) { m_clock = std::move(clock); }

    // Minutes of history the live plots keep (a setting).
    int windowMinutes() const { return m_windowMinutes; }
    void setWindowMinutes(int minutes);

    // A dock plotting the plottable parameters of the nodes; null when they have none.
    QDockWidget *plotNodes(const QList<AbstractSchemeTreeItem *> &nodes);
    QDockWidget *plotSources(const QVector<ParameterPlotter::Source> &sources,
                             const QString &name = QString());
    // A dock plotting a parameter log file; null (and error) when it cannot be read. Lines left
    // out are listed in problems.
    QDockWidget *openLog(const QString &path, QString *error, QStringList *problems,
                         const QString &name = QString());

    QList<PlotWidget *> plots() const;
    QList<QDockWidget *> docks() const;
    void closeAll();

    void save(QDomElement &widgets) const;
    // Replaces the plot docks by the element's; parameters the scheme lacks are left out.
    void restore(const QDomElement &widgets);

public slots:
    void slotNotifyPack(const AbstractCanHandler::MessagePack &pack);

private:
    QDockWidget *addDock(PlotWidget *plot, const QString &title, const QString &name);
    QString nextName() const;
    // Units and labels of the scheme's parameters under their log column names.
    void describeColumns(QVector<PlotTable::Column> *columns) const;

    QMainWindow *m_window;
    SchemeTreeModel *m_model;
    QList<QPointer<QDockWidget>> m_docks;
    QPointer<QDockWidget> m_neighbour;
    int m_windowMinutes = DefaultWindowMinutes;
    std::function<const BusClock &()> m_clock = [] { return std::cref(BusClock::of(nullptr)); };
};
