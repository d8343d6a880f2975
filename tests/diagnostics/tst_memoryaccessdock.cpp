#include "diagnostics/editors/memoryaccessdelegate.h"
#include "diagnostics/editors/memoryaccessdock.h"
#include "diagnostics/editors/memoryaccessschemetreeitem.h"
#include "diagnostics/memoryaccessfile.h"
#include "diagnostics/memoryaccesslayout.h"
#include "diagnostics/memoryaccessrig.h"
#include "support/testenvironment.h"

#include <QDoubleSpinBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QThread>
#include <QtTest>

using Fault = SimulatedMemoryUnit::Fault;
using Rig = MemoryAccessRig::Rig;

// The "MA Data" window and the tree node's editor, offscreen, against a simulated unit.
class tst_MemoryAccessDock : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestEnvironment::init(); }
    void init();
    void layout_data();
    void layout();
    void cellsCarryRoles();
    void spinBoxUnitsAsCells_data();
    void spinBoxUnitsAsCells();
    void readShowsValuesWithoutMarking();
    void commitDeclinedSendsNothing();
    void unreadWriteAsksFirst();
    void unparsableCellRestored();
    void outOfRangeReadNotClamped();
    void treeItemOpenSaveShow();
    void refusedStartLeavesWindowUsable();
    void refreshAsksBeforeDiscardingEdits();
    void busThreadExchangesWhileEditingAndClearing();

private:
    QStringList m_questions;
    bool m_answer = true;
};

void tst_MemoryAccessDock::init()
{
    m_questions.clear();
    m_answer = true;
    MemoryAccessDock::setConfirmer([this](QWidget *, const QString &question) {
        m_questions << question;
        return m_answer;
    });
}

void tst_MemoryAccessDock::layout_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QStringList>("columns");
    QTest::addColumn<int>("cells");
    QTest::addColumn<int>("ungrouped");
    QTest::newRow("P_1 P_2 Q_1: 2 x 2, Q 2 empty")
        << QByteArray("1;P_1;d;S\n2;P_2;d;S\n3;Q_1;d;S\n\nG;([A-Z])_(\\d)\n")
        << QStringList{"P", "Q"} << QStringList{"1", "2"} << 3 << 0;
    QTest::newRow("single row") << QByteArray("1;P_1;d;S\n2;P_2;d;S\n\nG;(P)_(\\d)\n")
                                << QStringList{"P"} << QStringList{"1", "2"} << 2 << 0;
    QTest::newRow("no captures: one cell, others clash")
        << QByteArray("1;P_1;d;S\n2;P_2;d;S\n\nG;P_\\d\n") << QStringList{""} << QStringList{""}
        << 1 << 1;
    QTest::newRow("invalid expression: rows of their own")
        << QByteArray("1;P_1;d;S\n2;P_2;d;S\n\nG;(P_\n") << QStringList() << QStringList() << 0
        << 2;
    QTest::newRow("item in two groups: first only")
        << QByteArray("1;P_1;d;S\n\nG;(P)_(1)\nH;(P)_(\\d)\n") << QStringList{"P"}
        << QStringList{"1"} << 1 << 0;
    QTest::newRow("partial match is no match") << QByteArray("1;P_1x;d;S\n\nG;(P)_(\\d)\n")
                                               << QStringList() << QStringList() << 0 << 1;
}

void tst_MemoryAccessDock::layout()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, rows);
    QFETCH(QStringList, columns);
    QFETCH(int, cells);
    QFETCH(int, ungrouped);
    MemoryAccessTable table;
    QVERIFY(MemoryAccessFile::parse(file, &table, nullptr));
    const MemoryAccessLayout l = MemoryAccessLayout::build(table);
    if (rows.isEmpty()) {
        QVERIFY(l.tables.isEmpty());
    } else {
        QCOMPARE(l.tables.size(), 1);
        QCOMPARE(l.tables.first().rows, rows);
        QCOMPARE(l.tables.first().columns, columns);
        QCOMPARE(l.tables.first().cells.size(), cells);
    }
    QCOMPARE(l.ungrouped.size(), ungrouped);
}

