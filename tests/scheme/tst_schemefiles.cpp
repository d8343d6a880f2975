#include "descriptions/candevicefactory.h"
#include "descriptions/xmlj1939device.h"
#include "diagnostics/dm1function.h"
#include "model/abstractdisplayableitem.h"
#include "model/candevice.h"
#include "model/devicedispatcher.h"
#include "model/zxparameter.h"
#include "scheme/abstractschemetreeitem.h"
#include "scheme/schemecontroller.h"
#include "scheme/schemetreemodel.h"
#include "support/testcanhandler.h"
#include "support/testenvironment.h"
#include "support/windowtestcase.h"
#include "ui/mainwindow.h"

#include <QDockWidget>
#include <QDomDocument>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

// Scheme files keep every setting the engineer can change, open in their old form, and a load
// that fails leaves the scheme as it was.
namespace {

using TestEnvironment::readFile;
using TestEnvironment::writeFile;

// The device elements of a saved scheme, without the window layout.
QString deviceElements(const QString &path)
{
    QDomDocument doc;
    doc.setContent(readFile(path));
    QDomElement root = doc.documentElement();
    root.removeChild(root.firstChildElement(QStringLiteral("widgets")));
    return doc.toString(1);
}

AbstractDisplayableItem *childByKey(AbstractDisplayableItem *item, const QByteArray &key)
{
    for (AbstractDisplayableItem *c : item->children()) {
        if (c->key() == key)
            return c;
    }
    return nullptr;
}

// Finds an item by its key path ("device/function"), the first of equal keys.
AbstractDisplayableItem *itemByPath(SchemeTreeModel *model, const QString &path)
{
    const QStringList keys = path.split(QLatin1Char('/'));
    AbstractDisplayableItem *item = nullptr;
    for (AbstractSchemeTreeItem *node : model->topLevelItems()) {
        if (node->displayable()->key() == keys.first().toLatin1()) {
            item = node->displayable();
            break;
        }
    }
    for (int i = 1; item && i < keys.size(); ++i)
        item = childByKey(item, keys.at(i).toLatin1());
    return item;
}

// Everything the engineer can change, item by item, and the open detail docks.
void describeItem(AbstractDisplayableItem *item, const QString &path, QStringList *out)
{
    QStringList values;
    for (const ZxParameter *p : item->parameters())
        values << (p->isValid() ? p->toString() : QStringLiteral("n/a"));
    *out << QStringLiteral("%1 state=%2 name=%3 type=%4 interval=%5 filtered=%6 values=%7")
                .arg(path)
                .arg(item->schemeState())
                .arg(item->name())
                .arg(int(item->deviceType()))
                .arg(item->transmissionInterval())
                .arg(item->isFiltered())
                .arg(values.join(QLatin1Char(',')));
    for (AbstractDisplayableItem *child : item->children())
        describeItem(child,
                     path + QLatin1Char('/') + QString::fromLatin1(child->key())
                         + QString::number(child->address().value, 16),
                     out);
}

QStringList describeScheme(MainWindow *window)
{
    QStringList out;
    for (AbstractSchemeTreeItem *node : window->schemeModel()->topLevelItems())
        describeItem(node->displayable(), QString::fromLatin1(node->displayable()->key()), &out);
    QStringList docks;
    for (const QDockWidget *dock : window->findChildren<QDockWidget *>(
             QRegularExpression(QStringLiteral("DetailsDockWidget$")))) {
        if (!dock->property("closing").toBool())
            docks << dock->objectName();
    }
    docks.sort();
    return out << docks;
}

enum class Setting { None, State, Name, Period, Filter, Value, NotAvailable, Dock, TakeOver };

} // namespace

Q_DECLARE_METATYPE(Setting)

class tst_SchemeFiles : public WindowTestCase
{
    Q_OBJECT

public:
    tst_SchemeFiles()
        : WindowTestCase(QStringLiteral("TarvikSchemeFilesTest"))
    {}

private slots:
    void everySettingSurvivesSaveAndOpen_data();
    void everySettingSurvivesSaveAndOpen();
    void oldFormFileOpens();
    void failedOpenKeepsScheme_data();
    void failedOpenKeepsScheme();
};

