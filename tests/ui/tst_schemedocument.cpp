#include "descriptions/candevicefactory.h"
#include "model/abstractdisplayableitem.h"
#include "model/devicedispatcher.h"
#include "model/zxparameter.h"
#include "scheme/abstractschemetreeitem.h"
#include "scheme/schemecontroller.h"
#include "scheme/schemedocument.h"
#include "scheme/schemetreemodel.h"
#include "support/testcanhandler.h"
#include "support/testenvironment.h"
#include "support/windowtestcase.h"
#include "ui/recentfiles.h"

#include <QAction>
#include <QDockWidget>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtTest>

#include <memory>

namespace {

using TestEnvironment::readFile;

AbstractSchemeTreeItem *nodeByKeys(SchemeTreeModel *model, const QByteArray &device,
                                   const QByteArray &function = QByteArray())
{
    for (AbstractSchemeTreeItem *node : model->topLevelItems()) {
        if (node->displayable()->key() != device)
            continue;
        if (function.isEmpty())
            return node;
        for (AbstractSchemeTreeItem *child : node->childNodes()) {
            if (child->displayable()->key() == function)
                return child;
        }
    }
    return nullptr;
}

enum class Change {
    None,
    Add,
    Delete,
    Rename,
    Period,
    Send,
    Auto,
    Filter,
    SentValue,
    ReceivedValue,
    AddedByTraffic,
    AddedByTrafficRenamed,
    Expectation,
    ExpectationUndone
};
enum class Question { Open, Clear, Close };

} // namespace

Q_DECLARE_METATYPE(Change)
Q_DECLARE_METATYPE(Question)
Q_DECLARE_METATYPE(MainWindow::SaveChoice)

class tst_SchemeDocument : public WindowTestCase
{
    Q_OBJECT

public:
    tst_SchemeDocument()
        : WindowTestCase(QStringLiteral("TarvikSchemeDocumentTest"))
    {}

private slots:
    void init();
    void everyKindOfChangeIsSeen_data();
    void everyKindOfChangeIsSeen();
    void questionsBeforeLosingChanges_data();
    void questionsBeforeLosingChanges();
    void deleteAsksFirst();
    void detailsDockResetByClearAndOpen();
    void recentSchemesAndDialogStart();
    void saveQuestionFitsTheFile_data();
    void saveQuestionFitsTheFile();

private:
    void openDemoCopy();
    QString m_demo;
};

void tst_SchemeDocument::init()
{
    WindowTestCase::init();
    // Nothing is saved, discarded or confirmed unless a test says so.
    m_window->saveChoice = MainWindow::SaveChoice::Cancel;
    m_window->confirm = false;
    m_demo = m_dir.filePath(QStringLiteral("demo.tvsx"));
    QFile::remove(m_demo);
    QVERIFY(QFile::copy(TestEnvironment::describedUnitsScheme(), m_demo));
    QFile::setPermissions(m_demo, QFile::ReadOwner | QFile::WriteOwner);
}

void tst_SchemeDocument::openDemoCopy()
{
    QVERIFY(m_window->openScheme(m_demo));
    QVERIFY(!m_window->schemeDocument()->check());
    QVERIFY(!m_window->isWindowModified());
}

void tst_SchemeDocument::everyKindOfChangeIsSeen_data()
{
    QTest::addColumn<Change>("change");
    QTest::addColumn<bool>("modified");
    QTest::newRow("nothing") << Change::None << false;
    QTest::newRow("unit added") << Change::Add << true;
    QTest::newRow("unit deleted") << Change::Delete << true;
    QTest::newRow("function renamed") << Change::Rename << true;
    QTest::newRow("period changed") << Change::Period << true;
    QTest::newRow("function sends") << Change::Send << true;
    QTest::newRow("function auto") << Change::Auto << true;
    QTest::newRow("filter mark") << Change::Filter << true;
    QTest::newRow("value of a sending function") << Change::SentValue << true;
    QTest::newRow("value received from the bus") << Change::ReceivedValue << false;
    QTest::newRow("unit auto add brought") << Change::AddedByTraffic << false;
    QTest::newRow("unit auto add brought, renamed") << Change::AddedByTrafficRenamed << true;
    QTest::newRow("expectation set") << Change::Expectation << true;
    QTest::newRow("expectation set and taken back") << Change::ExpectationUndone << false;
}

