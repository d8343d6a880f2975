#include "model/j1939device.h"
#include "model/zxintparameter.h"
#include "scheme/abstractschemetreeitem.h"
#include "scheme/editors/devicestatewidget.h"
#include "scheme/editors/multixmlitemwidget.h"
#include "scheme/schemetreemodel.h"
#include "scheme/xmllayoutbuilder.h"
#include "support/testcanhandler.h"
#include "support/testenvironment.h"
#include "support/testitems.h"

#include <QDomDocument>
#include <QGridLayout>
#include <QLabel>
#include <QLayout>
#include <QPointer>
#include <QtTest>

#include <memory>

// An item whose state is derived (as a device's is from its functions) and changes silently.
class DerivedStateItem : public TestContainerItem
{
    Q_OBJECT

public:
    int state() const override { return derived; }
    int derived = AbstractDisplayableItem::Unknown;
};

namespace {

QDomElement parse(QDomDocument &doc, const QByteArray &xml)
{
    if (!doc.setContent(xml))
        return QDomElement();
    return doc.documentElement();
}

QLabel *probe(QWidget *panel)
{
    for (QLabel *label : panel->findChildren<QLabel *>()) {
        if (label->text() == QLatin1String("probe"))
            return label;
    }
    return nullptr;
}

QColor lampColor(const QWidget *lamp)
{
    return lamp->palette().color(QPalette::Active, QPalette::Window);
}

} // namespace

class tst_MultiXmlItemWidget : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestEnvironment::init(); }
    void unitShowsTheFunctionsItHears();
    void init();
    void cleanup();
    void gridPlacement_data();
    void gridPlacement();
    void missingPathsLeaveTheRest();
    void margins_data();
    void margins();
    void deepNestingRefused_data();
    void deepNestingRefused();
    void lampColours_data();
    void lampColours();
    void lampFollowsDerivedStateOnRefresh();
    void lampGreyWhenItemGone();
    void parameterEditorClosesWithItsNode();

private:
    std::unique_ptr<SchemeTreeModel> m_model;
    // Owned by the test; the model holds their nodes.
    std::unique_ptr<DerivedStateItem> m_controller;
};

void tst_MultiXmlItemWidget::init()
{
    m_model = std::make_unique<SchemeTreeModel>();
    m_controller = std::make_unique<DerivedStateItem>();
    m_controller->setName(QStringLiteral("Controller"));
    m_controller->setObjectName(QStringLiteral("ctl"));
    m_controller->setAddress({ItemAddress::J1939, 0xA0});
    m_controller->addParameter(new ZxIntParameter(5), QStringLiteral("Out1"), QStringLiteral("O1"));
    m_controller->addParameter(new ZxIntParameter(7), QStringLiteral("Out2"), QStringLiteral("O2"));
    m_model->addItem(m_controller->treeItem());
    QCOMPARE(m_controller->treeItem()->uniqueKey(), QStringLiteral("a0ctl"));
}

void tst_MultiXmlItemWidget::cleanup()
{
    m_model->clear();
    m_controller.reset();
    m_model.reset();
}

void tst_MultiXmlItemWidget::gridPlacement_data()
{
    QTest::addColumn<QByteArray>("rows");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::newRow("label after lamp and parameter of span 3")
        << QByteArray("<row><dstate path='a0ctl'/><parameter path='a0ctl' id='1' span='3'/>"
                      "<label>probe</label></row>")
        << 0 << 4;
    QTest::newRow("missing editor keeps its cell")
        << QByteArray("<row><pgnwidget path='nosuch'/><label>probe</label></row>") << 0 << 1;
    QTest::newRow("missing lamp with span 2 keeps both cells")
        << QByteArray("<row><dstate path='b0x' span='2'/><label>probe</label></row>") << 0 << 2;
    QTest::newRow("span 0 counts as 1")
        << QByteArray("<row><parameter path='a0ctl' span='0'/><label>probe</label></row>") << 0 << 1;
    QTest::newRow("span -1 counts as 1")
        << QByteArray("<row><pgnwidget path='a0ctl' span='-1'/><label>probe</label></row>") << 0 << 1;
    QTest::newRow("unknown element takes a cell")
        << QByteArray("<row><knob/><label>probe</label></row>") << 0 << 1;
    QTest::newRow("second row")
        << QByteArray("<row><dstate path='a0ctl'/></row><row><label>probe</label></row>") << 1 << 0;
}

