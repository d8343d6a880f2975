#include "can/recordingreader.h"
#include "support/testcanhandler.h"
#include "support/testenvironment.h"
#include "support/testitems.h"
#include "ui/editors/filterdockwidget.h"
#include "ui/messagefilter.h"
#include "ui/rawdatamodel.h"

#include <QAbstractItemModelTester>
#include <QBrush>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSettings>
#include <QSlider>
#include <QtTest>

#include <cmath>

#include <memory>

namespace {

using Pair = QPair<CanMessage, DispatchResult>;

Pair received(quint32 id, std::initializer_list<quint8> data, DispatchResult::Status extra = {},
              qint64 time = 0)
{
    return qMakePair(makeFrame(id, data), DispatchResult(DispatchResult::Received | extra, time));
}

Pair sent(quint32 id, bool failed = false)
{
    return qMakePair(makeFrame(id, {}),
                     DispatchResult(failed
                                        ? DispatchResult::Dispatched | DispatchResult::TransmitError
                                        : DispatchResult::Status(DispatchResult::Dispatched),
                                    0));
}

QStringList rawTexts(const RawDataModel &model)
{
    QStringList texts;
    for (int r = 0; r < model.rowCount(); ++r)
        texts << model.data(model.index(r, 0), Qt::DisplayRole).toString();
    return texts;
}

} // namespace

class tst_RawDataModel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestEnvironment::init(); }
    void rowTexts_data();
    void timeText_data();
    void timeText();
    void rowTexts();
    void decodedTexts_data();
    void decodedTexts();
    void newestFirst();
    void flowOff();
    void backgroundByMissedPeriods_data();
    void backgroundByMissedPeriods();
    void dispatchFilter();
    void priorityFilter();
    void idFilter();
    void targetFilter();
    void rowLimitTrimsInOneRemoval();
    void greyingBySelection();
    void saveOldestFirst();
    void candumpSaveReadsBack();
    void clearResetsTimeBase();
    void filterDockSettingsRoundTrip();
};

void tst_RawDataModel::timeText_data()
{
    QTest::addColumn<qint64>("ms");
    QTest::addColumn<QString>("text");
    QTest::newRow("start") << qint64(0) << "0.000";
    QTest::newRow("milliseconds padded") << qint64(5) << "0.005";
    QTest::newRow("seconds and milliseconds") << qint64(12345) << "12.345";
    QTest::newRow("whole second") << qint64(60000) << "60.000";
    QTest::newRow("an hour") << qint64(3600001) << "3600.001";
    QTest::newRow("never negative") << qint64(-7) << "0.000";
}

void tst_RawDataModel::timeText()
{
    QFETCH(qint64, ms);
    QFETCH(QString, text);
    QCOMPARE(RawDataModel::timeText(ms), text);
}

void tst_RawDataModel::rowTexts_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("text");
    QTest::newRow("received, dispatched") << 0 << "I 6 fef100 01 02 ";
    QTest::newRow("sent") << 1 << "O 6 fef100  ";
    QTest::newRow("failed transmission") << 2 << "O 6 fef100  [TO]";
    QTest::newRow("standard frame") << 3 << "I SID1a0 aa ";
}

void tst_RawDataModel::rowTexts()
{
    QFETCH(int, kind);
    QFETCH(QString, text);
    RawDataModel model;
    QAbstractItemModelTester tester(&model);
    model.setFlowEnabled(true);
    Pair p = kind == 0   ? received(0x18FEF100, {1, 2}, DispatchResult::Dispatched)
             : kind == 1 ? sent(0x18FEF100)
             : kind == 2 ? sent(0x18FEF100, true)
                         : qMakePair(makeFrame(0x1A0, {0xAA}, false),
                                     DispatchResult(DispatchResult::Received, 0));
    p.first.text = QStringLiteral("decoded");
    model.slotNotifyPack({p});
    QCOMPARE(model.rowCount(), 1);
    QCOMPARE(model.data(model.index(0, 0), Qt::DisplayRole).toString(), text);
    QCOMPARE(model.data(model.index(0, 1), Qt::DisplayRole).toString(), QStringLiteral("decoded"));
    QCOMPARE(model.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(),
             QStringLiteral("Raw data"));
    QCOMPARE(model.headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(),
             QStringLiteral("Time, s"));
    QVERIFY(!model.headerData(0, Qt::Vertical, Qt::DisplayRole).isValid());
}

