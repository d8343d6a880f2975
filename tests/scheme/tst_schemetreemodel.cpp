#include "descriptions/xmlstaticpgnj1939devicefunction.h"
#include "model/zxboolparameter.h"
#include "model/zxintparameter.h"
#include "scheme/abstractschemetreeitem.h"
#include "scheme/editors/headerviewhidermenu.h"
#include "scheme/editors/stateicondelegate.h"
#include "scheme/schemetreemodel.h"
#include "scheme/xmlschemetreeitem.h"
#include "support/testcanhandler.h"
#include "support/testenvironment.h"
#include "support/testitems.h"

#include <QAbstractItemModelTester>
#include <QBrush>
#include <QDomDocument>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QTreeView>
#include <QVBoxLayout>
#include <QtTest>

#include <memory>

namespace {

// A top-level item with optional children; deleting it deletes them.
std::unique_ptr<TestContainerItem> makeItem(const QString &name, quint32 address,
                                            int kind = ItemAddress::J1939)
{
    auto item = std::make_unique<TestContainerItem>();
    item->setName(name);
    item->setObjectName(name);
    item->setAddress({kind, address});
    return item;
}

TestContainerItem *addChild(AbstractDisplayableItem *parent, const QString &name, quint32 address)
{
    TestContainerItem *child = makeItem(name, address, ItemAddress::Pgn).release();
    parent->registerChild(child);
    return child;
}

void dropNewFlag(AbstractDisplayableItem *item)
{
    QVERIFY(QMetaObject::invokeMethod(item, "dropNewFlag"));
}

QStringList names(const SchemeTreeModel &model, const QModelIndex &parent = QModelIndex())
{
    QStringList out;
    for (int r = 0; r < model.rowCount(parent); ++r)
        out << model.index(r, 2, parent).data().toString();
    return out;
}

QString funcXml(const QString &widget)
{
    return QStringLiteral("<func key=\"lay\" address=\"ff10\" period=\"100\"><name>Layout</name>"
                          "<param type=\"int\"><name>P0</name><shortname>P0</shortname>"
                          "<startbyte>0</startbyte><bitlength>8</bitlength>"
                          "<multiplier>1</multiplier></param>"
                          "<param type=\"int\"><name>P1</name><shortname>P1</shortname>"
                          "<startbyte>1</startbyte><bitlength>8</bitlength>"
                          "<multiplier>1</multiplier></param>"
                          "<param type=\"bool\"><name>P2</name><shortname>P2</shortname>"
                          "<startbyte>2</startbyte><bitlength>1</bitlength></param>%1</func>")
        .arg(widget);
}

} // namespace

class tst_SchemeTreeModel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestEnvironment::init(); }
    void columnsAndHeaders();
    void treeFollowsItemChildren();
    void stateIcons_data();
    void stateIcons();
    void backgroundRules();
    void tooltipNamesDeclaredPeriod();
    void setDataNameAndPeriod_data();
    void setDataNameAndPeriod();
    void sortByColumn_data();
    void sortByColumn();
    void descendingReversesAndKeepsTies();
    void uniqueKeyAndName();
    void itemForPathByKeyPrefix();
    void refreshVisitsChangedRowsOnly();
    void addTakeAndClear();
    void defaultEditorIsAFormOfVisibleParameters();
    void defaultEditorWithoutParametersGroupsChildren();
    void xmlGridLayoutWithSpans();
    void xmlBoxFormAndLabelLayouts();
    void xmlWithoutWidgetFallsBackToForm();
    void headerMenuHidesColumns();
    void delegateDrawsMarkersThatFit();
};