void tst_MultiXmlItemWidget::gridPlacement()
{
    QFETCH(QByteArray, rows);
    QFETCH(int, row);
    QFETCH(int, column);
    QDomDocument doc;
    const QDomElement tab = parse(doc, "<tab name='t' layout='grid'>" + rows + "</tab>");
    MultiXmlItemWidget panel(tab, m_model.get());
    auto *grid = qobject_cast<QGridLayout *>(panel.layout());
    QVERIFY(grid);
    QLabel *label = probe(&panel);
    QVERIFY(label);
    int r = -1, c = -1, rowSpan = 0, columnSpan = 0;
    grid->getItemPosition(grid->indexOf(label), &r, &c, &rowSpan, &columnSpan);
    QCOMPARE(r, row);
    QCOMPARE(c, column);
}

void tst_MultiXmlItemWidget::missingPathsLeaveTheRest()
{
    QDomDocument doc;
    const QDomElement tab = parse(doc, "<tab layout='hbox'>"
                                       "<pgnwidget path='nosuch'/>"
                                       "<parameter path='a0ctl' id='9'/>"
                                       "<dstate path=''/>"
                                       "<group layout='vbox'><title>Outputs</title>"
                                       "<parameter path='a0ctl' id='1'/><dstate path='a0ctl'/>"
                                       "</group>"
                                       "<label>probe</label></tab>");
    MultiXmlItemWidget panel(tab, m_model.get());
    QCOMPARE(panel.builtCells(), 2);
    QCOMPARE(panel.findChildren<DeviceStateWidget *>().size(), 1);
    QVERIFY(probe(&panel));
    // Group box, label: the three missing cells added nothing to the row.
    QCOMPARE(panel.layout()->count(), 2);
}

void tst_MultiXmlItemWidget::margins_data()
{
    QTest::addColumn<QString>("margin");
    QTest::addColumn<int>("expected");
    QTest::newRow("as given") << QStringLiteral("7") << 7;
    QTest::newRow("zero") << QStringLiteral("0") << 0;
    QTest::newRow("huge is bounded") << QStringLiteral("5000") << XmlLayoutBuilder::MaxMargin;
    QTest::newRow("negative is zero") << QStringLiteral("-3") << 0;
}

void tst_MultiXmlItemWidget::margins()
{
    QFETCH(QString, margin);
    QFETCH(int, expected);
    QDomDocument doc;
    const QDomElement tab = parse(doc, QStringLiteral("<tab layout='vbox'><widget layout='hbox' "
                                                      "margin='%1'><dstate path='a0ctl'/>"
                                                      "</widget></tab>")
                                           .arg(margin)
                                           .toUtf8());
    MultiXmlItemWidget panel(tab, m_model.get());
    auto *lamp = panel.findChild<DeviceStateWidget *>();
    QVERIFY(lamp);
    const QMargins m = lamp->parentWidget()->layout()->contentsMargins();
    QCOMPARE(m, QMargins(expected, expected, expected, expected));
}

void tst_MultiXmlItemWidget::deepNestingRefused_data()
{
    QTest::addColumn<int>("levels");
    QTest::addColumn<int>("lamps");
    // The root's children are at level 1: the lamp sits at level levels + 1.
    QTest::newRow("lamp at the deepest level") << XmlLayoutBuilder::MaxDepth - 2 << 1;
    QTest::newRow("lamp one level deeper") << XmlLayoutBuilder::MaxDepth - 1 << 0;
    QTest::newRow("hostile depth") << 5000 << 0;
}

