// The file side of the main window: scheme files, the raw log, the parameter log, the settings
// and the questions it asks the user.
#include "ui/mainwindow.h"

#include "app/parameterlog.h"
#include "can/guimessagenotifier.h"
#include "descriptions/deviceconstructormodel.h"
#include "model/tpconnection.h"
#include "model/transmissionperiod.h"
#include "scheme/schemecontroller.h"
#include "scheme/schemedocument.h"
#include "scheme/schemetreemodel.h"
#include "ui/editors/connectiontimeoutsdialog.h"
#include "ui/editors/filterdockwidget.h"
#include "ui/editors/hexaddressdialog.h"
#include "ui/editors/rawdataview.h"
#include "ui/rawdatamodel.h"
#include "ui/recentfiles.h"
#include "util/savefile.h"

#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>
#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QSettings>
#include <QStatusBar>
#include <QTableView>
#include <QTextStream>
#include <QTimer>
#include <QTreeView>

namespace {
const char *const SchemeFilter = QT_TRANSLATE_NOOP("MainWindow", "Tarvik scheme XML (*.tvsx)");
const char *const RawLogFilter = QT_TRANSLATE_NOOP("MainWindow", "Raw view text (*.txt)");
const char *const CandumpLogFilter = QT_TRANSLATE_NOOP("MainWindow", "candump log (*.log)");
} // namespace

bool MainWindow::openScheme(const QString &path)
{
    const bool ok = m_schemeController->deserialize(path);
    if (!ok) {
        const QString reason = m_schemeController->lastError();
        showError(tr("Open scheme"), tr("Unable to open scheme %1: %2").arg(path, reason));
    } else {
        m_schemeDocument->setClean(path);
        m_recentFiles->add(path);
    }
    m_constructorModel->refresh();
    return ok;
}

void MainWindow::on_actionOpen_triggered()
{
    if (!maybeSaveChanges())
        return;
    const QString path = askOpenFileName(tr("Open scheme"), tr(SchemeFilter));
    if (path.isEmpty() || !QFileInfo::exists(path))
        return;
    openScheme(path);
}

void MainWindow::on_actionSave_triggered()
{
    saveScheme(false);
}

void MainWindow::on_actionSaveAs_triggered()
{
    saveScheme(true);
}

void MainWindow::on_actionSaveLog_triggered()
{
    const QString textFilter = tr(RawLogFilter);
    const QString candumpFilter = tr(CandumpLogFilter);
    m_selectedSaveFilter.clear();
    QString path
        = askSaveFileName(tr("Log Filename"), textFilter + QLatin1String(";;") + candumpFilter);
    if (path.isEmpty())
        return;
    // The file type chosen in the dialog decides; without one, the name's extension does.
    const bool candump = m_selectedSaveFilter.isEmpty()
                             ? path.endsWith(QLatin1String(".log"), Qt::CaseInsensitive)
                             : m_selectedSaveFilter == candumpFilter;
    // A name typed without an extension gets the chosen type's.
    if (QFileInfo(path).suffix().isEmpty())
        path += candump ? QLatin1String(".log") : QLatin1String(".txt");
    QString text;
    QTextStream stream(&text);
    if (candump)
        m_rawModel->saveCandump(stream, m_rawModel->timeBaseEpochMs());
    else
        m_rawModel->save(stream);
    stream.flush();
    if (SaveFile::write(path, text.toUtf8()))
        statusBar()->showMessage(
            tr("%n messages saved to %1", nullptr, m_rawModel->rowCount()).arg(path), 5000);
}

void MainWindow::on_actionStartParameterLog_toggled(bool on)
{
    if (!on) {
        stopParameterLog();
        return;
    }
    QSettings settings;
    int period = settings.value(QStringLiteral("ParameterLog/Period"), 1000).toInt();
    if (period < 1)
        period = 1000;
    const QString directory
        = settings.value(QStringLiteral("ParameterLog/Directory"), QDir::currentPath()).toString();
    const QList<ParameterLog::Column> columns = ParameterLog::collectColumns(m_schemeModel);
    if (columns.isEmpty()) {
        // A file of times alone helps nobody: say what the log needs instead.
        findChild<QAction *>(QStringLiteral("actionStartParameterLog"))->setChecked(false);
        statusBar()->showMessage(tr("Nothing to log: mark the items to log with Filter On "
                                    "(right-click them in the scheme tree), then start the log."));
        return;
    }
    const QDateTime start = QDateTime::currentDateTime();
    const QString path = ParameterLog::fileName(directory, start);
    if (!m_parameterLog->start(path, columns, start.toMSecsSinceEpoch())) {
        findChild<QAction *>(QStringLiteral("actionStartParameterLog"))->setChecked(false);
        return;
    }
    m_parameterLogStart = start.toMSecsSinceEpoch();
    m_parameterLogRecords = 0;
    m_parameterLogCounter->setText(QStringLiteral("0"));
    m_parameterLogTimer->setInterval(period);
    m_parameterLogTimer->start();
    const QString written = QDir::toNativeSeparators(m_parameterLog->path());
    m_parameterLogCounter->setToolTip(tr("Parameter log records, written to %1").arg(written));
    statusBar()->showMessage(tr("Parameter log started: %1").arg(written));
}

