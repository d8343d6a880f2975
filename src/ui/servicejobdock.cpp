#include "ui/servicejobdock.h"

#include "app/jobsession.h"
#include "descriptions/unitnames.h"
#include "job/inventory.h"
#include "job/inventorycomparison.h"
#include "job/snapshotwriter.h"
#include "ui/desktopfiles.h"
#include "ui/dockcontent.h"

#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QJsonArray>
#include <QJsonObject>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

QTableWidget *table(const char *name, const QStringList &headers, QWidget *parent)
{
    auto *t = new QTableWidget(0, int(headers.size()), parent);
    t->setObjectName(QLatin1String(name));
    t->setHorizontalHeaderLabels(headers);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->setWordWrap(false);
    t->verticalHeader()->hide();
    t->horizontalHeader()->setStretchLastSection(true);
    return t;
}

void setRow(QTableWidget *t, int row, const QStringList &texts, const QColor &background = {})
{
    for (int c = 0; c < texts.size(); ++c) {
        auto *item = new QTableWidgetItem(texts.at(c));
        item->setToolTip(texts.at(c));
        if (background.isValid())
            item->setBackground(background);
        t->setItem(row, c, item);
    }
}

// Each column as wide as its texts, up to a limit: long texts show whole in their tool tips.
void fitColumns(QTableWidget *t)
{
    constexpr int MaxWidth = 320;
    t->resizeColumnsToContents();
    for (int c = 0; c + 1 < t->columnCount(); ++c)
        t->setColumnWidth(c, qMin(t->columnWidth(c), MaxWidth));
}

QString codesText(const QVector<InventoryRecord::Code> &codes, bool known)
{
    if (!known)
        return ServiceJobDock::tr("not received");
    if (codes.isEmpty())
        return ServiceJobDock::tr("none");
    QStringList texts;
    for (const InventoryRecord::Code &c : codes)
        texts << ServiceJobDock::tr("SPN %1 FMI %2 OC %3").arg(c.spn).arg(c.fmi).arg(c.oc);
    return texts.join(QStringLiteral(", "));
}

QString calibrationsText(const QVector<InventoryRecord::Calibration> &list)
{
    QStringList texts;
    for (const InventoryRecord::Calibration &c : list)
        texts << QStringLiteral("%1 (CVN %2)").arg(c.calId, c.cvn);
    return texts.join(QStringLiteral(", "));
}

QString outcomeText(ServiceJournal::Outcome outcome)
{
    switch (outcome) {
    case ServiceJournal::Outcome::Done:
        return ServiceJobDock::tr("done");
    case ServiceJournal::Outcome::Failed:
        return ServiceJobDock::tr("failed");
    case ServiceJournal::Outcome::Cancelled:
        return ServiceJobDock::tr("cancelled");
    }
    return QString();
}

} // namespace