void tst_MemoryAccessDock::cellsCarryRoles()
{
    Rig rig;
    MemoryAccessDock dock(rig.function);
    auto *table = dock.findChild<QTableWidget *>(QStringLiteral("group:G"));
    QVERIFY(table);
    QCOMPARE(table->rowCount(), 2);
    QCOMPARE(table->columnCount(), 2);
    QVERIFY(!table->verticalHeader()->isHidden());
    QTableWidgetItem *empty = table->item(1, 1); // Q_2 does not exist
    QVERIFY(!(empty->flags() & Qt::ItemIsEditable));
    QTableWidgetItem *p1 = dock.cellOf(0);
    QCOMPARE(p1->data(MemoryAccessDelegate::MaximumRole).toDouble(), 6553.5);
    QCOMPARE(p1->data(MemoryAccessDelegate::UnitsRole).toString(), QStringLiteral("bar"));
    QCOMPARE(p1->data(MemoryAccessDelegate::DecimalsRole).toInt(), 2);
    QCOMPARE(p1->toolTip(), QStringLiteral("first"));
    QVERIFY(!(dock.cellOf(2)->flags() & Qt::ItemIsEditable)); // read-only Q_1
    QVERIFY(dock.spinBoxOf(3)); // W has no group
    // The delegate's editor takes the cell's limits.
    MemoryAccessDelegate delegate;
    QWidget parent;
    std::unique_ptr<QWidget> editor(
        delegate.createEditor(&parent, QStyleOptionViewItem(), table->model()->index(0, 0)));
    auto *spin = qobject_cast<QDoubleSpinBox *>(editor.get());
    QVERIFY(spin);
    QCOMPARE(spin->maximum(), 6553.5);
    QCOMPARE(spin->decimals(), 2);
    QCOMPARE(spin->suffix(), QStringLiteral(" bar"));
}

void tst_MemoryAccessDock::spinBoxUnitsAsCells_data()
{
    QTest::addColumn<QString>("slot");
    QTest::addColumn<QString>("units");
    QTest::newRow("known slot") << "S" << "bar";
    QTest::newRow("no known slot: the defaults") << "X" << "dec";
}

void tst_MemoryAccessDock::spinBoxUnitsAsCells()
{
    QFETCH(QString, slot);
    QFETCH(QString, units);
    // A in a spin box of its own, B_1 in a table: both of the same slot.
    const QByteArray file = QStringLiteral("1;A;d;%1\n2;B_1;d;%1\n\nG;(B)_(\\d)\n\n"
                                           "S;1;0;2;0;100;bar\n")
                                .arg(slot)
                                .toLatin1();
    Rig rig;
    QVERIFY(rig.function->loadFromData(file));
    MemoryAccessDock dock(rig.function);
    QVERIFY(dock.spinBoxOf(0));
    QVERIFY(dock.cellOf(1));
    QCOMPARE(dock.cellOf(1)->data(MemoryAccessDelegate::UnitsRole).toString(), units);
    QCOMPARE(dock.spinBoxOf(0)->suffix(), QLatin1Char(' ') + units);
}

void tst_MemoryAccessDock::readShowsValuesWithoutMarking()
{
    Rig rig;
    MemoryAccessDock dock(rig.function);
    dock.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dock));
    auto *refresh = dock.findChild<QPushButton *>(QStringLiteral("refresh"));
    QSignalSpy finished(rig.function, &MemoryAccessFunction::exchangeFinished);
    QTest::mouseClick(refresh, Qt::LeftButton);
    QVERIFY(finished.wait(3000));
    QTRY_COMPARE(dock.cellOf(1)->data(Qt::EditRole).toDouble(), 30.0);
    QCOMPARE(dock.cellOf(0)->data(Qt::EditRole).toDouble(), 12.5);
    QCOMPARE(dock.findChild<QLabel *>(QStringLiteral("status"))->text(),
             QStringLiteral("Read complete"));
    // Showing read values is no edit.
    for (const MemoryAccessTable::SpnItem &item : rig.function->table().items)
        QVERIFY(!item.modified);
    QCOMPARE(dock.cellOf(1)->foreground(), QBrush());
    // A second read marks what changed.
    rig.unit->setCell(0x11, {2, 301, true});
    QTest::mouseClick(refresh, Qt::LeftButton);
    QVERIFY(finished.wait(3000));
    QTRY_COMPARE(dock.cellOf(1)->foreground().color(), QColor(Qt::red));
    QCOMPARE(dock.cellOf(1)->data(Qt::EditRole).toDouble(), 30.1);
    QCOMPARE(dock.cellOf(0)->foreground(), QBrush());
}

void tst_MemoryAccessDock::commitDeclinedSendsNothing()
{
    Rig rig;
    QCOMPARE(rig.read(), QStringLiteral("Read complete"));
    MemoryAccessDock dock(rig.function);
    const int before = rig.handler.writtenFrames().size();
    m_answer = false;
    QTest::mouseClick(dock.findChild<QPushButton *>(QStringLiteral("commit")), Qt::LeftButton);
    QCOMPARE(m_questions.size(), 1);
    QVERIFY(m_questions.first().contains(QLatin1String("3 value")));
    QTest::qWait(50);
    QCOMPARE(rig.handler.writtenFrames().size(), before);
}