void tst_SchemeFiles::everySettingSurvivesSaveAndOpen_data()
{
    QTest::addColumn<Setting>("setting");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QVariant>("value");
    // demo_controller: a unit from its own description, with functions from the description;
    // engine1: a catalogue unit with library functions; empty_device: a stub with a library and
    // a hard-coded function; unknown_device: made for traffic, with a function for an unknown PGN.
    const QString ownFunction = QStringLiteral("demo_controller/demo_ctrl_io");
    const QString libraryFunction = QStringLiteral("empty_device/eec1");
    QTest::newRow("nothing changed") << Setting::None << QString() << QVariant();
    QTest::newRow("own function sends") << Setting::State << ownFunction << QVariant(2);
    QTest::newRow("library function sends") << Setting::State << libraryFunction << QVariant(2);
    QTest::newRow("catalogue function auto") << Setting::State << "engine1/hours" << QVariant(1);
    QTest::newRow("whole device sends") << Setting::State << "demo_cabin" << QVariant(2);
    QTest::newRow("auto that took over stays auto")
        << Setting::TakeOver << ownFunction << QVariant();
    QTest::newRow("own function renamed") << Setting::Name << ownFunction << QVariant("Мои входы");
    QTest::newRow("library function renamed")
        << Setting::Name << libraryFunction << QVariant("Motor");
    QTest::newRow("device renamed") << Setting::Name << "engine1" << QVariant("Main engine");
    QTest::newRow("own function period") << Setting::Period << ownFunction << QVariant(250);
    QTest::newRow("library function period") << Setting::Period << libraryFunction << QVariant(40);
    QTest::newRow("commit function period")
        << Setting::Period << "empty_device/dm1" << QVariant(700);
    QTest::newRow("spontaneous function period")
        << Setting::Period << "unknown_device/unknown_pgn" << QVariant(3000);
    QTest::newRow("device filtered") << Setting::Filter << "unknown_device" << QVariant(true);
    QTest::newRow("own function filtered") << Setting::Filter << ownFunction << QVariant(true);
    QTest::newRow("library function filtered")
        << Setting::Filter << libraryFunction << QVariant(true);
    QTest::newRow("own function value") << Setting::Value << ownFunction << QVariant(3);
    QTest::newRow("library function value") << Setting::Value << libraryFunction << QVariant(1500);
    QTest::newRow("own value not available") << Setting::NotAvailable << ownFunction << QVariant(3);
    QTest::newRow("library value not available")
        << Setting::NotAvailable << libraryFunction << QVariant(255);
    QTest::newRow("detail dock of a function") << Setting::Dock << libraryFunction << QVariant();
    QTest::newRow("detail docks of a function and its device")
        << Setting::Dock << libraryFunction << QVariant("empty_device");
    QTest::newRow("detail dock of a device") << Setting::Dock << "demo_cabin" << QVariant();
}

