// The file side of the main window: scheme files, the raw log, the parameter log and the
// settings.
#include "ui/mainwindow.h"

#include "app/parameterlog.h"
#include "can/busnames.h"
#include "can/guimessagenotifier.h"
#include "can/recordingwriter.h"
#include "can/tooladdress.h"
#include "descriptions/candevicefactory.h"
#include "descriptions/dbcdatabase.h"
#include "descriptions/deviceconstructormodel.h"
#include "descriptions/unknownpgnfunction.h"
#include "diagnostics/offboarddiagnosticdevice.h"
#include "model/devicedispatcher.h"
#include "model/tpconnection.h"
#include "scheme/abstractschemetreeitem.h"
#include "scheme/schemecontroller.h"
#include "scheme/schemedocument.h"
#include "scheme/schemetreemodel.h"
#include "ui/detailsdocks.h"
#include "ui/editors/connectiontimeoutsdialog.h"
#include "ui/editors/databasesdialog.h"
#include "ui/editors/filterdockwidget.h"
#include "ui/editors/rawdataview.h"
#include "ui/logsaver.h"
#include "ui/parameterlogrecorder.h"
#include "ui/rawdatamodel.h"
#include "ui/recentfiles.h"
#include "ui/recordingplayer.h"
#include "util/userfolders.h"

#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QRandomGenerator>
#include <QSet>
#include <QSettings>
#include <QStatusBar>
#include <QTableView>
#include <QTreeView>

#include <algorithm>

namespace {
const char *const SchemeFilter = QT_TRANSLATE_NOOP("MainWindow", "Tarvik scheme XML (*.tvsx)");
const char *const RawLogFilter = QT_TRANSLATE_NOOP("MainWindow", "Raw view text (*.txt)");
const char *const CandumpLogFilter = QT_TRANSLATE_NOOP("MainWindow", "candump log (*.log)");

// The types "Save log" offers, the first being the default; Unknown is the raw view's text.
struct LogType
{
    const char *filter;
    RecordingReader::Format format;
};
const LogType LogTypes[] = {
    {RawLogFilter, RecordingReader::Unknown},
    {CandumpLogFilter, RecordingReader::Candump},
    {QT_TRANSLATE_NOOP("MainWindow", "Vector ASC log (*.asc)"), RecordingReader::Asc},
    {QT_TRANSLATE_NOOP("MainWindow", "PEAK trace (*.trc)"), RecordingReader::Trc},
    {QT_TRANSLATE_NOOP("MainWindow", "Vector BLF log (*.blf)"), RecordingReader::Blf},
    {QT_TRANSLATE_NOOP("MainWindow", "pcapng for Wireshark (*.pcapng)"), RecordingReader::Pcapng},
};
} // namespace

bool MainWindow::openScheme(const QString &path)
{
    const bool ok = m_schemeController->deserialize(path);
    if (!ok) {
        const QString reason = m_schemeController->lastError();
        m_questions->showError(tr("Open scheme"),
                               tr("Unable to open scheme %1: %2").arg(path, reason));
    } else {
        m_schemeDocument->setClean(path);
        m_recentFiles->add(path);
        const QString note = m_schemeController->loadNote();
        if (!note.isEmpty())
            statusBar()->showMessage(note);
        reportDatabaseProblems();
    }
    m_constructorModel->refresh();
    return ok;
}

void MainWindow::on_actionOpen_triggered()
{
    if (!maybeSaveChanges())
        return;
    const QString path
        = m_questions->askOpenFileName(tr("Open scheme"), tr(SchemeFilter), schemeDialogStart());
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
    QStringList filters;
    for (const LogType &type : LogTypes)
        filters.append(tr(type.filter));
    m_selectedSaveFilter.clear();
    if (m_logSaver->isSaving())
        return;
    QString path = m_questions->askSaveFileName(
        tr("Log Filename"), filters.join(QLatin1String(";;")), QString(), &m_selectedSaveFilter);
    if (path.isEmpty())
        return;
    // The file type chosen in the dialog decides; without one, the name's extension does.
    RecordingReader::Format format = RecordingReader::Unknown;
    if (!m_selectedSaveFilter.isEmpty())
        format = LogTypes[std::max(0, int(filters.indexOf(m_selectedSaveFilter)))].format;
    else
        format = RecordingWriter::formatForPath(path);
    // A name typed without an extension gets the chosen type's.
    if (QFileInfo(path).suffix().isEmpty())
        path += QLatin1Char('.')
                + (format == RecordingReader::Unknown ? QStringLiteral("txt")
                                                      : RecordingWriter::extension(format));
    // Written a slice at a time: the window goes on meanwhile, and logSaved() tells the end.
    if (!m_logSaver->start(m_rawModel->rows(), m_rawModel->timeBaseEpochMs(), path, format)) {
        m_questions->showError(tr("Save log"),
                               tr("Unable to save %1: %2").arg(path, m_logSaver->errorString()));
        return;
    }
    findChild<QAction *>(QStringLiteral("actionSaveLog"))->setEnabled(false);
}