void tst_MemoryAccessDock::unreadWriteAsksFirst()
{
    Rig rig;
    MemoryAccessDock dock(rig.function);
    dock.spinBoxOf(3)->setValue(9);
    QVERIFY(rig.function->table().items.at(3).modified);
    QSignalSpy finished(rig.function, &MemoryAccessFunction::exchangeFinished);
    QTest::mouseClick(dock.findChild<QPushButton *>(QStringLiteral("commitChanged")),
                      Qt::LeftButton);
    QCOMPARE(m_questions.size(), 2);
    QVERIFY(m_questions.first().contains(QLatin1String("without reading")));
    QVERIFY(finished.wait(3000));
    QCOMPARE(rig.unit->cell(0x13).raw, 9u);
}

void tst_MemoryAccessDock::unparsableCellRestored()
{
    Rig rig;
    MemoryAccessDock dock(rig.function);
    dock.cellOf(0)->setData(Qt::EditRole, QStringLiteral("abc"));
    QCOMPARE(dock.cellOf(0)->data(Qt::EditRole).toDouble(), 0.0);
    QCOMPARE(dock.cellOf(0)->data(Qt::EditRole).type(), QVariant::Double);
    QVERIFY(!rig.function->table().items.at(0).modified);
    dock.cellOf(0)->setData(Qt::EditRole, QStringLiteral("1.5"));
    QCOMPARE(rig.value(0), 1.5);
}

void tst_MemoryAccessDock::outOfRangeReadNotClamped()
{
    Rig rig;
    MemoryAccessDock dock(rig.function);
    // W is write-only; make it readable in a file whose limit is below the unit's value.
    QVERIFY(rig.function->loadFromData("13;W;d;B;0;RW\n\n\nB;1;0;1;0;100;x\n"));
    rig.unit->setCell(0x13, {1, 200, true});
    QCOMPARE(rig.read(), QStringLiteral("Read complete"));
    QTRY_VERIFY(dock.spinBoxOf(0));
    QTRY_COMPARE(dock.spinBoxOf(0)->value(), 200.0);
    QCOMPARE(rig.value(0), 200.0);
    QVERIFY(!rig.function->table().items.at(0).modified);
    QCOMPARE(dock.spinBoxOf(0)->palette().color(QPalette::Text), QColor(Qt::red));
    // Writing it back unchanged is refused: it is out of the file's limits.
    QCOMPARE(rig.write(false), QStringLiteral("Invalid value for SPN=0x000013"));
}

void tst_MemoryAccessDock::treeItemOpenSaveShow()
{
    Rig rig;
    const QString path = rig.backups.filePath(QStringLiteral("values.ma"));
    QString chosen = path;
    bool askedSave = false;
    MemoryAccessSchemeTreeItem::setFileChooser([&](QWidget *, bool save) {
        askedSave = save;
        return chosen;
    });
    MemoryAccessSchemeTreeItem node(rig.function);
    std::unique_ptr<QWidget> editor(node.createWidget(1));
    QTest::mouseClick(editor->findChild<QPushButton *>(QStringLiteral("save")), Qt::LeftButton);
    QVERIFY(askedSave);
    QVERIFY(QFile::exists(path));
    QVERIFY(rig.function->loadFromData("77;X;d;S\n"));
    // Unwritten edits are not dropped without asking.
    QVERIFY(rig.function->setItemValue(0, 5));
    m_answer = false;
    QTest::mouseClick(editor->findChild<QPushButton *>(QStringLiteral("open")), Qt::LeftButton);
    QCOMPARE(m_questions.size(), 1);
    QCOMPARE(rig.function->itemCount(), 1);
    m_answer = true;
    QTest::mouseClick(editor->findChild<QPushButton *>(QStringLiteral("open")), Qt::LeftButton);
    QVERIFY(!askedSave);
    QCOMPARE(rig.function->itemCount(), 4);
    QCOMPARE(rig.function->filePath(), QFileInfo(path).absoluteFilePath());
    chosen.clear(); // cancelled: nothing happens
    QTest::mouseClick(editor->findChild<QPushButton *>(QStringLiteral("open")), Qt::LeftButton);
    QCOMPARE(rig.function->itemCount(), 4);
    QTest::mouseClick(editor->findChild<QPushButton *>(QStringLiteral("showData")),
                      Qt::LeftButton);
    MemoryAccessDock *shown = MemoryAccessDock::showFor(rig.function);
    QVERIFY(shown->isVisible());
    QCOMPARE(MemoryAccessDock::showFor(rig.function), shown); // one window per function
    delete shown;
}