void tst_SchemeDocument::everyKindOfChangeIsSeen()
{
    QFETCH(Change, change);
    QFETCH(bool, modified);
    openDemoCopy();
    m_window->confirm = true;
    m_window->schemeDocument()->setCheckDelay(10);
    SchemeTreeModel *model = m_window->schemeModel();
    AbstractSchemeTreeItem *io = nodeByKeys(model, "demo_controller", "demo_ctrl_io");
    QVERIFY(io);
    AbstractDisplayableItem *item = io->displayable();
    m_window->mainView()->setCurrentIndex(model->index(io, 1));
    switch (change) {
    case Change::None:
        break;
    case Change::Add:
        m_window->addDisplayable(
            m_window->catalogue()->createDeviceFromKey("empty_device", {ItemAddress::J1939, 0x66}));
        break;
    case Change::Delete:
        m_window->mainView()->setCurrentIndex(model->index(nodeByKeys(model, "demo_cabin"), 1));
        action("actionDeleteDevice")->trigger();
        break;
    case Change::Rename:
        m_window->textAnswer = QStringLiteral("Inputs");
        action("actionRename")->trigger();
        break;
    case Change::Period:
        m_window->intAnswer = 200;
        action("actionSetTransmissionInterval")->trigger();
        break;
    case Change::Send:
        action("actionSend")->trigger();
        break;
    case Change::Auto:
        item->setState(AbstractDisplayableItem::Auto);
        break;
    case Change::Filter:
        action("actionFilterOn")->trigger();
        break;
    case Change::SentValue:
        item->setState(AbstractDisplayableItem::Send);
        m_window->schemeDocument()->setClean(m_demo);
        item->parameters().at(4)->setVariantValue(77);
        break;
    case Change::ReceivedValue:
        // What the bus brings is not the engineer's change.
        item->parameters().at(4)->setVariantValue(77);
        item->setState(AbstractDisplayableItem::ReceiveWarning);
        break;
    case Change::AddedByTraffic:
    case Change::AddedByTrafficRenamed: {
        // Engine temperature from a unit at 0x66 the scheme lacks, with Auto add on.
        const int rows = model->rowCount();
        m_window->slotCheckForNewDevices(
            {qMakePair(makeFrame(0x18FEEE66, {0x50, 0, 0, 0, 0, 0, 0, 0}),
                       DispatchResult(DispatchResult::Received, 0))});
        QCOMPARE(model->rowCount(), rows + 1);
        QTRY_COMPARE(m_window->schemeDocument()->check(), false);
        if (change == Change::AddedByTrafficRenamed) {
            m_window->mainView()->setCurrentIndex(model->index(rows, 1));
            m_window->textAnswer = QStringLiteral("Found unit");
            action("actionRename")->trigger();
        }
        break;
    }
    case Change::Expectation:
    case Change::ExpectationUndone: {
        ItemExpectation x;
        x.tolerancePercent = 20;
        item->setExpectation(x);
        if (change == Change::ExpectationUndone) {
            QVERIFY(m_window->schemeDocument()->check());
            item->setExpectation(ItemExpectation());
        }
        break;
    }
    }
    QCOMPARE(m_window->schemeDocument()->check(), modified);
    QCOMPARE(m_window->isWindowModified(), modified);
    QVERIFY(m_window->windowTitle().startsWith(QStringLiteral("demo.tvsx[*] \u2014 Tarvik")));
    // The model's own signals bring the check without being asked.
    m_window->schemeDocument()->setClean(m_demo);
    QVERIFY(!m_window->isWindowModified());
    if (change == Change::Rename) {
        m_window->textAnswer = QStringLiteral("Inputs again");
        action("actionRename")->trigger();
        QTRY_VERIFY(m_window->isWindowModified());
    }
}

void tst_SchemeDocument::questionsBeforeLosingChanges_data()
{
    QTest::addColumn<Question>("question");
    QTest::addColumn<MainWindow::SaveChoice>("answer");
    const struct
    {
        const char *name;
        Question question;
    } questions[] = {{"open", Question::Open}, {"clear", Question::Clear}, {"close", Question::Close}};
    const struct
    {
        const char *name;
        MainWindow::SaveChoice answer;
    } answers[] = {{"save", MainWindow::SaveChoice::Save},
                   {"discard", MainWindow::SaveChoice::Discard},
                   {"cancel", MainWindow::SaveChoice::Cancel}};
    for (const auto &q : questions) {
        for (const auto &a : answers)
            QTest::newRow(qPrintable(QStringLiteral("%1, %2").arg(q.name, a.name)))
                << q.question << a.answer;
    }
}