void tst_RawDataModel::decodedTexts_data()
{
    QTest::addColumn<bool>("received");
    QTest::addColumn<QString>("frameText");  // the transport's own text
    QTest::addColumn<QString>("decoded");    // what the dispatcher decoded
    QTest::addColumn<int>("item");           // 0 none, 1 live, 2 gone before the view draws
    QTest::addColumn<QString>("shown");
    QTest::newRow("decoded values after the function's name")
        << true << "" << "n=1200 rpm" << 1 << "EEC1: n=1200 rpm";
    QTest::newRow("nothing decoded: the function's name") << true << "" << "" << 1 << "EEC1";
    QTest::newRow("transport text as it is")
        << true << "TP.CM ConnAbort" << "n=1200 rpm" << 1 << "TP.CM ConnAbort";
    QTest::newRow("no item: the decoded text alone") << true << "" << "x=1" << 0 << "x=1";
    QTest::newRow("item gone: the decoded text alone")
        << true << "" << "n=1200 rpm" << 2 << "n=1200 rpm";
    QTest::newRow("sent: the sender's name") << false << "" << "" << 1 << "EEC1";
    QTest::newRow("nothing at all") << true << "" << "" << 0 << "";
}

// The "Decoded data" column, and the log line that keeps it.
void tst_RawDataModel::decodedTexts()
{
    QFETCH(bool, received);
    QFETCH(QString, frameText);
    QFETCH(QString, decoded);
    QFETCH(int, item);
    QFETCH(QString, shown);
    auto function = std::make_unique<TestContainerItem>();
    function->setName(QStringLiteral("EEC1"));
    Pair p = received ? ::received(0x0CF00400, {1}, DispatchResult::Dispatched) : sent(0x0CF00400);
    p.first.text = frameText;
    p.second.description = decoded;
    p.second.item = item > 0 ? function.get() : nullptr;
    RawDataModel model;
    QAbstractItemModelTester tester(&model);
    model.setFlowEnabled(true);
    model.slotNotifyPack({p});
    if (item == 2)
        function.reset();
    QCOMPARE(model.data(model.index(0, 1), Qt::DisplayRole).toString(), shown);
    QString out;
    QTextStream stream(&out);
    model.save(stream);
    stream.flush();
    QCOMPARE(out.section(QLatin1Char('\t'), 2), shown + QLatin1Char('\n'));
}

void tst_RawDataModel::newestFirst()
{
    RawDataModel model;
    QAbstractItemModelTester tester(&model);
    model.setFlowEnabled(true);
    model.slotNotifyPack({received(0x100, {}), received(0x101, {})});
    model.slotNotifyPack({received(0x102, {})});
    QCOMPARE(rawTexts(model), (QStringList{"I 0 000102  ", "I 0 000101  ", "I 0 000100  "}));
}

void tst_RawDataModel::flowOff()
{
    RawDataModel model;
    model.slotNotifyPack({received(0x100, {})});
    QCOMPARE(model.rowCount(), 0);
    FilterDockWidget dock;
    model.setFilters(dock.filters());
    dock.findChild<QGroupBox *>(QStringLiteral("dispatchFilterGroupBox"))->setChecked(true);
    model.slotNotifyPack({received(0x100, {})});
    QCOMPARE(model.rowCount(), 0);
}

void tst_RawDataModel::backgroundByMissedPeriods_data()
{
    QTest::addColumn<int>("missed");
    QTest::addColumn<bool>("tinted");
    QTest::newRow("on time") << 0 << false;
    QTest::newRow("no item") << -1 << false;
    QTest::newRow("1") << 1 << true;
    QTest::newRow("2") << 2 << true;
    QTest::newRow("3") << 3 << true;
    QTest::newRow("4") << 4 << true;
    QTest::newRow("5") << 5 << true;
    QTest::newRow("128") << 128 << true;
}