void tst_SchemeTreeModel::columnsAndHeaders()
{
    SchemeTreeModel model;
    QAbstractItemModelTester tester(&model);
    QCOMPARE(model.columnCount(), 6);
    const QStringList headers{"State", "Address", "Name", "Data", "Period", "Event counter"};
    for (int c = 0; c < 6; ++c) {
        QCOMPARE(model.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString(), headers.at(c));
        QVERIFY(!model.headerData(c, Qt::Vertical, Qt::DisplayRole).isValid());
        QVERIFY(!model.headerData(c, Qt::Horizontal, Qt::ToolTipRole).isValid());
    }
    auto item = makeItem(QStringLiteral("dev"), 0x21);
    const QModelIndex index = model.addItem(item->treeItem());
    QCOMPARE(model.data(index, Qt::SizeHintRole).toSize(), QSize(0, 16));
    QCOMPARE(model.index(0, 1).data().toString(), QStringLiteral("0x21"));
    QCOMPARE(model.index(0, 2).data().toString(), QStringLiteral("dev"));
    QVERIFY(!model.index(0, 0).data().isValid());
    QCOMPARE(model.index(0, 5).data().type(), QVariant::ULongLong);
    QVERIFY(!model.index(1, 0).isValid());
    QVERIFY(!model.index(0, 6).isValid());
    // Only the state cell depends on activity; nothing is editable from the view.
    QCOMPARE(model.flags(model.index(0, 0)), Qt::ItemIsSelectable);
    QCOMPARE(model.flags(model.index(0, 3)), Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    model.clear();
}

void tst_SchemeTreeModel::treeFollowsItemChildren()
{
    SchemeTreeModel model;
    QAbstractItemModelTester tester(&model);
    auto device = makeItem(QStringLiteral("dev"), 0);
    addChild(device.get(), QStringLiteral("a"), 0xF004);
    TestContainerItem *b = addChild(device.get(), QStringLiteral("b"), 0xFEEE);
    addChild(b, QStringLiteral("b1"), 1);
    const QModelIndex top = model.addItem(device->treeItem());
    QCOMPARE(names(model, top), (QStringList{"a", "b"}));
    const QModelIndex bIndex = model.index(1, 0, top);
    QCOMPARE(names(model, bIndex), QStringList{"b1"});
    QCOMPARE(model.parent(model.index(0, 3, bIndex)), bIndex);
    QCOMPARE(model.parent(bIndex), top);
    // A child added later joins through addItem below its parent's node.
    TestContainerItem *c = addChild(device.get(), QStringLiteral("c"), 0xFEF5);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    model.addItem(c->treeItem(), device->treeItem());
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(inserted.at(0).at(0).toModelIndex(), top);
    QCOMPARE(names(model, top), (QStringList{"a", "b", "c"}));
    model.clear();
}

void tst_SchemeTreeModel::stateIcons_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<bool>("heard"); // a frame came before the state was set
    QTest::addColumn<QString>("icon");
    const char *files[] = {"unknown",       "auto",          "send",          "receive-ok",
                           "receive-warning", "receive-error", "receive-forced"};
    for (int s = 0; s < 7; ++s)
        QTest::addRow("state %d", s) << s << true << QString::fromLatin1(files[s]);
    QTest::newRow("state 9 is dummy") << 9 << true << QStringLiteral("dummy");
    QTest::newRow("mixed device is dummy") << 7 << true << QStringLiteral("dummy");
    // Nothing received yet is neither on time nor late.
    QTest::newRow("receive ok before any frame") << 3 << false << QStringLiteral("unknown");
    QTest::newRow("receive warning before any frame") << 4 << false << QStringLiteral("unknown");
    QTest::newRow("receive error before any frame") << 5 << false << QStringLiteral("unknown");
    QTest::newRow("send before any frame") << 2 << false << QStringLiteral("send");
    QTest::newRow("forced before any frame") << 6 << false << QStringLiteral("receive-forced");
}

void tst_SchemeTreeModel::stateIcons()
{
    QFETCH(int, state);
    QFETCH(bool, heard);
    QFETCH(QString, icon);
    const QString path = QStringLiteral(":/icons/devicestate/%1.png").arg(icon);
    QVERIFY2(QFile::exists(path), qPrintable(path));
    if (heard)
        QCOMPARE(AbstractSchemeTreeItem::stateIconPath(state), path);

    SchemeTreeModel model;
    auto item = makeItem(QStringLiteral("dev"), 1);
    model.addItem(item->treeItem());
    if (heard) {
        item->matchId = 0x18FF0001;
        DispatchResult r;
        item->dispatchMessage(makeFrame(0x18FF0001, {1}), &r);
    }
    item->setState(state);
    const QIcon shown = model.index(0, 0).data(Qt::DecorationRole).value<QIcon>();
    QVERIFY(!shown.isNull());
    const QImage expected = QIcon(path).pixmap(16).toImage();
    QCOMPARE(shown.pixmap(16).toImage(), expected);
    QVERIFY(!model.index(0, 1).data(Qt::DecorationRole).isValid());
    model.clear();
}