void MainWindow::stopParameterLog()
{
    m_parameterLogTimer->stop();
    if (!m_parameterLog->isRunning())
        return;
    const QString written = QDir::toNativeSeparators(m_parameterLog->path());
    m_parameterLog->stop();
    m_parameterLogCounter->setToolTip(tr("Parameter log records"));
    statusBar()->showMessage(
        tr("Parameter log stopped: %n records in %1", nullptr, m_parameterLogRecords).arg(written));
}

void MainWindow::slotParameterLogTick()
{
    if (!m_parameterLog->isRunning()) {
        m_parameterLogTimer->stop();
        return;
    }
    const bool live = findChild<QAction *>(QStringLiteral("actionLiveParameterLog"))->isChecked();
    if (!m_parameterLog->writeRecord(QDateTime::currentMSecsSinceEpoch(), live)) {
        // What was written so far stays; the user learns why the log ended.
        const QString reason = m_parameterLog->errorString();
        findChild<QAction *>(QStringLiteral("actionStartParameterLog"))->setChecked(false);
        statusBar()->showMessage(tr("Parameter log stopped: %1").arg(reason));
        return;
    }
    ++m_parameterLogRecords;
    m_parameterLogCounter->setText(QString::number(m_parameterLogRecords));
}

void MainWindow::on_actionParameter_Log_Period_triggered()
{
    QSettings settings;
    bool ok = false;
    const int period = askInt(tr("Parameter Log Period"), tr("Period, ms"),
                              settings.value(QStringLiteral("ParameterLog/Period"), 1000).toInt(),
                              10, 99999, &ok);
    if (ok)
        settings.setValue(QStringLiteral("ParameterLog/Period"), period);
}

void MainWindow::on_actionParameter_Log_Directory_triggered()
{
    QSettings settings;
    const QString directory = askDirectory(
        tr("Parameter Log Directory"),
        settings.value(QStringLiteral("ParameterLog/Directory"), QDir::currentPath()).toString());
    if (!directory.isEmpty())
        settings.setValue(QStringLiteral("ParameterLog/Directory"), directory);
}

void MainWindow::on_actionConnectionTimeouts_triggered()
{
    if (runConnectionTimeoutsDialog())
        refreshConnectionTimeouts();
}

void MainWindow::refreshConnectionTimeouts()
{
    QSettings settings;
    TPConnection::readTiming(settings);
}

// --- Settings -----------------------------------------------------------------------------------

bool MainWindow::restoreUiState()
{
    QSettings settings;
    settings.beginGroup(QStringLiteral("WindowState"));
    const int stored = settings.value(QStringLiteral("UiVersion"), -1).toInt();
    if (stored != UiVersion) {
        qDebug("UiVersion changed from %d to %d, won't restore ui state", stored, UiVersion);
        return false;
    }
    restoreGeometry(settings.value(QStringLiteral("mainWindowGeometry")).toByteArray());
    restoreState(settings.value(QStringLiteral("mainWindowState")).toByteArray(), UiVersion);
    m_constructorView->horizontalHeader()->restoreState(
        settings.value(QStringLiteral("constructorViewHeader")).toByteArray());
    m_rawDataView->horizontalHeader()->restoreState(
        settings.value(QStringLiteral("rawViewHeader")).toByteArray());
    m_mainView->header()->restoreState(
        settings.value(QStringLiteral("deviceViewHeader")).toByteArray());
    settings.endGroup();

    if (settings.contains(QStringLiteral("RawState/Enabled")))
        findChild<QAction *>(QStringLiteral("actionRawEnable"))
            ->setChecked(settings.value(QStringLiteral("RawState/Enabled")).toBool());
    if (settings.contains(QStringLiteral("Misc/AutoAdd")))
        findChild<QAction *>(QStringLiteral("actionAutoAdd"))
            ->setChecked(settings.value(QStringLiteral("Misc/AutoAdd")).toBool());
    settings.beginGroup(QStringLiteral("Filters"));
    m_filterDock->restoreSettings(settings);
    settings.endGroup();
    if (settings.contains(QStringLiteral("Misc/DefaultState"))) {
        const int id = settings.value(QStringLiteral("Misc/DefaultState")).toInt();
        if (QAbstractButton *button = m_initialStateGroup->button(id))
            button->setChecked(true);
    }
    bool ok = false;
    const int interval
        = settings.value(QStringLiteral("Misc/GuiMessageNotifierInterval")).toInt(&ok);
    GuiMessageNotifier *notifier = GuiMessageNotifier::instance();
    if (ok && interval >= 1 && interval <= 100 && notifier) {
        qDebug("Adjusting GuiMessageNotifierInterval to %d", interval);
        notifier->setNotifyInterval(interval);
    }
    refreshConnectionTimeouts();
    return true;
}