void tst_RawDataModel::backgroundByMissedPeriods()
{
    QFETCH(int, missed);
    QFETCH(bool, tinted);
    // WCAG's contrast ratio of two colours.
    auto luminance = [](const QColor &c) {
        auto lin = [](double v) {
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * lin(c.redF()) + 0.7152 * lin(c.greenF()) + 0.0722 * lin(c.blueF());
    };
    auto contrast = [&](const QColor &a, const QColor &b) {
        const double x = luminance(a) + 0.05;
        const double y = luminance(b) + 0.05;
        return std::max(x, y) / std::min(x, y);
    };
    RawDataModel model;
    model.setFlowEnabled(true);
    // The row of one more missed period (or on time) below: the tint must tell them apart.
    Pair before = received(0x100, {});
    before.second.missedPeriods = std::max(0, std::min(missed, 5) - 1);
    Pair p = received(0x100, {});
    p.second.missedPeriods = missed;
    model.slotNotifyPack({before, p});
    const QVariant background = model.data(model.index(0, 0), Qt::BackgroundRole);
    const QVariant text = model.data(model.index(0, 0), Qt::ForegroundRole);
    QCOMPARE(background.isValid(), tinted);
    if (!tinted) {
        // The palette's own colours, as any row on time.
        QVERIFY(!text.isValid());
        return;
    }
    const QColor back = background.value<QBrush>().color();
    const QColor fore = text.value<QBrush>().color();
    // Readable: at least the 4.5:1 asked of body text.
    QVERIFY2(contrast(back, fore) >= 4.5, qPrintable(QStringLiteral("%1 on %2: %3")
                                                         .arg(fore.name(), back.name())
                                                         .arg(contrast(back, fore))));
    // Later looks worse: a darker or redder tint than one missed period less.
    if (missed > 1 && missed <= 4) {
        const QColor less
            = model.data(model.index(1, 0), Qt::BackgroundRole).value<QBrush>().color();
        QVERIFY(luminance(back) < luminance(less));
    }
    // A row greyed by the selection stays grey.
    J1939Device other(0x42);
    model.setActiveDisplayables({&other});
    QCOMPARE(model.data(model.index(0, 0), Qt::ForegroundRole).value<QBrush>().color(),
             QColor(Qt::gray));
}

void tst_RawDataModel::dispatchFilter()
{
    RawDataModel model;
    model.setFlowEnabled(true);
    FilterDockWidget dock;
    model.setFilters(dock.filters());
    dock.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dock));
    dock.findChild<QGroupBox *>(QStringLiteral("dispatchFilterGroupBox"))->setChecked(true);
    dock.findChild<QRadioButton *>(QStringLiteral("radioButton_2"))->click();
    const AbstractCanHandler::MessagePack pack{
        received(0x100, {}), received(0x101, {}, DispatchResult::Dispatched), sent(0x102)};
    model.slotNotifyPack(pack);
    QCOMPARE(rawTexts(model), QStringList{"I 0 000100  "});
    model.clearModel();
    dock.findChild<QRadioButton *>(QStringLiteral("radioButton"))->click();
    model.slotNotifyPack(pack);
    QCOMPARE(rawTexts(model), (QStringList{"O 0 000102  ", "I 0 000101  "}));
}

void tst_RawDataModel::priorityFilter()
{
    RawDataModel model;
    model.setFlowEnabled(true);
    FilterDockWidget dock;
    model.setFilters(dock.filters());
    dock.findChild<QGroupBox *>(QStringLiteral("priorityFilterGroupBox"))->setChecked(true);
    dock.findChild<QSlider *>(QStringLiteral("priorityFilterSlider"))->setValue(3);
    model.slotNotifyPack(
        {received(0x00F00400, {}), received(0x0CF00400, {}), received(0x18FEF100, {})});
    QCOMPARE(model.rowCount(), 2); // priorities 0 and 3 pass, 6 does not
}

void tst_RawDataModel::idFilter()
{
    RawDataModel model;
    model.setFlowEnabled(true);
    FilterDockWidget dock;
    model.setFilters(dock.filters());
    dock.findChild<QGroupBox *>(QStringLiteral("idFilterGroupBox"))->setChecked(true);
    dock.findChild<QLineEdit *>(QStringLiteral("idFilterMaskEdit"))
        ->setText(QStringLiteral("0:00:FF:00"));
    dock.findChild<QLineEdit *>(QStringLiteral("idFilterValueEdit"))
        ->setText(QStringLiteral("0:00:21:00"));
    model.slotNotifyPack(
        {received(0x18EA2100, {}), received(0x18EA2200, {}), received(0x0CEF2133, {})});
    QCOMPARE(rawTexts(model), (QStringList{"I 3 ef2133  ", "I 6 ea2100  "}));
    QCOMPARE(FilterDockWidget::idFieldValue(QStringLiteral("1:FE:F1:00")), 0x1FEF100u);
    QCOMPARE(FilterDockWidget::idFieldValue(QStringLiteral(" :  :  :  ")), 0u);
}