void tst_MultiXmlItemWidget::deepNestingRefused()
{
    QFETCH(int, levels);
    QFETCH(int, lamps);
    QByteArray xml = "<tab layout='vbox'>";
    for (int i = 0; i < levels; ++i)
        xml += "<widget layout='vbox'>";
    xml += "<dstate path='a0ctl'/>";
    for (int i = 0; i < levels; ++i)
        xml += "</widget>";
    xml += "</tab>";
    QDomDocument doc;
    const QDomElement tab = parse(doc, xml);
    QVERIFY(!tab.isNull());
    if (lamps == 0)
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(QStringLiteral("nested deeper than")));
    MultiXmlItemWidget panel(tab, m_model.get());
    QCOMPARE(panel.findChildren<DeviceStateWidget *>().size(), lamps);
}

void tst_MultiXmlItemWidget::lampColours_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<QColor>("colour");
    QTest::newRow("unknown") << 0 << QColor(Qt::gray);
    QTest::newRow("auto") << 1 << QColor(Qt::gray);
    QTest::newRow("send") << 2 << QColor(Qt::gray);
    QTest::newRow("receive ok") << 3 << QColor(Qt::green);
    QTest::newRow("receive warning") << 4 << QColor(Qt::yellow);
    QTest::newRow("receive error") << 5 << QColor(Qt::red);
    QTest::newRow("forced") << 6 << QColor(Qt::gray);
    QTest::newRow("mixed") << 7 << QColor(Qt::gray);
}

void tst_MultiXmlItemWidget::lampColours()
{
    QFETCH(int, state);
    QFETCH(QColor, colour);
    DeviceStateWidget lamp(m_controller->treeItem());
    lamp.slotOnStateChanged(state);
    QCOMPARE(lampColor(&lamp), colour);
    QCOMPARE(lamp.palette().color(QPalette::Inactive, QPalette::Window), colour);
    QCOMPARE(lamp.palette().color(QPalette::Disabled, QPalette::Window), colour);
    QVERIFY(lamp.autoFillBackground());
    QCOMPARE(lamp.minimumSize(), QSize(20, 20));
    QCOMPARE(lamp.maximumWidth(), 40);
    QCOMPARE(lamp.maximumHeight(), 40);
}

void tst_MultiXmlItemWidget::lampFollowsDerivedStateOnRefresh()
{
    m_controller->derived = AbstractDisplayableItem::ReceiveOk;
    QDomDocument doc;
    MultiXmlItemWidget panel(parse(doc, "<tab layout='hbox'><dstate path='a0ctl'/></tab>"),
                             m_model.get());
    auto *lamp = panel.findChild<DeviceStateWidget *>();
    QVERIFY(lamp);
    QCOMPARE(lampColor(lamp), QColor(Qt::green)); // the state at once
    // The unit goes silent: no signal, the next refresh shows it.
    m_controller->derived = AbstractDisplayableItem::ReceiveError;
    QCOMPARE(lampColor(lamp), QColor(Qt::green));
    m_model->checkForUpdates();
    QCOMPARE(lampColor(lamp), QColor(Qt::red));
    m_controller->derived = AbstractDisplayableItem::ReceiveForced;
    m_model->checkForUpdates();
    QCOMPARE(lampColor(lamp), QColor(Qt::gray));
    // The item's own signal is followed too.
    emit m_controller->stateChanged(AbstractDisplayableItem::ReceiveWarning);
    QTRY_COMPARE(lampColor(lamp), QColor(Qt::yellow));
}

void tst_MultiXmlItemWidget::lampGreyWhenItemGone()
{
    m_controller->derived = AbstractDisplayableItem::ReceiveOk;
    QDomDocument doc;
    MultiXmlItemWidget panel(parse(doc, "<tab layout='hbox'><dstate path='a0ctl'/></tab>"),
                             m_model.get());
    auto *lamp = panel.findChild<DeviceStateWidget *>();
    QVERIFY(lamp);
    QCOMPARE(lamp->shownState(), int(AbstractDisplayableItem::ReceiveOk));
    m_model->clear(); // the nodes go before their items
    m_model->checkForUpdates();
    QCOMPARE(lamp->shownState(), -1);
    QCOMPARE(lampColor(lamp), QColor(Qt::gray));
    // A change queued before the item went does not light it again.
    lamp->slotOnStateChanged(AbstractDisplayableItem::ReceiveOk);
    QCOMPARE(lampColor(lamp), QColor(Qt::gray));
}

