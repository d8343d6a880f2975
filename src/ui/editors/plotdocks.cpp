#include "ui/editors/plotdocks.h"

#include "can/busclock.h"

#include "model/abstractdisplayableitem.h"
#include "model/zxparameter.h"
#include "scheme/abstractschemetreeitem.h"
#include "scheme/schemetreemodel.h"
#include "ui/editors/plotwidget.h"
#include "ui/parameterlogreader.h"

#include <QDateTime>
#include <QDockWidget>
#include <QDomElement>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMainWindow>
#include <QSettings>
#include <QStatusBar>

#include <algorithm>
#include <memory>

namespace {

const QString WindowKey = QStringLiteral("Misc/PlotWindowMinutes");
const QString FileProperty = QStringLiteral("plotFile");

void describe(const AbstractSchemeTreeItem *node, QHash<QString, PlotTable::Column> *columns)
{
    if (const AbstractDisplayableItem *item = node->displayable()) {
        const QString key = node->uniqueKey();
        for (const ZxParameter *p : item->parameters()) {
            PlotTable::Column c;
            c.id = AbstractDisplayableItem::sanitizeParameterId(key + p->name());
            c.label = p->name();
            c.unit = p->suffix().trimmed();
            columns->insert(c.id, c);
        }
    }
    for (const AbstractSchemeTreeItem *child : node->childNodes())
        describe(child, columns);
}

} // namespace

PlotDocks::PlotDocks(QMainWindow *window, SchemeTreeModel *model)
    : QObject(window)
    , m_window(window)
    , m_model(model)
{
    setObjectName(QStringLiteral("plotDocks"));
    m_windowMinutes = std::clamp(QSettings().value(WindowKey, DefaultWindowMinutes).toInt(), 1,
                                 MaxWindowMinutes);
}

void PlotDocks::setWindowMinutes(int minutes)
{
    m_windowMinutes = std::clamp(minutes, 1, MaxWindowMinutes);
    QSettings().setValue(WindowKey, m_windowMinutes);
    for (PlotWidget *plot : plots()) {
        if (plot->isLive())
            plot->setWindow(m_windowMinutes * 60.0);
    }
}

QList<QDockWidget *> PlotDocks::docks() const
{
    QList<QDockWidget *> list;
    for (const QPointer<QDockWidget> &dock : m_docks) {
        if (dock)
            list.append(dock.data());
    }
    return list;
}

QList<PlotWidget *> PlotDocks::plots() const
{
    QList<PlotWidget *> list;
    for (QDockWidget *dock : docks()) {
        if (auto *plot = qobject_cast<PlotWidget *>(dock->widget()))
            list.append(plot);
    }
    return list;
}

void PlotDocks::closeAll()
{
    for (QDockWidget *dock : docks())
        delete dock;
    m_docks.clear();
}

QString PlotDocks::nextName() const
{
    for (int n = 1;; ++n) {
        const QString name = QStringLiteral("plot%1").arg(n);
        if (!m_window->findChild<QDockWidget *>(name + QLatin1String(DockSuffix)))
            return name;
    }
}