void tst_RawDataModel::targetFilter()
{
    RawDataModel model;
    model.setFlowEnabled(true);
    FilterDockWidget dock;
    model.setFilters(dock.filters());
    dock.findChild<QCheckBox *>(QStringLiteral("targetFilterCheckBox"))->setChecked(true);
    model.slotNotifyPack({received(0x100, {}), received(0x101, {}, DispatchResult::Target)});
    QCOMPARE(rawTexts(model), QStringList{"I 0 000101  "});
}

void tst_RawDataModel::rowLimitTrimsInOneRemoval()
{
    RawDataModel model;
    model.setFlowEnabled(true);
    AbstractCanHandler::MessagePack big;
    for (int i = 0; i < RawDataModel::RowLimit; ++i)
        big.append(received(quint32(i), {}));
    model.slotNotifyPack(big);
    QCOMPARE(model.rowCount(), RawDataModel::RowLimit);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    AbstractCanHandler::MessagePack ten;
    for (int i = 0; i < 10; ++i)
        ten.append(received(0x1000000u + quint32(i), {}));
    model.slotNotifyPack(ten);
    QCOMPARE(removed.count(), 1);
    QCOMPARE(removed.first().at(1).toInt(), RawDataModel::RowLimit - 10);
    QCOMPARE(removed.first().at(2).toInt(), RawDataModel::RowLimit - 1);
    QCOMPARE(model.rowCount(), RawDataModel::RowLimit);
    QCOMPARE(model.row(0).id, 0x1000009u);
    QCOMPARE(model.row(RawDataModel::RowLimit - 1).id, 10u); // 0..9 are gone
}

void tst_RawDataModel::greyingBySelection()
{
    RawDataModel model;
    model.setFlowEnabled(true);
    J1939Device device(0x21);
    auto *function = new BindingFunction(0xFE, 0xF1, &device);
    BindingFunction other(0xFE, 0xF2);
    Pair mine = received(0x18FEF121, {});
    mine.second.item = function;
    Pair theirs = received(0x18FEF221, {});
    theirs.second.item = &other;
    Pair nobody = received(0x18FEF321, {});
    model.slotNotifyPack({mine, theirs, nobody});
    for (int r = 0; r < 3; ++r)
        QVERIFY(!model.data(model.index(r, 0), Qt::ForegroundRole).isValid());
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    model.setActiveDisplayables({&device}); // the device's function counts too
    QCOMPARE(changed.count(), 1);
    QVERIFY(!model.data(model.index(2, 0), Qt::ForegroundRole).isValid());
    QCOMPARE(model.data(model.index(1, 0), Qt::ForegroundRole).value<QBrush>().color(),
             QColor(Qt::gray));
    QCOMPARE(model.data(model.index(0, 0), Qt::ForegroundRole).value<QBrush>().color(),
             QColor(Qt::gray));
    model.setActiveDisplayables({});
    QVERIFY(!model.data(model.index(0, 0), Qt::ForegroundRole).isValid());
}

void tst_RawDataModel::saveOldestFirst()
{
    RawDataModel model;
    model.setFlowEnabled(true);
    Pair a = received(0x100, {1}, {}, 0);
    a.first.text = QStringLiteral("first");
    model.slotNotifyPack({a});
    model.slotNotifyPack({received(0x101, {2}, {}, 0)});
    QString out;
    QTextStream stream(&out);
    model.save(stream);
    stream.flush();
    const QStringList lines = out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 2);
    QVERIFY(lines.at(0).contains(QLatin1String("000100 01")));
    QVERIFY(lines.at(0).endsWith(QLatin1String("\tfirst")));
    QVERIFY(lines.at(1).contains(QLatin1String("000101 02")));
    // The log keeps milliseconds; the view shows the same instant in seconds.
    QCOMPARE(lines.at(0).section(QLatin1Char('\t'), 1, 1), QString::number(model.timing(1)));
    QCOMPARE(model.data(model.index(1, 2), Qt::DisplayRole).toString(),
             RawDataModel::timeText(model.timing(1)));
}