void tst_SchemeTreeModel::backgroundRules()
{
    SchemeTreeModel model;
    auto device = makeItem(QStringLiteral("dev"), 1);
    TestContainerItem *child = addChild(device.get(), QStringLiteral("f"), 0xFF00);
    child->matchId = 0x18FF0001;
    const QModelIndex top = model.addItem(device->treeItem());
    auto background = [](const QModelIndex &i) { return i.data(Qt::BackgroundRole); };
    // New items are dark green for their first seconds.
    QCOMPARE(background(model.index(0, 2)).value<QBrush>().color(), QColor(Qt::darkGreen));
    dropNewFlag(device.get());
    dropNewFlag(child);
    // The address cell of a top-level row is cyan, other cells plain.
    QCOMPARE(background(model.index(0, 1)).value<QBrush>().color(), QColor(Qt::cyan));
    QVERIFY(!background(model.index(0, 2)).isValid());
    QVERIFY(!background(model.index(0, 1, top)).isValid());
    // A changed payload makes the row light grey.
    DispatchResult r1, r2;
    child->dispatchMessage(makeFrame(0x18FF0001, {1}), &r1);
    child->dispatchMessage(makeFrame(0x18FF0001, {2}), &r2);
    QVERIFY(child->hasFlag(AbstractDisplayableItem::ChangedFlag));
    QCOMPARE(background(model.index(0, 1, top)).value<QBrush>().color(), QColor(Qt::lightGray));
    model.clear();
}

void tst_SchemeTreeModel::tooltipNamesDeclaredPeriod()
{
    SchemeTreeModel model;
    auto item = makeItem(QStringLiteral("dev"), 1);
    item->setDescription(QStringLiteral("Engine controller"));
    model.addItem(item->treeItem());
    QCOMPARE(model.index(0, 0).data(Qt::ToolTipRole).toString(),
             QStringLiteral("Engine controller"));
    // A column that cuts its text starts the tip with the whole of it.
    QCOMPARE(model.index(0, 2).data(Qt::ToolTipRole).toString(),
             QStringLiteral("dev\nEngine controller"));
    item->setDeviceType(AbstractDisplayableItem::Continuous, 100);
    QCOMPARE(model.index(0, 0).data(Qt::ToolTipRole).toString(),
             QStringLiteral("Engine controller\nDeclared period: 100"));
    model.clear();
}

void tst_SchemeTreeModel::setDataNameAndPeriod_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("interval");
    QTest::newRow("name") << 2 << QVariant("Boom") << true << "Boom" << -1;
    QTest::newRow("period 250") << 4 << QVariant("250") << true << "dev" << 250;
    QTest::newRow("period abc refused") << 4 << QVariant("abc") << false << "dev" << -1;
    QTest::newRow("data column refused") << 3 << QVariant("x") << false << "dev" << -1;
}

void tst_SchemeTreeModel::setDataNameAndPeriod()
{
    QFETCH(int, column);
    QFETCH(QVariant, value);
    QFETCH(bool, accepted);
    QFETCH(QString, name);
    QFETCH(int, interval);
    SchemeTreeModel model;
    auto item = makeItem(QStringLiteral("dev"), 1);
    model.addItem(item->treeItem());
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    QCOMPARE(model.setData(model.index(0, column), value, Qt::EditRole), accepted);
    QCOMPARE(item->name(), name);
    QCOMPARE(item->transmissionInterval(), interval);
    QCOMPARE(changed.count(), column == 2 ? 1 : 0);
    QVERIFY(!model.setData(model.index(0, 2), QStringLiteral("other"), Qt::DisplayRole));
    model.clear();
}