void tst_MemoryAccessDock::refusedStartLeavesWindowUsable()
{
    MemoryAccessFunction empty; // no file: "Refresh" only logs
    MemoryAccessDock dock(&empty);
    auto *refresh = dock.findChild<QPushButton *>(QStringLiteral("refresh"));
    QTest::mouseClick(refresh, Qt::LeftButton);
    QVERIFY(refresh->isEnabled());
    Rig rig;
    MemoryAccessDock other(rig.function);
    rig.function->setTarget(0xFF);
    QTest::mouseClick(other.findChild<QPushButton *>(QStringLiteral("refresh")), Qt::LeftButton);
    QVERIFY(other.findChild<QPushButton *>(QStringLiteral("commit"))->isEnabled());
    QCOMPARE(other.findChild<QLabel *>(QStringLiteral("status"))->text(),
             QStringLiteral("Invalid target 0xff"));
}

void tst_MemoryAccessDock::refreshAsksBeforeDiscardingEdits()
{
    Rig rig;
    MemoryAccessDock dock(rig.function);
    dock.cellOf(0)->setData(Qt::EditRole, 1.5);
    QVERIFY(rig.function->table().items.at(0).modified);
    QCOMPARE(dock.cellOf(0)->foreground().color(), MemoryAccessDock::editedColor());
    m_answer = false;
    QTest::mouseClick(dock.findChild<QPushButton *>(QStringLiteral("refresh")), Qt::LeftButton);
    QCOMPARE(m_questions.size(), 1);
    QVERIFY(!rig.function->isActive());
    QCOMPARE(rig.value(0), 1.5);
    m_answer = true;
    QSignalSpy finished(rig.function, &MemoryAccessFunction::exchangeFinished);
    QTest::mouseClick(dock.findChild<QPushButton *>(QStringLiteral("refresh")), Qt::LeftButton);
    QVERIFY(finished.wait(3000));
    QCOMPARE(rig.value(0), 12.5);
}

void tst_MemoryAccessDock::busThreadExchangesWhileEditingAndClearing()
{
    QTemporaryDir backups;
    QThread bus;
    auto *dispatcher = new DeviceDispatcher;
    auto *handler = new SimulatedBusHandler(dispatcher);
    auto unit = std::make_shared<SimulatedMemoryUnit>(MemoryAccessRig::Unit);
    handler->bus()->addUnit(unit);
    auto *device = new J1939Device(MemoryAccessRig::Tool);
    auto *function = new MemoryAccessFunction;
    device->registerChild(function);
    QVERIFY(function->loadFromData(MemoryAccessRig::File));
    unit->loadMap(function->table());
    function->setTarget(MemoryAccessRig::Unit);
    function->setBackupDirectory(backups.path());
    function->setWriteWithoutRead(true);
    dispatcher->moveToThread(&bus);
    handler->moveToThread(&bus);
    bus.start();
    dispatcher->registerDisplayable(device);
    device->setState(AbstractDisplayableItem::Send);
    // Start and stop post the timer calls into the handler's thread.
    QVERIFY(handler->start());

    QPointer<MemoryAccessDock> dock = MemoryAccessDock::showFor(function);
    QStringList ends;
    connect(function, &MemoryAccessFunction::exchangeFinished, this,
            [&ends](bool, const QString &text) { ends << text; });
    QElapsedTimer clock;
    clock.start();
    int round = 0;
    while (clock.elapsed() < 1500) {
        if (!function->isActive()) {
            // Both reach the bus thread queued; the second of a pair finds the first running.
            function->requestData();
            function->sendData(round % 2 == 1);
        }
        // The user keeps editing: refused while an exchange runs, taken otherwise.
        dock->cellOf(round % 2)->setData(Qt::EditRole, 10.0 + round % 50);
        dock->spinBoxOf(3)->setValue(round % 200);
        ++round;
        QTest::qWait(2);
    }
    QTRY_VERIFY(ends.size() >= 4);
    qInfo("%d exchanges ended in %d rounds", int(ends.size()), round);
    const QRegularExpression allowed(
        QStringLiteral("^(Read complete|Write complete, \\d+ values verified|Nothing to write)$"));
    for (const QString &text : qAsConst(ends))
        QVERIFY2(allowed.match(text).hasMatch(), qPrintable(text));
    // The scheme is cleared in the middle of whatever runs; the window goes with its function.
    function->requestData();
    QVERIFY(dispatcher->clearScheme());
    QTRY_VERIFY(!dock);
    QVERIFY(handler->stop());
    QMetaObject::invokeMethod(handler, "deleteLater", Qt::BlockingQueuedConnection);
    QMetaObject::invokeMethod(dispatcher, "deleteLater", Qt::BlockingQueuedConnection);
    bus.quit();
    QVERIFY(bus.wait(10000));
}

QTEST_MAIN(tst_MemoryAccessDock)
#include "tst_memoryaccessdock.moc"