void tst_SchemeFiles::everySettingSurvivesSaveAndOpen()
{
    QFETCH(Setting, setting);
    QFETCH(QString, target);
    QFETCH(QVariant, value);
    SchemeController *controller = m_window->schemeController();
    QVERIFY(controller->deserialize(TestEnvironment::describedUnitsScheme()));
    CanDeviceFactory *factory = m_window->catalogue();
    AbstractDisplayableItem *stub
        = factory->createDeviceFromKey("empty_device", {ItemAddress::J1939, 0x21});
    QVERIFY(stub->factoryCreateChild("eec1") && stub->factoryCreateChild("dm1"));
    AbstractDisplayableItem *unknown = factory->createDevice(makeFrame(0x18FEF533, {1, 2}));
    // A known function made from the unit's traffic, and one for a PGN nobody describes.
    DispatchResult made(DispatchResult::Received, 0);
    made.item = unknown;
    AbstractDisplayableItem *amb
        = unknown->subFactory()->createDevice(makeFrame(0x18FEF533, {1, 2}), made);
    QVERIFY(amb && amb->key() == "amb");
    unknown->registerChild(amb);
    unknown->registerChild(unknown->subFactory()->createDevice(
        unknown->subFactory()->unknownEntry(), {ItemAddress::Pgn, 0xFF77}));
    m_window->addDisplayable(stub);
    m_window->addDisplayable(unknown);
    const QStringList original = describeScheme(m_window.get());

    AbstractDisplayableItem *item
        = target.isEmpty() ? nullptr : itemByPath(m_window->schemeModel(), target);
    QVERIFY(target.isEmpty() || item);
    switch (setting) {
    case Setting::None:
        break;
    case Setting::State:
        // The device's other functions keep theirs.
        QVERIFY(item->setState(value.toInt()));
        break;
    case Setting::TakeOver:
        item->setTransmissionInterval(5);
        item->setState(AbstractDisplayableItem::Auto);
        QTRY_COMPARE(item->state(), int(AbstractDisplayableItem::Send));
        item->setTransmissionInterval(100);
        break;
    case Setting::Name: // as typed into the name or the period column
    case Setting::Period:
        QVERIFY(m_window->schemeModel()->setData(
            m_window->schemeModel()->index(item->existingTreeItem(),
                                           setting == Setting::Name ? 2 : 4),
            value, Qt::EditRole));
        break;
    case Setting::Filter:
        item->setFiltered(value.toBool());
        break;
    case Setting::Value:
    case Setting::NotAvailable:
        // The last parameter: positional values must reach the right one.
        item->parameters().last()->setVariantValue(value);
        item->parameters().last()->setValid(setting == Setting::Value);
        break;
    case Setting::Dock:
        QVERIFY(m_window->getDetailsWidgetForPath(item->existingTreeItem()->uniqueKey()));
        if (value.isValid())
            QVERIFY(m_window->getDetailsWidgetForPath(
                itemByPath(m_window->schemeModel(), value.toString())
                    ->existingTreeItem()
                    ->uniqueKey()));
        break;
    }
    const QStringList changed = describeScheme(m_window.get());
    if (setting != Setting::None)
        QVERIFY(changed != original);

    const QString path = m_dir.filePath(QStringLiteral("settings.tvsx"));
    QVERIFY(controller->serialize(path));
    QVERIFY(!readFile(path).startsWith("<?xml"));
    for (QDockWidget *dock : m_window->findChildren<QDockWidget *>(
             QRegularExpression(QStringLiteral("DetailsDockWidget$"))))
        delete dock;
    // Opened over the scheme it came from: the same units, keys and addresses.
    QSignalSpy updated(controller, &SchemeController::schemeUpdated);
    QVERIFY2(controller->deserialize(path), qPrintable(controller->lastError()));
    QCOMPARE(updated.count(), 1);
    QCOMPARE(describeScheme(m_window.get()), changed);
    // Saved again, the units are written as they were read.
    const QString again = m_dir.filePath(QStringLiteral("again.tvsx"));
    QVERIFY(controller->serialize(again));
    QCOMPARE(deviceElements(again), deviceElements(path));
    if (setting == Setting::TakeOver)
        QCOMPARE(itemByPath(m_window->schemeModel(), target)->state(),
                 int(AbstractDisplayableItem::Auto));
}