void MainWindow::logSaved(bool ok)
{
    findChild<QAction *>(QStringLiteral("actionSaveLog"))->setEnabled(true);
    const QString path = m_logSaver->path();
    if (ok) {
        statusBar()->showMessage(
            tr("%n messages saved to %1", nullptr, int(m_logSaver->savedCount())).arg(path), 5000);
    } else if (m_logSaver->errorString().isEmpty()) {
        statusBar()->showMessage(tr("Saving %1 cancelled; the file is as it was").arg(path), 5000);
    } else {
        m_questions->showError(tr("Save log"),
                               tr("Unable to save %1: %2").arg(path, m_logSaver->errorString()));
    }
}

void MainWindow::on_actionStartParameterLog_toggled(bool on)
{
    if (on)
        m_parameterLog->start(m_schemeModel);
    else
        m_parameterLog->stop();
}

void MainWindow::on_actionParameter_Log_Period_triggered()
{
    QSettings settings;
    bool ok = false;
    const int period = m_questions->askInt(
        tr("Parameter Log Period"), tr("Period, ms"),
        settings.value(QStringLiteral("ParameterLog/Period"), 1000).toInt(), 10, 99999, &ok);
    if (ok)
        settings.setValue(QStringLiteral("ParameterLog/Period"), period);
}

void MainWindow::on_actionParameter_Log_Directory_triggered()
{
    QSettings settings;
    const QString directory
        = m_questions->askDirectory(tr("Parameter Log Directory"), UserFolders::logDirectory());
    if (!directory.isEmpty())
        settings.setValue(QLatin1String(UserFolders::LogDirectoryKey), directory);
}

namespace {

// 0xFE is the null address and 0xFF the global one: no unit claims them.
constexpr quint32 LastToolAddress = 0xFD;

} // namespace

void MainWindow::on_actionToolAddress_triggered()
{
    bool ok = false;
    const quint32 address = m_questions->askAddress(
        tr("Tool Address"),
        tr("Address the tool claims and sends its requests from (the service tools' range is "
           "f9 and fa)"),
        m_toolPreferred, LastToolAddress, &ok);
    if (!ok)
        return;
    QSettings().setValue(QStringLiteral("Misc/ToolAddress"), address);
    m_toolPreferred = quint8(address);
    if (DeviceDispatcher *bus = dispatcher())
        bus->toolAddress().setPreferred(m_toolPreferred);
    // The tool unit claims the new address at once, on the bus thread.
    CanDeviceFactory *factory = catalogue();
    if (auto *tool = qobject_cast<OffBoardDiagnosticDevice *>(
            factory ? factory->getDevice(FlasherKey) : nullptr))
        QMetaObject::invokeMethod(tool, "slotClaimAddress", Qt::QueuedConnection);
    statusBar()->showMessage(
        tr("The tool claims address %1").arg(AbstractDisplayableItem::hexAddressText(address)),
        8000);
}

void MainWindow::restoreToolAddress()
{
    QSettings settings;
    bool ok = false;
    const uint address = settings.value(QStringLiteral("Misc/ToolAddress")).toUInt(&ok);
    m_toolPreferred = ok && address <= LastToolAddress ? quint8(address) : ToolAddress::Default;
    // The NAME's identity number is this installation's own, drawn once: two tools on one bus
    // do not claim with the same NAME.
    uint identity = settings.value(QStringLiteral("Misc/ToolIdentityNumber")).toUInt(&ok);
    if (!ok) {
        identity = QRandomGenerator::global()->bounded(1u << 21);
        settings.setValue(QStringLiteral("Misc/ToolIdentityNumber"), identity);
    }
    m_toolIdentity = identity;
    applyToolAddress();
}

const ToolAddress &MainWindow::toolAddress() const
{
    return ToolAddress::of(dispatcher());
}

void MainWindow::applyToolAddress()
{
    for (DeviceDispatcher *bus : m_schemeController->buses())
        configureBus(bus);
}

void MainWindow::on_actionConnectionTimeouts_triggered()
{
    if (m_questions->runConnectionTimeoutsDialog())
        refreshConnectionTimeouts();
}