void tst_SchemeTreeModel::sortByColumn_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QStringList>("order");
    // Rows: name, kind, address, state.
    QTest::newRow("state") << 0 << QStringList{"c", "a", "b"};
    QTest::newRow("address: kind first") << 1 << QStringList{"b", "c", "a"};
    QTest::newRow("name") << 2 << QStringList{"a", "b", "c"};
    QTest::newRow("data sorts by address") << 3 << QStringList{"b", "c", "a"};
    QTest::newRow("events sort by address") << 5 << QStringList{"b", "c", "a"};
}

void tst_SchemeTreeModel::sortByColumn()
{
    QFETCH(int, column);
    QFETCH(QStringList, order);
    SchemeTreeModel model;
    QAbstractItemModelTester tester(&model);
    auto a = makeItem(QStringLiteral("a"), 0x01, ItemAddress::J1939);
    auto b = makeItem(QStringLiteral("b"), 0x300, ItemAddress::Sid);
    auto c = makeItem(QStringLiteral("c"), 0xF0000000u, ItemAddress::Sid);
    a->setState(3);
    b->setState(5);
    c->setState(1);
    for (auto *i : {c.get(), a.get(), b.get()})
        model.addItem(i->treeItem());
    QPersistentModelIndex kept = model.index(1, 2); // row of "a"
    model.sort(column, Qt::AscendingOrder);
    QCOMPARE(names(model), order);
    QCOMPARE(kept.data().toString(), QStringLiteral("a"));
    QCOMPARE(kept.row(), order.indexOf(QStringLiteral("a")));
    model.clear();
}

void tst_SchemeTreeModel::descendingReversesAndKeepsTies()
{
    SchemeTreeModel model;
    auto device = makeItem(QStringLiteral("dev"), 1);
    const QStringList children{"d", "b", "x1", "a", "x2"};
    for (int i = 0; i < children.size(); ++i) {
        TestContainerItem *c = addChild(device.get(), children.at(i), quint32(i));
        // Two rows share a name: they must keep their order in both directions.
        if (children.at(i).startsWith(QLatin1Char('x')))
            c->setName(QStringLiteral("x"));
    }
    const QModelIndex top = model.addItem(device->treeItem());
    model.sort(2, Qt::AscendingOrder);
    QCOMPARE(names(model, top), (QStringList{"a", "b", "d", "x", "x"}));
    QCOMPARE(model.index(3, 1, top).data().toString(), QStringLiteral("0x02"));
    model.sort(2, Qt::DescendingOrder);
    QCOMPARE(names(model, top), (QStringList{"x", "x", "d", "b", "a"}));
    QCOMPARE(model.index(0, 1, top).data().toString(), QStringLiteral("0x02"));
    model.clear();
}

void tst_SchemeTreeModel::uniqueKeyAndName()
{
    auto device = makeItem(QStringLiteral("dev"), 0);
    device->setName(QStringLiteral("Engine"));
    TestContainerItem *f = addChild(device.get(), QStringLiteral("XmlFunctioneec1"), 0xF004);
    f->setName(QStringLiteral("EEC1"));
    SchemeTreeModel model;
    model.addItem(device->treeItem());
    QCOMPARE(f->treeItem()->uniqueKey(), QStringLiteral("0dev:f004XmlFunctioneec1"));
    QCOMPARE(f->treeItem()->uniqueName(), QStringLiteral("[0x00] Engine - [0xf004] EEC1"));
    model.clear();
}

void tst_SchemeTreeModel::itemForPathByKeyPrefix()
{
    SchemeTreeModel model;
    auto other = makeItem(QStringLiteral("other"), 5);
    auto device = makeItem(QStringLiteral("dev"), 0);
    TestContainerItem *f = addChild(device.get(), QStringLiteral("XmlFunctioneec1"), 0xF004);
    addChild(device.get(), QStringLiteral("XmlFunctionet1"), 0xFEEE);
    model.addItem(other->treeItem());
    model.addItem(device->treeItem());
    QCOMPARE(model.getItemForPath(QStringLiteral("0dev:f004XmlFunctioneec1")), f->treeItem());
    QCOMPARE(model.getItemForPath(QStringLiteral("0dev")), device->treeItem());
    QTest::ignoreMessage(QtDebugMsg, "Item: 0dev:1XmlNone not found");
    QVERIFY(!model.getItemForPath(QStringLiteral("0dev:1XmlNone")));
    QCOMPARE(model.findObject({QStringLiteral("dev"), QStringLiteral("XmlFunctionet1")}),
             static_cast<QObject *>(device->children().at(1)));
    QTest::ignoreMessage(QtDebugMsg, "RootObject nobody not found");
    QVERIFY(!model.findObject({QStringLiteral("nobody"), QStringLiteral("x")}));
    model.clear();
}