void tst_SchemeFiles::oldFormFileOpens()
{
    // As written before files kept every setting: no version, measured periods, the library's
    // name after the engineer's, states that were never read back.
    const QByteArray scheme = R"(<devices>
  <device key="empty_device" address="21" type="j1939" internal="true" state="7" period="0">
    <name>Body</name>
    <func key="eec1" address="f004" state="2" period="20" internal="true" priority="3">
      <name>My engine</name>
      <name>EEC1 - Electronic Engine Controller 1</name>
      <param type="int"><name>Engine Torque Mode</name><init>255</init></param>
    </func>
    <func key="dm1" address="feca" state="3" period="0" internal="true"/>
  </device>
  <device key="own" address="2a" internal="false" state="3" period="37">
    <name>Own unit</name>
    <func internal="true" key="dm1" address="feca"/>
    <func key="own_f" address="ff55" period="100" state="3" internal="false">
      <name>Renamed own</name>
      <name>Own function</name>
      <param type="int"><name>V</name><startbyte>0</startbyte><bitlength>8</bitlength><init>42</init></param>
    </func>
  </device>
  <widgets/>
</devices>)";
    const QString path = writeFile(m_dir, QStringLiteral("old.tvsx"), scheme);
    QVERIFY2(m_window->schemeController()->deserialize(path),
             qPrintable(m_window->schemeController()->lastError()));
    SchemeTreeModel *model = m_window->schemeModel();
    QCOMPARE(model->rowCount(), 2);
    AbstractDisplayableItem *eec1 = itemByPath(model, QStringLiteral("empty_device/eec1"));
    QVERIFY(eec1);
    QCOMPARE(eec1->name(), QStringLiteral("My engine"));
    QCOMPARE(eec1->state(), int(AbstractDisplayableItem::Send));
    QCOMPARE(eec1->transmissionInterval(), 20);
    QCOMPARE(eec1->parameters().at(0)->toString(), QStringLiteral("255")); // no mark: a value
    // A measured period of 0 did not make the trouble-code function spontaneous.
    AbstractDisplayableItem *dm1 = itemByPath(model, QStringLiteral("empty_device/dm1"));
    QCOMPARE(dm1->deviceType(), AbstractDisplayableItem::ContinuousCommit);
    QCOMPARE(dm1->transmissionInterval(), 1000);
    QCOMPARE(dm1->state(), int(AbstractDisplayableItem::ReceiveOk));
    // A unit from its own description takes library functions too.
    QVERIFY(qobject_cast<XmlJ1939Device *>(itemByPath(model, QStringLiteral("own"))));
    QVERIFY(qobject_cast<DM1Function *>(itemByPath(model, QStringLiteral("own/dm1"))));
    AbstractDisplayableItem *own = itemByPath(model, QStringLiteral("own/own_f"));
    QVERIFY(own);
    QCOMPARE(own->name(), QStringLiteral("Renamed own"));
    QCOMPARE(own->transmissionInterval(), 100);
    QCOMPARE(own->parameters().at(0)->variantValue().toInt(), 42);
    QCOMPARE(itemByPath(model, QStringLiteral("own"))->transmissionInterval(), -1);
    // Saved again in the current form, with one name per function.
    const QDomDocument doc = m_window->schemeController()->toDocument();
    QCOMPARE(doc.documentElement().attribute(QStringLiteral("version")),
             QString::number(SchemeController::FormatVersion));
    const QDomElement func = doc.documentElement()
                                 .firstChildElement(QStringLiteral("device"))
                                 .firstChildElement(QStringLiteral("func"));
    int names = 0;
    for (QDomElement n = func.firstChildElement(QStringLiteral("name")); !n.isNull();
         n = n.nextSiblingElement(QStringLiteral("name")))
        ++names;
    QCOMPARE(names, 1);
    QCOMPARE(func.firstChildElement(QStringLiteral("name")).text(), QStringLiteral("My engine"));
    // A file without units opens as an empty scheme.
    const QString empty
        = writeFile(m_dir, QStringLiteral("empty.tvsx"), "<devices><widgets/></devices>");
    QVERIFY(m_window->schemeController()->deserialize(empty));
    QCOMPARE(model->rowCount(), 0);
    QVERIFY(m_dispatcher->devices().isEmpty());
}

