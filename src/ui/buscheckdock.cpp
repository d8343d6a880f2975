#include "ui/buscheckdock.h"

#include "app/deviationlistmodel.h"
#include "app/livebuscheck.h"
#include "app/timelinespans.h"
#include "ui/dockcontent.h"
#include "ui/editors/bustimelineplot.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTableView>
#include <QTextEdit>
#include <QVBoxLayout>

BusCheckDock::BusCheckDock(LiveBusCheck *check, QWidget *parent)
    : QDockWidget(tr("Bus check"), parent)
    , m_check(check)
    , m_busBox(nullptr)
    , m_bus(nullptr)
    , m_timeline(new BusTimelinePlot(check))
    , m_model(new DeviationListModel(check, this))
{
    setObjectName(QStringLiteral("busCheckDock"));
    auto *panel = new QWidget(this);
    auto *box = new QVBoxLayout(panel);
    box->setContentsMargins(2, 2, 2, 2);

    auto *top = new QHBoxLayout;
    // The bus chooser, there once the window has several buses.
    m_busBox = new QWidget(panel);
    auto *busRow = new QHBoxLayout(m_busBox);
    busRow->setContentsMargins(0, 0, 0, 0);
    m_bus = new QComboBox(m_busBox);
    m_bus->setObjectName(QStringLiteral("busCheckBus"));
    m_bus->setToolTip(tr("The bus the check learns and checks; choosing another stops the check"));
    auto *busLabel = new QLabel(tr("Bus:"), m_busBox);
    busLabel->setBuddy(m_bus);
    busRow->addWidget(busLabel);
    busRow->addWidget(m_bus);
    m_busBox->hide();
    top->addWidget(m_busBox);
    m_status = new QLabel(panel);
    m_status->setObjectName(QStringLiteral("busCheckStatus"));
    top->addWidget(m_status, 1);
    m_follow = new QCheckBox(tr("Follow the check"), panel);
    m_follow->setObjectName(QStringLiteral("busCheckFollow"));
    m_follow->setToolTip(tr("The time axis shows the whole check up to now; the mouse wheel "
                            "over the timeline zooms"));
    m_follow->setChecked(m_timeline->isFollowing());
    top->addWidget(m_follow);
    box->addLayout(top);

    auto *splitter = new QSplitter(Qt::Horizontal, panel);
    splitter->setObjectName(QStringLiteral("busCheckSplitter"));
    auto *scroll = new QScrollArea(splitter);
    scroll->setObjectName(QStringLiteral("busCheckTimelineArea"));
    scroll->setWidgetResizable(true);
    scroll->setWidget(m_timeline);
    m_timeline->setToolTip(tr("Click a unit's lane to show or hide its functions"));
    splitter->addWidget(scroll);

    auto *right = new QWidget(splitter);
    auto *rightBox = new QVBoxLayout(right);
    rightBox->setContentsMargins(0, 0, 0, 0);
    m_view = new QTableView(right);
    m_view->setObjectName(QStringLiteral("busCheckDeviations"));
    m_view->setModel(m_model);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setSelectionMode(QAbstractItemView::SingleSelection);
    m_view->verticalHeader()->hide();
    m_view->horizontalHeader()->setStretchLastSection(true);
    rightBox->addWidget(m_view, 3);
    m_details = new QTextEdit(right);
    m_details->setObjectName(QStringLiteral("busCheckDeviationDetails"));
    m_details->setReadOnly(true);
    m_details->setPlaceholderText(tr("Choose a deviation to see what happened"));
    rightBox->addWidget(m_details, 1);
    rightBox->addWidget(buildLegend());
    splitter->addWidget(right);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);
    // The timeline gets the larger part from the start; the list's columns would take it.
    splitter->setSizes({600, 400});
    box->addWidget(splitter, 1);
    setScrolledDockContent(this, panel);

    connect(m_bus, qOverload<int>(&QComboBox::currentIndexChanged), this, &BusCheckDock::busChosen);
    connect(m_follow, &QCheckBox::toggled, m_timeline, &BusTimelinePlot::setFollowing);
    connect(m_timeline, &BusTimelinePlot::followingChanged, m_follow, &QCheckBox::setChecked);
    connect(m_timeline, &BusTimelinePlot::laneClicked, this, [this](const QString &key) {
        if (!key.isEmpty())
            emit itemChosen(key);
    });
    connect(m_view->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &BusCheckDock::showDeviation);
    for (auto signal : {&LiveBusCheck::started, &LiveBusCheck::stopped, &LiveBusCheck::advanced}) {
        connect(check, signal, m_timeline, &BusTimelinePlot::refresh);
        connect(check, signal, this, &BusCheckDock::updateStatus);
    }
    connect(check, &LiveBusCheck::started, m_details, &QTextEdit::clear);
    updateStatus();
}