void tst_SchemeDocument::questionsBeforeLosingChanges()
{
    QFETCH(Question, question);
    QFETCH(MainWindow::SaveChoice, answer);
    const QString other = m_dir.filePath(QStringLiteral("other.tvsx"));
    QVERIFY(m_window->schemeController()->serialize(other)); // an empty scheme
    openDemoCopy();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    const QByteArray fileBefore = readFile(m_demo);
    nodeByKeys(m_window->schemeModel(), "engine1")->displayable()->setName(QStringLiteral("Changed"));
    m_window->saveChoice = answer;
    m_window->fileAnswer = other;
    bool closed = false;
    switch (question) {
    case Question::Open:
        action("actionOpen")->trigger();
        break;
    case Question::Clear:
        action("actionClearScheme")->trigger();
        break;
    case Question::Close:
        closed = m_window->close();
        break;
    }
    QCOMPARE(m_window->asked.value(0), QStringLiteral("save changes|demo.tvsx"));
    const bool proceeded = answer != MainWindow::SaveChoice::Cancel;
    // Saved into its own file only when asked to; never without a question.
    QCOMPARE(readFile(m_demo) != fileBefore, answer == MainWindow::SaveChoice::Save);
    if (answer == MainWindow::SaveChoice::Save)
        QVERIFY(readFile(m_demo).contains("<name>Changed</name>"));
    if (question == Question::Close) {
        QCOMPARE(closed, proceeded);
        QCOMPARE(m_window->isVisible(), !proceeded);
        return;
    }
    QCOMPARE(m_window->schemeModel()->rowCount(), proceeded ? 0 : 8);
    QCOMPARE(m_window->isWindowModified(), !proceeded);
    if (proceeded)
        QCOMPARE(m_window->schemeDocument()->filePath(),
                 question == Question::Open ? other : QString());
}

void tst_SchemeDocument::deleteAsksFirst()
{
    openDemoCopy();
    SchemeTreeModel *model = m_window->schemeModel();
    AbstractSchemeTreeItem *engine = nodeByKeys(model, "engine1");
    QPointer<AbstractDisplayableItem> item = engine->displayable();
    m_window->mainView()->setCurrentIndex(model->index(engine, 1));
    m_window->confirm = false;
    action("actionDeleteDevice")->trigger();
    QCOMPARE(m_window->asked.last(), QStringLiteral("Delete|Delete %1 from the scheme?").arg(engine->uniqueName()));
    QCOMPARE(model->rowCount(), TestEnvironment::schemeUnits(m_demo));
    m_window->confirm = true;
    action("actionDeleteDevice")->trigger();
    QCOMPARE(model->rowCount(), TestEnvironment::schemeUnits(m_demo) - 1);
    QVERIFY(!nodeByKeys(model, "engine1"));
    // Gone from the bus side too, and destroyed.
    QCOMPARE(m_dispatcher->devices().size(), TestEnvironment::schemeUnits(m_demo) - 1);
    QTRY_VERIFY(!item);
}

void tst_SchemeDocument::detailsDockResetByClearAndOpen()
{
    openDemoCopy();
    auto *details = m_window->findChild<QDockWidget *>(QStringLiteral("detailsWindow"));
    auto *panel = details->findChild<QWidget *>(QStringLiteral("detailsScrollArea"));
    SchemeTreeModel *model = m_window->schemeModel();
    auto select = [&] {
        AbstractSchemeTreeItem *node = nodeByKeys(model, "demo_controller", "demo_ctrl_io");
        m_window->mainView()->setCurrentIndex(model->index(node, 1));
        QVERIFY(details->windowTitle().endsWith(node->uniqueName()));
    };
    auto editors = [&] { return panel->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly).size(); };
    select();
    m_window->saveChoice = MainWindow::SaveChoice::Discard;
    action("actionClearScheme")->trigger();
    QCOMPARE(details->windowTitle(), QStringLiteral("Details"));
    QVERIFY(m_window->openScheme(m_demo));
    select();
    const int shown = editors();
    QVERIFY(m_window->openScheme(m_demo));
    QCOMPARE(details->windowTitle(), QStringLiteral("Details"));
    QVERIFY(editors() <= shown);
}