void tst_SchemeTreeModel::refreshVisitsChangedRowsOnly()
{
    SchemeTreeModel model;
    auto device = makeItem(QStringLiteral("dev"), 0);
    TestContainerItem *f = addChild(device.get(), QStringLiteral("f"), 0xF004);
    auto quiet = makeItem(QStringLiteral("quiet"), 1);
    TestContainerItem *g = addChild(quiet.get(), QStringLiteral("g"), 0xF004);
    const QModelIndex top = model.addItem(device->treeItem());
    model.addItem(quiet->treeItem());
    model.checkForUpdates(); // new items start with the flag set
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    model.checkForUpdates();
    QCOMPARE(changed.count(), 0);

    // A function's change with no frame (a time-out) reaches its row through its device; the
    // other device's rows are not visited.
    f->setUpdateNeeded();
    QVERIFY(device->isUpdateNeeded());
    QVERIFY(!quiet->isUpdateNeeded());
    model.checkForUpdates();
    QCOMPARE(changed.count(), 2);
    QCOMPARE(changed.at(0).at(0).toModelIndex(), model.index(0, 0));
    QCOMPARE(changed.at(0).at(1).toModelIndex(), model.index(0, 5));
    QCOMPARE(changed.at(1).at(0).toModelIndex(), model.index(0, 0, top));
    QVERIFY(!f->isUpdateNeeded());
    QVERIFY(!device->isUpdateNeeded());
    QVERIFY(!g->isUpdateNeeded());

    // The device alone changed: its function's row is left as it is.
    device->setUpdateNeeded();
    model.checkForUpdates();
    QCOMPARE(changed.count(), 3);
    model.checkForUpdates();
    QCOMPARE(changed.count(), 3);
    model.clear();
}

void tst_SchemeTreeModel::addTakeAndClear()
{
    SchemeTreeModel model;
    QAbstractItemModelTester tester(&model);
    QTest::ignoreMessage(QtDebugMsg, "No item");
    QVERIFY(!model.addItem(nullptr).isValid());
    auto a = makeItem(QStringLiteral("a"), 1);
    auto b = makeItem(QStringLiteral("b"), 2);
    addChild(b.get(), QStringLiteral("b1"), 3);
    model.addItem(a->treeItem());
    model.addItem(b->treeItem());
    QPointer<AbstractSchemeTreeItem> child = b->children().at(0)->existingTreeItem();
    QVERIFY(child);
    AbstractSchemeTreeItem *taken = model.takeItem(model.index(0, 0));
    QCOMPARE(taken, a->existingTreeItem());
    QCOMPARE(names(model), QStringList{"b"});
    delete taken;
    QVERIFY(!a->existingTreeItem());
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    model.clear();
    QCOMPARE(reset.count(), 1);
    QCOMPARE(model.rowCount(), 0);
    QVERIFY(!child); // descendants die with their top-level node
    // The item itself outlives its node and gets a fresh one on demand.
    QVERIFY(b->treeItem());
    delete b->treeItem();
}

void tst_SchemeTreeModel::defaultEditorIsAFormOfVisibleParameters()
{
    auto item = makeItem(QStringLiteral("dev"), 1);
    item->addIntParameter(QStringLiteral("Speed"), QStringLiteral("SPD"));
    item->addBoolParameter(QStringLiteral("Hidden"))->setHidden(true);
    item->addBoolParameter(QStringLiteral("Lamp"));
    std::unique_ptr<AbstractSchemeTreeItem> node(item->treeItem());
    QCOMPARE(int(node->links().size()), 3);
    QWidget *editor = node->getWidget();
    QCOMPARE(node->getWidget(), editor); // cached
    auto *form = qobject_cast<QFormLayout *>(editor->layout());
    QVERIFY(form);
    QCOMPARE(form->rowCount(), 2);
    QCOMPARE(qobject_cast<QLabel *>(form->itemAt(0, QFormLayout::LabelRole)->widget())->text(),
             QStringLiteral("Speed"));
    QCOMPARE(qobject_cast<QLabel *>(form->itemAt(1, QFormLayout::LabelRole)->widget())->text(),
             QStringLiteral("Lamp"));
    QPointer<QWidget> extra = node->getNewWidget();
    QVERIFY(extra && extra != editor);
    QPointer<QWidget> cached = editor;
    node->putWidget();
    QVERIFY(!cached);
    QVERIFY(extra);
    node.reset();
    QVERIFY(!extra); // further editors close with their node
}