void BusCheckDock::setBuses(const QStringList &names, int current)
{
    // Follows the window without taking it for a choice.
    const QSignalBlocker blocker(m_bus);
    m_bus->clear();
    m_bus->addItems(names);
    m_bus->setCurrentIndex(current);
    m_busBox->setVisible(names.size() > 1);
}

QWidget *BusCheckDock::buildLegend()
{
    auto *legend = new QWidget(this);
    legend->setObjectName(QStringLiteral("busCheckLegend"));
    auto *grid = new QGridLayout(legend);
    grid->setContentsMargins(0, 0, 0, 0);
    for (int s = 0; s < TimelineSpans::StateCount; ++s) {
        const auto state = TimelineSpans::State(s);
        auto *swatch = new QLabel(legend);
        swatch->setFixedSize(14, 14);
        swatch->setStyleSheet(
            QStringLiteral("background-color: %1;").arg(TimelineSpans::colour(state).name()));
        auto *text = new QLabel(TimelineSpans::stateText(state), legend);
        text->setObjectName(QStringLiteral("busCheckLegend%1").arg(s));
        grid->addWidget(swatch, s / 2, (s % 2) * 2);
        grid->addWidget(text, s / 2, (s % 2) * 2 + 1);
    }
    return legend;
}

void BusCheckDock::showDeviation(const QModelIndex &current)
{
    const Deviation *d = m_model->deviation(current.row());
    if (!d) {
        m_details->clear();
        return;
    }
    QStringList lines{d->text()};
    lines << tr("Start: %1 s, end: %2 s%3")
                 .arg(m_model->timeText(d->startUs), m_model->timeText(d->endUs),
                      d->open ? tr(" (still going on)") : QString());
    if (!d->rule.isEmpty())
        lines << tr("Rule: %1").arg(d->rule);
    if (!d->observed.isEmpty())
        lines << tr("Observed: %1").arg(d->observed);
    if (!d->expected.isEmpty())
        lines << tr("Expected: %1").arg(d->expected);
    m_details->setPlainText(lines.join(QLatin1Char('\n')));
    if (!d->itemKey.isEmpty())
        emit itemChosen(d->itemKey);
}

void BusCheckDock::updateStatus()
{
    const BusChecker *checker = m_check->checker();
    if (!checker) {
        m_status->setText(tr("No check yet: Bus check ▸ Check the bus, or learn first."));
        return;
    }
    const int count = checker->faultCount();
    const QString seconds = checker->startUs() >= 0
                                ? Deviation::secondsText(checker->nowUs() - checker->startUs())
                                : QStringLiteral("0.000");
    QString text = m_check->isRunning()
                       ? tr("Checking for %1 s: %n deviation(s)", nullptr, count).arg(seconds)
                       : tr("Check ended after %1 s: %n deviation(s)", nullptr, count).arg(seconds);
    // With several buses the list may be another bus's than the one chosen now.
    if (!m_check->checkedBus().isEmpty())
        text = tr("Bus %1: %2").arg(m_check->checkedBus(), text);
    m_status->setText(text);
}