void tst_SchemeDocument::recentSchemesAndDialogStart()
{
    RecentFiles *recent = m_window->recentFiles();
    QVERIFY(recent->files().isEmpty());
    QCOMPARE(m_window->schemeDialogStart(), QString());
    openDemoCopy();
    QCOMPARE(m_window->schemeDialogStart(), m_demo);
    const QString saved = m_dir.filePath(QStringLiteral("saved"));
    m_window->fileAnswer = saved;
    action("actionSaveAs")->trigger();
    const QString savedFile = saved + QStringLiteral(".tvsx");
    QCOMPARE(recent->files(), (QStringList{savedFile, m_demo}));
    QCOMPARE(m_window->schemeDialogStart(), savedFile);
    QCOMPARE(m_window->windowTitle().left(11), QStringLiteral("saved.tvsx["));
    // Kept in the settings: a new window offers them in its File menu.
    m_window->schemeController()->clearScheme();
    m_window = std::make_unique<ScriptedMainWindow>();
    m_window->setDispatcher(m_dispatcher.get());
    QCOMPARE(m_window->schemeDialogStart(), m_dir.path());
    auto *menu = m_window->menuBar()->findChild<QMenu *>(QStringLiteral("menuRecentSchemes"));
    QVERIFY(menu && menu->isEnabled());
    QCOMPARE(menu->actions().size(), 2);
    QCOMPARE(menu->actions().at(1)->data().toString(), m_demo);
    menu->actions().at(1)->trigger();
    QCOMPARE(m_window->schemeDocument()->filePath(), m_demo);
    QCOMPARE(m_window->schemeModel()->rowCount(), TestEnvironment::schemeUnits(m_demo));
    QCOMPARE(m_window->recentFiles()->files().first(), m_demo);
    // A file gone from the disk is dropped from the list with a word.
    QVERIFY(QFile::remove(savedFile));
    m_window->recentFiles()->fileChosen(savedFile);
    QCOMPARE(m_window->errors.size(), 1);
    QCOMPARE(m_window->recentFiles()->files(), QStringList{m_demo});
}

void tst_SchemeDocument::saveQuestionFitsTheFile_data()
{
    QTest::addColumn<QString>("scheme");
    QTest::addColumn<QString>("words");
    QTest::addColumn<bool>("saveAsks");
    QTest::newRow("never saved") << QString() << "has not been saved yet" << true;
    QTest::newRow("built into the program") << ":/demo/demo.tvsx" << "comes with the program" << true;
    QTest::newRow("a file of one's own") << "copy" << "has changed since it was saved" << false;
}

void tst_SchemeDocument::saveQuestionFitsTheFile()
{
    QFETCH(QString, scheme);
    QFETCH(QString, words);
    QFETCH(bool, saveAsks);
    if (scheme == QLatin1String("copy"))
        scheme = m_demo;
    if (!scheme.isEmpty())
        QVERIFY(m_window->openScheme(scheme));
    m_window->addDisplayable(
        m_window->catalogue()->createDeviceFromKey("empty_device", {ItemAddress::J1939, 0x67}));
    SchemeDocument *document = m_window->schemeDocument();
    QVERIFY(document->check());
    QVERIFY2(document->changesQuestion().contains(words), qPrintable(document->changesQuestion()));
    QCOMPARE(document->hasWritableFile(), !saveAsks);
    // Save asks for a name exactly where there is no file of one's own to write.
    const QString elsewhere = m_dir.filePath(QStringLiteral("elsewhere.tvsx"));
    m_window->fileAnswer = elsewhere;
    action("actionSave")->trigger();
    QCOMPARE(!m_window->asked.filter(QStringLiteral("Save scheme|")).isEmpty(), saveAsks);
    QCOMPARE(document->filePath(), saveAsks ? elsewhere : scheme);
    QVERIFY(!document->check());
}

QTEST_MAIN(tst_SchemeDocument)
#include "tst_schemedocument.moc"