void tst_MultiXmlItemWidget::parameterEditorClosesWithItsNode()
{
    QDomDocument doc;
    MultiXmlItemWidget panel(parse(doc, "<tab layout='hbox'><parameter path='a0ctl' id='1'/>"
                                        "<pgnwidget path='a0ctl'/><label>probe</label></tab>"),
                             m_model.get());
    QCOMPARE(panel.builtCells(), 2);
    const QList<QWidget *> cells = {panel.layout()->itemAt(0)->widget(),
                                    panel.layout()->itemAt(1)->widget()};
    QPointer<QWidget> parameterEditor = cells.at(0);
    QPointer<QWidget> editor = cells.at(1);
    QVERIFY(parameterEditor && editor);
    m_model->clear();
    QVERIFY(!parameterEditor);
    QVERIFY(!editor);
    QVERIFY(probe(&panel)); // the panel itself stays
}

void tst_MultiXmlItemWidget::unitShowsTheFunctionsItHears()
{
    // An engine that sends one message of several: its row and lamp follow that message, and the
    // functions it never sent are not warnings.
    SchemeTreeModel model;
    J1939Device engine(0x00);
    auto *heard = new TestContainerItem;
    heard->setAddress({ItemAddress::Pgn, 0xF004});
    heard->matchId = 0x0CF00400;
    engine.registerChild(heard);
    auto *silent = new TestContainerItem;
    silent->setAddress({ItemAddress::Pgn, 0xFEEE});
    engine.registerChild(silent);
    const QModelIndex top = model.addItem(engine.treeItem());
    auto iconOf = [](const QModelIndex &i) {
        return i.data(Qt::DecorationRole).value<QIcon>().pixmap(16).toImage();
    };
    auto icon = [](const char *name) {
        return QIcon(QStringLiteral(":/icons/devicestate/%1.png").arg(QLatin1String(name)))
            .pixmap(16)
            .toImage();
    };
    DispatchResult r;
    heard->dispatchMessage(makeFrame(0x0CF00400, {1}), &r);
    heard->setState(AbstractDisplayableItem::ReceiveOk);
    silent->setState(AbstractDisplayableItem::ReceiveWarning);
    QCOMPARE(engine.state(), int(AbstractDisplayableItem::Mixed));
    QCOMPARE(AbstractSchemeTreeItem::shownState(&engine), int(AbstractDisplayableItem::ReceiveOk));
    QCOMPARE(iconOf(model.index(0, 0)), icon("receive-ok"));
    QCOMPARE(iconOf(model.index(1, 0, top)), icon("unknown"));
    DeviceStateWidget lamp(engine.treeItem());
    lamp.slotRefresh();
    QCOMPARE(lamp.shownState(), int(AbstractDisplayableItem::ReceiveOk));
    // The message it did send goes late: that shows.
    heard->setState(AbstractDisplayableItem::ReceiveError);
    silent->setState(AbstractDisplayableItem::ReceiveOk);
    QCOMPARE(AbstractSchemeTreeItem::shownState(&engine),
             int(AbstractDisplayableItem::ReceiveError));
    lamp.slotRefresh();
    QCOMPARE(lamp.shownState(), int(AbstractDisplayableItem::ReceiveError));
    // Heard from none: the unit stays mixed.
    heard->setState(AbstractDisplayableItem::Send);
    QCOMPARE(AbstractSchemeTreeItem::shownState(&engine), int(AbstractDisplayableItem::Mixed));
    model.clear();
}

QTEST_MAIN(tst_MultiXmlItemWidget)
#include "tst_multixmlitemwidget.moc"