void tst_SchemeTreeModel::defaultEditorWithoutParametersGroupsChildren()
{
    auto device = makeItem(QStringLiteral("dev"), 1);
    TestContainerItem *a = addChild(device.get(), QStringLiteral("Alpha"), 1);
    a->addIntParameter(QStringLiteral("V"));
    addChild(device.get(), QStringLiteral("Beta"), 2);
    SchemeTreeModel model;
    model.addItem(device->treeItem());
    std::unique_ptr<QWidget> editor(device->treeItem()->createWidget());
    const QList<QGroupBox *> groups = editor->findChildren<QGroupBox *>();
    QCOMPARE(groups.size(), 2);
    QCOMPARE(groups.at(0)->title(), QStringLiteral("Alpha"));
    QCOMPARE(groups.at(1)->title(), QStringLiteral("Beta"));
    QVERIFY(groups.at(0)->findChild<QFormLayout *>());
    editor.reset();
    model.clear();
}

void tst_SchemeTreeModel::xmlGridLayoutWithSpans()
{
    const QString widget = QStringLiteral(
        "<widget layout=\"grid\"><title>ignored</title>"
        "<row><label>A</label><parameter id=\"0\" span=\"2\"/><label>B</label></row>"
        "<row><unknown/><parameter id=\"1\"/><parameter id=\"9\"/><label span=\"0\">C</label></row>"
        "</widget>");
    XmlStaticPgnJ1939DeviceFunction function(funcXml(widget));
    std::unique_ptr<AbstractSchemeTreeItem> node(function.treeItem());
    QVERIFY(qobject_cast<XmlSchemeTreeItem *>(node.get()));
    std::unique_ptr<QWidget> editor(node->createWidget());
    // Cells and spans are placed by the layout builder the panels share
    // (tst_multixmlitemwidget::gridPlacement); here: the function's parameters by index.
    auto *grid = qobject_cast<QGridLayout *>(editor->layout());
    QVERIFY(grid);
    QCOMPARE(grid->count(), 5);
    QLayoutItem *p0 = grid->itemAtPosition(0, 1);
    QVERIFY(p0 && p0->widget());
    int r, c, rs, cs;
    grid->getItemPosition(grid->indexOf(p0->widget()), &r, &c, &rs, &cs);
    QCOMPARE(cs, 2);
    QVERIFY(grid->itemAtPosition(1, 1)); // parameter 1
    QVERIFY(!grid->itemAtPosition(1, 2)); // parameter 9 does not exist
}

void tst_SchemeTreeModel::xmlBoxFormAndLabelLayouts()
{
    const QString widget = QStringLiteral(
        "<widget layout=\"vbox\">"
        "<group layout=\"hbox\"><title>Lamps</title><parameter id=\"2\"/><parameter id=\"0\"/></group>"
        "<group layout=\"form\"><title>Empty form</title><parameter id=\"1\"/></group>"
        "<label>Note</label>"
        "<skipped/>"
        "<widget><parameter id=\"1\"/></widget>"
        "</widget>");
    XmlStaticPgnJ1939DeviceFunction function(funcXml(widget));
    std::unique_ptr<QWidget> editor(function.treeItem()->createWidget());
    auto *box = qobject_cast<QVBoxLayout *>(editor->layout());
    QVERIFY(box);
    QCOMPARE(box->count(), 4); // the unknown element is skipped
    auto *lamps = qobject_cast<QGroupBox *>(box->itemAt(0)->widget());
    QVERIFY(lamps);
    QCOMPARE(lamps->title(), QStringLiteral("Lamps"));
    QCOMPARE(qobject_cast<QHBoxLayout *>(lamps->layout())->count(), 2);
    auto *form = qobject_cast<QGroupBox *>(box->itemAt(1)->widget());
    QVERIFY(qobject_cast<QFormLayout *>(form->layout()));
    QCOMPARE(form->layout()->count(), 0); // a form places no children
    QCOMPARE(qobject_cast<QLabel *>(box->itemAt(2)->widget())->text(), QStringLiteral("Note"));
    QVERIFY(!box->itemAt(3)->widget()->layout()); // no layout: children ignored
    delete function.treeItem();
}