ServiceJobDock::ServiceJobDock(JobSession *session, QWidget *parent)
    : QDockWidget(tr("Service job"), parent)
    , m_session(session)
{
    setObjectName(QStringLiteral("serviceJobDock"));
    auto *content = new QWidget(this);
    m_header = new QLabel(content);
    m_header->setObjectName(QStringLiteral("jobHeader"));
    m_header->setWordWrap(true);
    m_header->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_refresh = new QPushButton(tr("Take inventory again"), content);
    m_refresh->setObjectName(QStringLiteral("jobRefreshInventory"));
    m_refresh->setToolTip(tr("Listens and asks the units again; what it finds fills what the "
                             "inventory as found missed"));
    m_finish = new QPushButton(tr("Finish job…"), content);
    m_finish->setObjectName(QStringLiteral("jobFinish"));
    m_report = new QPushButton(tr("Open report"), content);
    m_report->setObjectName(QStringLiteral("jobOpenReport"));
    m_folder = new QPushButton(tr("Open folder"), content);
    m_folder->setObjectName(QStringLiteral("jobOpenFolder"));
    connect(m_refresh, &QPushButton::clicked, this, [this] { m_session->refreshInventory(); });
    connect(m_finish, &QPushButton::clicked, this, &ServiceJobDock::finishRequested);
    connect(m_report, &QPushButton::clicked, this, &ServiceJobDock::reportRequested);
    connect(m_folder, &QPushButton::clicked, this, [this] {
        if (m_session->job())
            openWithDesktop(this, m_session->job()->dir());
    });
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_refresh);
    buttons->addWidget(m_finish);
    buttons->addWidget(m_report);
    buttons->addWidget(m_folder);
    buttons->addStretch(1);

    m_tabs = new QTabWidget(content);
    m_tabs->setObjectName(QStringLiteral("jobTabs"));
    m_asFound = table("jobAsFoundTable",
                      {tr("Unit"), tr("NAME"), tr("ECU"), tr("Software"), tr("Component"),
                       tr("VIN"), tr("Calibrations"), tr("Active codes"),
                       tr("Previously active codes"), tr("Values")},
                      m_tabs);
    m_changes = table("jobChangesTable",
                      {tr("Time"), tr("Change"), tr("Unit"), tr("Outcome"), tr("What")}, m_tabs);
    m_snapshots = table("jobSnapshotsTable",
                        {tr("#"), tr("Time"), tr("Unit"), tr("Change"), tr("Frames")}, m_tabs);
    m_comparison
        = table("jobComparisonTable",
                {tr("Unit"), tr("What"), tr("As found"), tr("As left"), tr("Difference")}, m_tabs);
    m_tabs->addTab(m_asFound, tr("As found"));
    m_tabs->addTab(m_changes, tr("Changes"));
    m_tabs->addTab(m_snapshots, tr("Fault snapshots"));
    m_tabs->addTab(m_comparison, tr("As left"));
    connect(m_snapshots, &QTableWidget::cellDoubleClicked, this,
            [this](int row, int) { openSnapshot(row); });

    auto *layout = new QVBoxLayout(content);
    layout->addWidget(m_header);
    layout->addLayout(buttons);
    layout->addWidget(m_tabs, 1);
    setScrolledDockContent(this, content);

    connect(session, &JobSession::jobChanged, this, &ServiceJobDock::refresh);
    connect(session, &JobSession::inventoryStarted, this, &ServiceJobDock::refresh);
    connect(session, &JobSession::inventoryTaken, this, &ServiceJobDock::refresh);
    connect(session, &JobSession::changeAdded, this, &ServiceJobDock::refreshChanges);
    connect(session, &JobSession::snapshotWritten, this, &ServiceJobDock::refreshSnapshots);
    refresh();
}

void ServiceJobDock::refresh()
{
    ServiceJob *job = m_session->job();
    const bool open = job && !job->isFinished();
    const bool taking = m_session->isTakingInventory();
    m_refresh->setEnabled(open && !taking);
    m_finish->setEnabled(open && !taking);
    m_report->setEnabled(job != nullptr);
    m_folder->setEnabled(job != nullptr);
    if (!job) {
        m_header->setText(tr("No service job. File ▸ New service job… starts one."));
    } else {
        const ServiceJob::Info &info = job->info();
        QStringList lines;
        lines << tr("<b>%1</b> — %2")
                     .arg(m_session->title().toHtmlEscaped(),
                          job->isFinished()
                              ? tr("finished %1")
                                    .arg(info.finishedAt.toLocalTime().toString(Qt::ISODate))
                          : taking ? tr("taking the inventory…")
                                   : tr("open since %1")
                                         .arg(info.started.toLocalTime().toString(Qt::ISODate)));
        const ServiceJob::Header &h = info.header;
        QStringList facts;
        if (!h.serial.isEmpty())
            facts << tr("serial %1").arg(h.serial.toHtmlEscaped());
        if (!h.vin.isEmpty())
            facts << tr("VIN %1").arg(h.vin.toHtmlEscaped());
        if (!h.order.isEmpty())
            facts << tr("order %1").arg(h.order.toHtmlEscaped());
        if (!h.engineer.isEmpty())
            facts << tr("engineer %1").arg(h.engineer.toHtmlEscaped());
        if (!facts.isEmpty())
            lines << facts.join(QStringLiteral(", "));
        lines << tr("Folder: %1").arg(QDir::toNativeSeparators(job->dir()).toHtmlEscaped());
        m_header->setText(lines.join(QStringLiteral("<br>")));
    }
    refreshInventory();
    refreshChanges();
    refreshSnapshots();
}