void tst_RawDataModel::candumpSaveReadsBack()
{
    RawDataModel model;
    model.setFlowEnabled(true);
    model.slotNotifyPack({received(0x18FEF100, {1, 2, 3}, {}, 1500)});
    model.slotNotifyPack(
        {qMakePair(makeFrame(0x7A0, {0xFF}, false), DispatchResult(DispatchResult::Received, 2001)),
         sent(0x18EA0021), sent(0x18EA0022, true)});
    QString out;
    QTextStream stream(&out);
    const qint64 base = 1700000000123;
    model.saveCandump(stream, base);
    stream.flush();
    RecordingReader reader;
    reader.parse(out.toLatin1());
    QCOMPARE(reader.format(), RecordingReader::Candump);
    QCOMPARE(reader.skippedLines(), 0);
    // The frame the adapter refused was never on the bus.
    QCOMPARE(reader.frames().size(), 3);
    const TimedFrame &first = reader.frames().at(0);
    QCOMPARE(first.timeUs, (base + 1500) * 1000);
    QCOMPARE(first.message.id, 0x18FEF100u);
    QVERIFY(first.message.extended);
    QCOMPARE(int(first.message.length), 3);
    QCOMPARE(first.message.data[2], quint8(3));
    const TimedFrame &second = reader.frames().at(1);
    QCOMPARE(second.timeUs, (base + 2001) * 1000);
    QCOMPARE(second.message.id, 0x7A0u);
    QVERIFY(!second.message.extended);
    QCOMPARE(second.message.data[0], quint8(0xFF));
    QCOMPARE(reader.frames().at(2).message.id, 0x18EA0021u);
    QVERIFY(out.startsWith(QLatin1String("(1700000001.623000) can0 18FEF100#010203\n")));
}

void tst_RawDataModel::clearResetsTimeBase()
{
    TestCanHandler handler;
    RawDataModel model;
    model.setHandler(&handler);
    model.setFlowEnabled(true);
    QTest::qWait(20);
    model.clearModel();
    const qint64 now = handler.messageElapsedTimer();
    model.slotNotifyPack({received(0x100, {}, {}, now + 5), received(0x101, {}, {}, 0)});
    QVERIFY(model.timing(1) >= 0 && model.timing(1) <= 10);
    QCOMPARE(model.timing(0), qint64(0)); // never below zero
}

void tst_RawDataModel::filterDockSettingsRoundTrip()
{
    QSettings settings;
    settings.clear();
    {
        FilterDockWidget dock;
        dock.findChild<QGroupBox *>(QStringLiteral("idFilterGroupBox"))->setChecked(true);
        dock.findChild<QLineEdit *>(QStringLiteral("idFilterMaskEdit"))
            ->setText(QStringLiteral("0:00:FF:00"));
        // The radio buttons only take clicks while their group is checked.
        auto *dispatchGroup = dock.findChild<QGroupBox *>(QStringLiteral("dispatchFilterGroupBox"));
        dispatchGroup->setChecked(true);
        dock.findChild<QRadioButton *>(QStringLiteral("radioButton_2"))->click();
        dispatchGroup->setChecked(false);
        dock.findChild<QSlider *>(QStringLiteral("priorityFilterSlider"))->setValue(5);
        dock.findChild<QCheckBox *>(QStringLiteral("targetFilterCheckBox"))->setChecked(true);
        settings.beginGroup(QStringLiteral("Filters"));
        dock.saveSettings(settings);
        settings.endGroup();
    }
    FilterDockWidget restored;
    settings.beginGroup(QStringLiteral("Filters"));
    restored.restoreSettings(settings);
    settings.endGroup();
    const auto filters = restored.filters();
    QVERIFY(filters.at(1)->isEnabled());
    QCOMPARE(static_cast<AddressMaskMessageFilter *>(filters.at(1))->mask(), 0xFF00u);
    QCOMPARE(static_cast<DispatchMessageFilter *>(filters.at(0))->state(), 1);
    QVERIFY(!filters.at(0)->isEnabled());
    QCOMPARE(static_cast<PriorityMessageFilter *>(filters.at(2))->priority(), 5);
    QVERIFY(filters.at(3)->isEnabled());
    QCOMPARE(settings.value(QStringLiteral("Filters/TargetFilter/Enabled")).toBool(), true);
    settings.clear();
}

QTEST_MAIN(tst_RawDataModel)
#include "tst_rawdatamodel.moc"