void tst_SchemeTreeModel::xmlWithoutWidgetFallsBackToForm()
{
    XmlStaticPgnJ1939DeviceFunction function(funcXml(QString()));
    std::unique_ptr<QWidget> editor(function.treeItem()->createWidget());
    auto *form = qobject_cast<QFormLayout *>(editor->layout());
    QVERIFY(form);
    QCOMPARE(form->rowCount(), 3);
    delete function.treeItem();
}

void tst_SchemeTreeModel::headerMenuHidesColumns()
{
    SchemeTreeModel model;
    QTreeView view;
    view.setModel(&model);
    HeaderViewHiderMenu::install(view.header());
    QCOMPARE(view.header()->contextMenuPolicy(), Qt::CustomContextMenu);
    QMenu *menu = HeaderViewHiderMenu::createMenu(view.header());
    QCOMPARE(menu->title(), QStringLiteral("Show"));
    QList<QAction *> actions;
    for (QAction *a : menu->actions()) {
        if (a->isCheckable())
            actions << a;
    }
    QCOMPARE(actions.size(), 6);
    QCOMPARE(actions.at(4)->text(), QStringLiteral("Period"));
    QVERIFY(actions.at(4)->isChecked());
    actions.at(4)->trigger();
    QVERIFY(view.header()->isSectionHidden(4));
    delete menu;
    menu = HeaderViewHiderMenu::createMenu(view.header());
    int checked = 0;
    for (QAction *a : menu->actions())
        checked += a->isCheckable() && a->isChecked();
    QCOMPARE(checked, 5);
}

void tst_SchemeTreeModel::delegateDrawsMarkersThatFit()
{
    SchemeTreeModel model;
    auto plain = makeItem(QStringLiteral("plain"), 1);
    auto marked = makeItem(QStringLiteral("marked"), 2);
    marked->setFiltered(true);
    model.addItem(plain->treeItem());
    model.addItem(marked->treeItem());
    StateIconDelegate delegate;
    auto paint = [&](int row, int width) {
        QImage image(width, 16, QImage::Format_ARGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        QStyleOptionViewItem option;
        option.rect = QRect(0, 0, width, 16);
        option.state = QStyle::State_Enabled;
        delegate.paint(&painter, option, model.index(row, 0));
        return image;
    };
    const QImage plainWide = paint(0, 48);
    const QImage markedWide = paint(1, 48);
    // The same state icon first; the filter mark only on the marked row, in the next square
    // (neither item has a factory of its own).
    QCOMPARE(plainWide.copy(0, 0, 16, 16), markedWide.copy(0, 0, 16, 16));
    QVERIFY(plainWide.copy(16, 0, 16, 16) != markedWide.copy(16, 0, 16, 16));
    QCOMPARE(plainWide.copy(32, 0, 16, 16), markedWide.copy(32, 0, 16, 16));
    // A cell too narrow for a second square shows the state icon only.
    QCOMPARE(paint(1, 30), paint(0, 30));
    // A J1939 device offers its function catalogue: marked, but painting does not build it.
    J1939Device device(0x10);
    model.addItem(device.treeItem());
    const QImage deviceWide = paint(2, 48);
    QVERIFY(deviceWide.copy(16, 0, 16, 16) != plainWide.copy(16, 0, 16, 16));
    QVERIFY(!device.AbstractDisplayableItem::subFactory());
    model.clear();
}

QTEST_MAIN(tst_SchemeTreeModel)
#include "tst_schemetreemodel.moc"