void MainWindow::on_actionDatabases_triggered()
{
    const QList<DeviceDispatcher *> buses = m_schemeController->buses();
    QStringList names;
    QVector<CanDeviceFactory::Databases> lists;
    for (const DeviceDispatcher *bus : buses) {
        const CanDeviceFactory *catalogue = CanDeviceFactory::of(bus);
        names << BusNames::defaultName(quint8(bus->busNumber()));
        lists << (catalogue ? catalogue->dbcDatabases() : CanDeviceFactory::Databases());
    }
    if (buses.isEmpty()) {
        m_questions->showError(tr("Databases"), tr("There is no bus to decode."));
        return;
    }
    DatabasesDialog dialog(names, lists, m_questions, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QVector<CanDeviceFactory::Databases> chosen = dialog.lists();
    for (int i = 0; i < buses.size() && i < chosen.size(); ++i) {
        if (CanDeviceFactory *catalogue = CanDeviceFactory::of(buses.at(i)))
            catalogue->setDbcDatabases(chosen.at(i));
    }
    dropRawGroupsNowDescribed();
    m_constructorModel->refresh();
    m_schemeDocument->check();
}

void MainWindow::dropRawGroupsNowDescribed()
{
    // Auto add listed the groups nothing described as raw functions; once a database describes
    // one, the raw function goes and auto add makes the database's at the group's next frame.
    if (!findChild<QAction *>(QStringLiteral("actionAutoAdd"))->isChecked())
        return;
    for (AbstractSchemeTreeItem *unit : m_schemeModel->unitNodes()) {
        const CanDeviceFactory *catalogue = CanDeviceFactory::of(
            unit->displayable() ? unit->displayable()->dispatcher() : nullptr);
        if (!catalogue)
            continue;
        QSet<quint32> described;
        for (const std::shared_ptr<const DbcDatabase> &database : catalogue->dbcDatabases()) {
            for (const DbcMessage &message : database->messages) {
                if (database->matchesByPgn(message))
                    described.insert(message.pgn() & 0xFFFF);
            }
        }
        if (described.isEmpty())
            continue;
        const QList<AbstractSchemeTreeItem *> functions = unit->childNodes();
        for (AbstractSchemeTreeItem *node : functions) {
            auto *raw = qobject_cast<UnknownPgnFunction *>(node->displayable());
            if (!raw || !described.contains(raw->pgnValue()))
                continue;
            m_schemeModel->takeItem(m_schemeModel->index(node, 0));
            delete node;
            raw->deleteLater();
        }
    }
}

QByteArray MainWindow::databasesFingerprint() const
{
    QByteArray bytes;
    if (!m_schemeController)
        return bytes;
    for (const DeviceDispatcher *bus : m_schemeController->buses()) {
        const CanDeviceFactory *catalogue = CanDeviceFactory::of(bus);
        if (!catalogue)
            continue;
        for (const std::shared_ptr<const DbcDatabase> &database : catalogue->dbcDatabases())
            bytes += QStringLiteral("%1|%2|%3|%4|%5\n")
                         .arg(bus->busNumber())
                         .arg(database->filePath, database->sha256)
                         .arg(int(database->winsOverLibrary))
                         .arg(int(database->extendedAsJ1939))
                         .toUtf8();
    }
    return bytes;
}

void MainWindow::reportDatabaseProblems()
{
    const QStringList problems = m_schemeController->databaseProblems();
    if (problems.isEmpty())
        return;
    m_questions->showError(tr("Databases"), problems.join(QLatin1Char('\n')));
}

void MainWindow::refreshConnectionTimeouts()
{
    QSettings settings;
    m_transportTiming = TPConnection::readTiming(settings);
    for (DeviceDispatcher *bus : m_schemeController->buses())
        bus->setTransportTiming(m_transportTiming);
}

// --- Settings -----------------------------------------------------------------------------------

bool MainWindow::restoreUiState()
{
    // Options, not layout: they hold whatever the layout's version.
    restoreToolAddress();
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
    // A layout kept before the decoded text took the rest gave it to the time column.
    if (m_rawDataView->horizontalHeader()->stretchLastSection())
        m_rawDataView->fitColumns();
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
    // "Initial state" is chosen for one item at a time: every session starts observing.
    bool ok = false;
    const int interval
        = settings.value(QStringLiteral("Misc/GuiMessageNotifierInterval")).toInt(&ok);
    m_notifyInterval = ok && interval >= 1 && interval <= 100 ? interval : 0;
    applyNotifyInterval();
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
    const QAction *autoAdd = findChild<QAction *>(QStringLiteral("actionAutoAdd"));
    settings.setValue(QStringLiteral("Misc/AutoAdd"),
                      autoAdd->isChecked()
                          && !autoAdd->property(RecordingPlayer::TurnedOnForRecording).toBool());
    m_details->saveSettings(settings);
}
