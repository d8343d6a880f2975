// The main window's plot actions: plotting the selected rows, opening a parameter log as a plot
// and the plots' history length.
#include "ui/mainwindow.h"

#include "ui/editors/plotdocks.h"

#include <QDockWidget>
#include <QStatusBar>

void MainWindow::on_actionPlot_triggered()
{
    QList<AbstractSchemeTreeItem *> nodes = selectedNodes();
    if (nodes.isEmpty() && currentNode())
        nodes << currentNode();
    QDockWidget *dock = m_plotDocks->plotNodes(nodes);
    if (!dock) {
        statusBar()->showMessage(tr("Nothing to plot: the selected rows have no numeric values"),
                                 5000);
        return;
    }
    dock->raise();
}

void MainWindow::on_actionOpenParameterLog_triggered()
{
    const QString path = m_questions->askOpenFileName(
        tr("Open parameter log"), tr("Parameter log CSV (*.csv);;All files (*)"),
        schemeDialogStart());
    if (path.isEmpty())
        return;
    QString error;
    QStringList problems;
    QDockWidget *dock = m_plotDocks->openLog(path, &error, &problems);
    if (!dock) {
        m_questions->showError(tr("Open parameter log"),
                               tr("Unable to open parameter log %1: %2").arg(path, error));
        return;
    }
    dock->raise();
    if (!problems.isEmpty())
        m_questions->showError(
            tr("Open parameter log"),
            tr("Parts of %1 were left out:\n%2").arg(path, problems.join(QLatin1Char('\n'))));
}

void MainWindow::on_actionPlotWindow_triggered()
{
    bool ok = false;
    const int minutes
        = m_questions->askInt(tr("Plot history"), tr("Minutes of values the plots keep"),
                              m_plotDocks->windowMinutes(), 1, PlotDocks::MaxWindowMinutes, &ok);
    if (ok)
        m_plotDocks->setWindowMinutes(minutes);
}

void MainWindow::savePlots(QDomElement &widgets) const
{
    m_plotDocks->save(widgets);
}

void MainWindow::restorePlots(const QDomElement &widgets)
{
    m_plotDocks->restore(widgets);
}

void MainWindow::closePlots()
{
    m_plotDocks->closeAll();
}