void MainWindow::saveUiState()
{
    QSettings settings;
    settings.beginGroup(QStringLiteral("WindowState"));
    settings.setValue(QStringLiteral("UiVersion"), UiVersion);
    settings.setValue(QStringLiteral("mainWindowGeometry"), saveGeometry());
    settings.setValue(QStringLiteral("mainWindowState"), saveState(UiVersion));
    settings.setValue(QStringLiteral("constructorViewHeader"),
                      m_constructorView->horizontalHeader()->saveState());
    settings.setValue(QStringLiteral("rawViewHeader"),
                      m_rawDataView->horizontalHeader()->saveState());
    settings.setValue(QStringLiteral("deviceViewHeader"), m_mainView->header()->saveState());
    settings.endGroup();
    settings.setValue(QStringLiteral("RawState/Enabled"),
                      findChild<QAction *>(QStringLiteral("actionRawEnable"))->isChecked());
    settings.beginGroup(QStringLiteral("Filters"));
    m_filterDock->saveSettings(settings);
    settings.endGroup();
    settings.setValue(QStringLiteral("Misc/AutoAdd"),
                      findChild<QAction *>(QStringLiteral("actionAutoAdd"))->isChecked());
    settings.setValue(QStringLiteral("Misc/DefaultState"), m_initialStateGroup->checkedId());
    if (m_lastDetailsDock)
        settings.setValue(QStringLiteral("Misc/LastDetailsArea"),
                          int(dockWidgetArea(m_lastDetailsDock)));
}

// --- Questions to the user ----------------------------------------------------------------------

int MainWindow::askInt(const QString &title, const QString &label, int value, int min, int max,
                       bool *ok)
{
    return QInputDialog::getInt(this, title, label, value, min, max, 1, ok);
}

QString MainWindow::askText(const QString &title, const QString &label, const QString &text,
                            bool *ok)
{
    return QInputDialog::getText(this, title, label, QLineEdit::Normal, text, ok);
}

QString MainWindow::askOpenFileName(const QString &title, const QString &filter)
{
    return QFileDialog::getOpenFileName(this, title, schemeDialogStart(), filter);
}

QString MainWindow::askSaveFileName(const QString &title, const QString &filter)
{
    const QString start = filter == tr(SchemeFilter) ? schemeDialogStart() : QString();
    return QFileDialog::getSaveFileName(this, title, start, filter, &m_selectedSaveFilter);
}

QString MainWindow::askDirectory(const QString &title, const QString &start)
{
    return QFileDialog::getExistingDirectory(this, title, start, QFileDialog::ShowDirsOnly);
}

bool MainWindow::runConnectionTimeoutsDialog()
{
    ConnectionTimeoutsDialog dialog(this);
    return dialog.exec() == QDialog::Accepted;
}

void MainWindow::showError(const QString &title, const QString &text)
{
    QMessageBox::warning(this, title, text);
}

quint32 MainWindow::askAddress(const QString &title, const QString &label, quint32 value,
                               quint32 maximum, bool *ok)
{
    HexAddressDialog dialog(title, label, value, maximum, this);
    *ok = dialog.exec() == QDialog::Accepted && dialog.hasAcceptableInput();
    return dialog.value();
}

bool MainWindow::confirmShortPeriod(int periodMs)
{
    const QString text
        = tr("A period of %1 ms is shorter than %2 ms: this item alone can take much of the bus.\n"
             "Use %1 ms?")
              .arg(periodMs)
              .arg(TransmissionPeriod::MinimumMs);
    return QMessageBox::question(this, tr("Period"), text, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No)
           == QMessageBox::Yes;
}