void ServiceJobDock::refreshInventory()
{
    ServiceJob *job = m_session->job();
    const InventoryRecord found = job && job->hasAsFound() ? job->asFound() : InventoryRecord();
    m_asFound->setRowCount(int(found.units.size()));
    for (int row = 0; row < found.units.size(); ++row) {
        const InventoryRecord::Unit &u = found.units.at(row);
        QStringList values;
        for (const InventoryRecord::Value &v : u.values)
            values << QStringLiteral("%1 = %2").arg(v.what, v.value);
        setRow(m_asFound, row,
               {InventoryRecord::unitText(u.label, u.bus), u.name, u.ecu, u.software,
                u.componentText(), u.vin, calibrationsText(u.calibrations),
                codesText(u.active, u.activeKnown), codesText(u.previous, u.previousKnown),
                values.join(QStringLiteral("; "))});
    }
    fitColumns(m_asFound);
    const bool compared = job && job->hasAsLeft() && job->hasAsFound();
    QVector<InventoryComparison::Row> rows;
    if (compared) {
        // What neither inventory holds says nothing.
        for (const InventoryComparison::Row &r :
             InventoryComparison::compare(job->asFound(), job->asLeft())) {
            if (r.kind != InventoryComparison::Kind::Same || !r.before.isEmpty()
                || !r.after.isEmpty())
                rows.append(r);
        }
    }
    m_comparison->setRowCount(int(rows.size()));
    for (int i = 0; i < rows.size(); ++i) {
        const InventoryComparison::Row &r = rows.at(i);
        QString difference = r.kind == InventoryComparison::Kind::Same
                                 ? QString()
                                 : InventoryComparison::kindText(r.kind);
        // A code's fate says more than the row's kind; a code still active is no difference.
        QColor background = difference.isEmpty() ? QColor() : QColor(255, 226, 160);
        switch (r.fate) {
        case InventoryComparison::CodeFate::Cleared:
            background = QColor(200, 235, 200);
            break;
        case InventoryComparison::CodeFate::New:
            background = QColor(245, 200, 200);
            break;
        case InventoryComparison::CodeFate::StillStored:
        case InventoryComparison::CodeFate::NowStored:
            background = QColor();
            break;
        case InventoryComparison::CodeFate::StillActive:
            background
                = r.kind == InventoryComparison::Kind::Changed ? QColor(255, 226, 160) : QColor();
            break;
        case InventoryComparison::CodeFate::None:
            break;
        }
        if (r.fate != InventoryComparison::CodeFate::None)
            difference = InventoryComparison::fateText(r.fate);
        const bool unit = r.field == InventoryComparison::Field::Unit;
        setRow(m_comparison, i,
               {InventoryRecord::unitText(r.unit, r.bus), InventoryComparison::fieldText(r),
                unit ? InventoryRecord::unitText(r.before, r.bus) : r.before,
                unit ? InventoryRecord::unitText(r.after, r.bus) : r.after, difference},
               background);
    }
    fitColumns(m_comparison);
    m_tabs->setTabEnabled(m_tabs->indexOf(m_comparison), compared);
}

void ServiceJobDock::refreshChanges()
{
    ServiceJob *job = m_session->job();
    const QVector<ServiceJournal::Entry> changes
        = job ? job->changes() : QVector<ServiceJournal::Entry>();
    m_changes->setRowCount(int(changes.size()));
    for (int row = 0; row < changes.size(); ++row) {
        const ServiceJournal::Entry &e = changes.at(row);
        setRow(m_changes, row,
               {e.time.toLocalTime().toString(QStringLiteral("HH:mm:ss")),
                ServiceJournal::summaryOf(e, &UnitNames::translated), UnitNames::translated(e.unit),
                outcomeText(e.outcome),
                ServiceJournal::detailsOf(e, &UnitNames::translated).join(QStringLiteral("; "))},
               e.outcome == ServiceJournal::Outcome::Failed ? QColor(255, 205, 205) : QColor());
    }
    fitColumns(m_changes);
    if (!changes.isEmpty())
        m_changes->scrollToBottom();
}

void ServiceJobDock::refreshSnapshots()
{
    ServiceJob *job = m_session->job();
    QJsonArray entries;
    if (job) {
        QString error;
        SnapshotWriter::readIndex(QDir(job->snapshotsDir()).filePath(QStringLiteral("index.json")),
                                  &entries, &error);
    }
    m_snapshots->setRowCount(int(entries.size()));
    for (int row = 0; row < entries.size(); ++row) {
        const QJsonObject e = entries.at(row).toObject();
        const QDateTime time
            = QDateTime::fromString(e.value(QStringLiteral("time")).toString(), Qt::ISODate);
        setRow(m_snapshots, row,
               {QString::number(e.value(QStringLiteral("id")).toInt()),
                time.toLocalTime().toString(QStringLiteral("HH:mm:ss")),
                UnitNames::translated(e.value(QStringLiteral("unitName")).toString()),
                SnapshotWriter::changeText(e),
                QString::number(e.value(QStringLiteral("frames")).toInt())});
        m_snapshots->item(row, 0)->setData(Qt::UserRole, e.value(QStringLiteral("dir")).toString());
    }
    fitColumns(m_snapshots);
}

void ServiceJobDock::openSnapshot(int row)
{
    ServiceJob *job = m_session->job();
    QTableWidgetItem *item = m_snapshots->item(row, 0);
    if (!job || !item)
        return;
    const QString dir = QDir(job->snapshotsDir()).filePath(item->data(Qt::UserRole).toString());
    openWithDesktop(this, dir);
}