void tst_SchemeFiles::failedOpenKeepsScheme_data()
{
    // content: the file (none for "missing file"); error: the whole message with %1 for the path,
    // empty when it only has to name the file; cleared: the file's own units were being made,
    // so the scheme before was put back rather than left in place.
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("error");
    QTest::addColumn<bool>("cleared");
    const QString noDevice = QStringLiteral("Unable to create device from 3 line of %1 file");
    const QByteArray binary("\xEF\x4E\x5C\xCA\x01\x02\x00\x00", 8);
    // A unit at 9 before the bad line and one at a after it: nothing of the file is taken.
    auto bad = [](const char *device) {
        return "<devices>\n  <device key=\"empty_device\" address=\"9\" internal=\"true\"/>\n  "
               + QByteArray(device)
               + "\n  <device key=\"empty_device\" address=\"a\" internal=\"true\"/>\n"
                 "</devices>\n";
    };
    const QByteArray truncated("<devices><device key=\"engine1\"");
    const QByteArray otherRoot("<funcs><func key=\"x\"/></funcs>");
    const QByteArray unknownType = bad(R"(<device key="x" address="1" type="bogus"/>)");
    const QByteArray unknownKey
        = bad(R"(<device key="no_such_kind" address="1" internal="true"/>)");
    const QByteArray twice = bad(R"(<device key="unknown_device" address="9" internal="true"/>)");
    // A unit outside the scheme holds 0x44: only making the file's unit finds that out.
    const QByteArray held = "<devices version=\"2\">\n"
                            "  <device key=\"empty_device\" address=\"20\" internal=\"true\"/>\n"
                            "  <device key=\"unknown_device\" address=\"44\" internal=\"true\"/>\n"
                            "</devices>\n";
    QTest::newRow("missing file") << QByteArray() << QString() << false;
    QTest::newRow("empty") << QByteArray() << QString() << false;
    QTest::newRow("binary") << binary << QString() << false;
    QTest::newRow("truncated xml") << truncated << QString() << false;
    QTest::newRow("other root") << otherRoot << QString() << false;
    QTest::newRow("description of an unknown type") << unknownType << noDevice << false;
    QTest::newRow("key no factory knows") << unknownKey << noDevice << false;
    QTest::newRow("second unit at one address") << twice << noDevice << false;
    QTest::newRow("address held outside the scheme") << held << noDevice << true;
}

void tst_SchemeFiles::failedOpenKeepsScheme()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, error);
    QFETCH(bool, cleared);
    CanDeviceFactory *factory = m_window->catalogue();
    AbstractDisplayableItem *kept
        = factory->createDeviceFromKey("empty_device", {ItemAddress::J1939, 0x09});
    kept->setName(QStringLiteral("Kept"));
    kept->factoryCreateChild("eec1")->setState(AbstractDisplayableItem::Send);
    m_window->addDisplayable(kept);
    const QStringList before = describeScheme(m_window.get());
    std::unique_ptr<AbstractDisplayableItem> outside(
        factory->createDeviceFromKey("empty_device", {ItemAddress::J1939, 0x44}));
    QVERIFY(outside);
    const bool missing = QTest::currentDataTag() == QLatin1String("missing file");
    const QString path = missing ? m_dir.filePath(QStringLiteral("none.tvsx"))
                                 : writeFile(m_dir, QStringLiteral("bad.tvsx"), content);
    SchemeController *controller = m_window->schemeController();
    QSignalSpy updated(controller, &SchemeController::schemeUpdated);
    QVERIFY(!controller->deserialize(path));
    if (!error.isEmpty())
        QCOMPARE(controller->lastError(), error.arg(path));
    else if (!missing)
        QVERIFY(controller->lastError().contains(path));
    else
        QVERIFY(!controller->lastError().isEmpty());
    QCOMPARE(updated.count(), 0);
    QCOMPARE(describeScheme(m_window.get()), before);
    QCOMPARE(m_dispatcher->devices().size(), 1);
    // Left in place unless the file's units were being made.
    if (!cleared)
        QCOMPARE(static_cast<AbstractDisplayableItem *>(m_dispatcher->devices().at(0)), kept);
}

QTEST_MAIN(tst_SchemeFiles)
#include "tst_schemefiles.moc"