QDockWidget *PlotDocks::addDock(PlotWidget *plot, const QString &title, const QString &name)
{
    auto *dock = new QDockWidget(title, m_window);
    dock->setObjectName((name.isEmpty() ? nextName() : name) + QLatin1String(DockSuffix));
    dock->setAttribute(Qt::WA_DeleteOnClose);
    plot->setParent(dock);
    dock->setWidget(plot);
    // Beside the raw view a plot would get half of the bottom area's width; in a tab over the
    // last plot or the raw view it gets all of it, and the raw view is one click away.
    QList<QDockWidget *> candidates = docks();
    candidates.append(m_neighbour.data());
    QDockWidget *over = nullptr;
    for (QDockWidget *d : qAsConst(candidates)) {
        if (d && d != dock && d->isVisibleTo(m_window) && !d->isFloating()
            && m_window->dockWidgetArea(d) == Qt::BottomDockWidgetArea) {
            over = d;
            break;
        }
    }
    if (over)
        m_window->tabifyDockWidget(over, dock);
    else
        m_window->addDockWidget(Qt::BottomDockWidgetArea, dock);
    // Room for the panels, up to half the window, so the scheme tree keeps the other half; a
    // restored layout sets its own sizes afterwards.
    // On a small screen half the room between the tool bars and the status bar is all it gets.
    const int wanted = std::max(plot->fullHeight() + 40, 280);
    int room = m_window->height();
    if (QWidget *central = m_window->centralWidget()) {
        const int below = m_window->statusBar()->isVisible() ? m_window->statusBar()->y()
                                                             : m_window->height();
        if (central->isVisible() && below > central->y())
            room = below - central->y();
    }
    m_window->resizeDocks({dock}, {std::min(wanted, std::max(room / 2, 120))}, Qt::Vertical);
    m_docks.append(dock);
    return dock;
}

QDockWidget *PlotDocks::plotNodes(const QList<AbstractSchemeTreeItem *> &nodes)
{
    QVector<ParameterPlotter::Source> sources;
    for (const AbstractSchemeTreeItem *node : nodes) {
        const AbstractDisplayableItem *item = node->displayable();
        if (!item)
            continue;
        const QList<ZxParameter *> &parameters = item->parameters();
        for (int i = 0; i < parameters.size(); ++i) {
            if (!parameters.at(i)->isHidden() && ParameterPlotter::isPlottable(parameters.at(i)))
                sources.append(ParameterPlotter::sourceFor(node, i));
        }
    }
    return sources.isEmpty() ? nullptr : plotSources(sources);
}

QDockWidget *PlotDocks::plotSources(const QVector<ParameterPlotter::Source> &sources,
                                    const QString &name)
{
    auto *plot = new PlotWidget(true, m_clock().nowMs());
    plot->plotter().setSources(sources);
    plot->setWindow(m_windowMinutes * 60.0);
    // The plot starts with the values as they are now.
    plot->plotter().sampleNow(m_clock().nowMs());
    plot->rebuild();
    const QVector<PlotTable::Column> &columns = plot->table().columns();
    QString title = columns.isEmpty() ? tr("Plot") : tr("Plot: %1").arg(columns.first().label);
    if (columns.size() > 1)
        title += tr(" and %n more", nullptr, columns.size() - 1);
    return addDock(plot, title, name);
}

QDockWidget *PlotDocks::openLog(const QString &path, QString *error, QStringList *problems,
                                const QString &name)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return nullptr;
    }
    auto plot = std::make_unique<PlotWidget>(false, m_clock().nowMs());
    ParameterLogReader reader;
    if (!reader.read(file.readAll(), &plot->plotter().table())) {
        *error = reader.errorString();
        return nullptr;
    }
    *problems = reader.problems();
    if (reader.badLines() > ParameterLogReader::MaxReportedProblems)
        problems->append(tr("%n lines left out in all.", nullptr, reader.badLines()));
    QVector<PlotTable::Column> columns = plot->table().columns();
    describeColumns(&columns);
    for (int c = 0; c < columns.size(); ++c)
        plot->plotter().table().describeColumn(c, columns.at(c).label, columns.at(c).unit);
    plot->rebuild();
    QDockWidget *dock
        = addDock(plot.release(), tr("Log: %1").arg(QFileInfo(path).fileName()), name);
    dock->setProperty(FileProperty.toLatin1().constData(), QFileInfo(path).absoluteFilePath());
    return dock;
}

void PlotDocks::describeColumns(QVector<PlotTable::Column> *columns) const
{
    QHash<QString, PlotTable::Column> known;
    if (m_model) {
        for (const AbstractSchemeTreeItem *node : m_model->unitNodes())
            describe(node, &known);
    }
    for (PlotTable::Column &c : *columns) {
        const auto found = known.constFind(c.id);
        if (found != known.constEnd()) {
            c.label = found->label;
            c.unit = found->unit;
        }
    }
}

void PlotDocks::slotNotifyPack(const AbstractCanHandler::MessagePack &pack)
{
    if (m_docks.isEmpty())
        return;
    // The bus time: a played recording's own, standing still while it pauses.
    const qint64 now = m_clock().nowMs();
    for (PlotWidget *plot : plots()) {
        if (plot->isLive())
            plot->sample(pack, now);
    }
}

void PlotDocks::save(QDomElement &widgets) const
{
    QDomDocument doc = widgets.ownerDocument();
    for (QDockWidget *dock : docks()) {
        const auto *plot = qobject_cast<PlotWidget *>(dock->widget());
        if (!plot)
            continue;
        QDomElement element = doc.createElement(QStringLiteral("plot"));
        QString name = dock->objectName();
        name.chop(int(qstrlen(DockSuffix)));
        element.setAttribute(QStringLiteral("name"), name);
        const QString file = dock->property(FileProperty.toLatin1().constData()).toString();
        if (!file.isEmpty()) {
            element.setAttribute(QStringLiteral("file"), file);
        } else {
            element.setAttribute(QStringLiteral("window"), qRound(plot->table().window()));
            for (const ParameterPlotter::Source &s : plot->plotter().sources()) {
                QDomElement parameter = doc.createElement(QStringLiteral("parameter"));
                parameter.setAttribute(QStringLiteral("path"), s.path);
                parameter.setAttribute(QStringLiteral("key"), s.parameterKey);
                parameter.setAttribute(QStringLiteral("index"), s.parameter);
                element.appendChild(parameter);
            }
        }
        widgets.appendChild(element);
    }
}

void PlotDocks::restore(const QDomElement &widgets)
{
    closeAll();
    for (QDomElement e = widgets.firstChildElement(QStringLiteral("plot")); !e.isNull();
         e = e.nextSiblingElement(QStringLiteral("plot"))) {
        const QString name = e.attribute(QStringLiteral("name"));
        // The name becomes an object name the window layout refers to: letters and digits only.
        const bool nameOk = !name.isEmpty() && name.size() < 40
                            && std::all_of(name.begin(), name.end(),
                                           [](QChar c) { return c.isLetterOrNumber(); });
        const QString dockName = nameOk ? name : QString();
        const QString file = e.attribute(QStringLiteral("file"));
        if (!file.isEmpty()) {
            QString error;
            QStringList problems;
            if (!openLog(file, &error, &problems, dockName))
                qWarning("Plot of %s left out: %s", qUtf8Printable(file), qUtf8Printable(error));
            continue;
        }
        QVector<ParameterPlotter::Source> sources;
        for (QDomElement p = e.firstChildElement(QStringLiteral("parameter")); !p.isNull();
             p = p.nextSiblingElement(QStringLiteral("parameter"))) {
            ParameterPlotter::Source s;
            s.path = p.attribute(QStringLiteral("path"));
            s.parameterKey = p.attribute(QStringLiteral("key"));
            s.parameter = p.attribute(QStringLiteral("index"), QStringLiteral("-1")).toInt();
            if (ParameterPlotter::resolve(&s, m_model))
                sources.append(s);
            else
                qWarning("Plotted parameter %s of %s is not in the scheme",
                         qUtf8Printable(s.parameterKey), qUtf8Printable(s.path));
        }
        if (sources.isEmpty())
            continue;
        QDockWidget *dock = plotSources(sources, dockName);
        bool ok = false;
        const int window = e.attribute(QStringLiteral("window")).toInt(&ok);
        if (ok && window > 0)
            static_cast<PlotWidget *>(dock->widget())
                ->setWindow(std::min(window, MaxWindowMinutes * 60));
    }
}
