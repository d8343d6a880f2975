#include "support/testcanhandler.h"
#include "support/testenvironment.h"
#include "ui/editors/rawdataview.h"
#include "ui/rawdatamodel.h"

#include <QAction>
#include <QScrollBar>
#include <QSettings>
#include <QtTest>

#include <memory>

namespace {

// Frames whose time stamps are 10 ms apart, continuing a running count.
AbstractCanHandler::MessagePack frames(int count, int *sequence)
{
    AbstractCanHandler::MessagePack pack;
    for (int i = 0; i < count; ++i, ++*sequence)
        pack.append({makeFrame(0x18FEF100u | quint32(*sequence % 256), {quint8(*sequence)}),
                     DispatchResult(DispatchResult::Received, qint64(*sequence) * 10)});
    return pack;
}

QList<qint64> selectedTimings(const QAbstractItemView &view, const RawDataModel &model)
{
    QList<qint64> timings;
    for (const QModelIndex &index : view.selectionModel()->selectedRows())
        timings << model.timing(index.row());
    std::sort(timings.begin(), timings.end());
    return timings;
}

QPoint rowCenter(const QAbstractItemView &view, int row)
{
    return view.visualRect(view.model()->index(row, 0)).center();
}

} // namespace

class tst_RawDataView : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void rowsStayUnderTheCursor_data();
    void rowsStayUnderTheCursor();
    void followShowsTheNewestRows();
    void followIsRemembered();

private:
    std::unique_ptr<RawDataModel> m_model;
    std::unique_ptr<RawDataView> m_view;
    int m_sequence = 0;
};

void tst_RawDataView::initTestCase()
{
    TestEnvironment::init();
    QCoreApplication::setApplicationName(QStringLiteral("TarvikRawDataViewTest"));
    QSettings().clear();
}

void tst_RawDataView::init()
{
    m_sequence = 0;
    m_model = std::make_unique<RawDataModel>();
    m_model->setFlowEnabled(true);
    m_view = std::make_unique<RawDataView>();
    m_view->setModel(m_model.get());
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->resize(500, 400);
    m_view->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
}

void tst_RawDataView::cleanup()
{
    m_view.reset();
    m_model.reset();
    QSettings().clear();
}

void tst_RawDataView::rowsStayUnderTheCursor_data()
{
    QTest::addColumn<bool>("follow");
    QTest::addColumn<int>("packs");
    QTest::newRow("following, 135 rows arrive in 3 packs") << true << 3;
    QTest::newRow("not following, 135 rows arrive in 3 packs") << false << 3;
    QTest::newRow("following, no rows arrive") << true << 0;
}

void tst_RawDataView::rowsStayUnderTheCursor()
{
    QFETCH(bool, follow);
    QFETCH(int, packs);
    m_view->setFollowing(follow);
    m_model->slotNotifyPack(frames(100, &m_sequence));
    QCoreApplication::processEvents();
    const QPoint first = rowCenter(*m_view, 2);
    const QPoint last = rowCenter(*m_view, 6);
    const qint64 firstTiming = m_model->timing(2);
    const qint64 lastTiming = m_model->timing(6);
    QTest::mouseClick(m_view->viewport(), Qt::LeftButton, Qt::NoModifier, first);
    QCOMPARE(selectedTimings(*m_view, *m_model), QList<qint64>{firstTiming});

    for (int p = 0; p < packs; ++p) {
        m_model->slotNotifyPack(frames(45, &m_sequence));
        QCoreApplication::processEvents();
        // The rows the user sees do not move while the traffic runs.
        QCOMPARE(m_model->timing(m_view->indexAt(first).row()), firstTiming);
        QCOMPARE(m_model->timing(m_view->indexAt(last).row()), lastTiming);
    }
    QTest::mouseClick(m_view->viewport(), Qt::LeftButton, Qt::ShiftModifier, last);
    // Five rows, the ones that were between the two clicks on the screen.
    const QList<qint64> selected = selectedTimings(*m_view, *m_model);
    QCOMPARE(selected.size(), 5);
    QCOMPARE(selected.first(), lastTiming);
    QCOMPARE(selected.last(), firstTiming);
}

void tst_RawDataView::followShowsTheNewestRows()
{
    QVERIFY(m_view->isFollowing()); // on at first start
    m_model->slotNotifyPack(frames(200, &m_sequence));
    QCoreApplication::processEvents();
    QScrollBar *bar = m_view->verticalScrollBar();
    bar->setValue(20);
    // Not selecting: new rows bring the view back to the newest.
    m_model->slotNotifyPack(frames(10, &m_sequence));
    QCoreApplication::processEvents();
    QCOMPARE(bar->value(), 0);
    QCOMPARE(m_view->indexAt(rowCenter(*m_view, 0)).row(), 0);
    QVERIFY(!m_view->keepsRowsInPlace());

    // Follow off: the view stays on the rows it shows, also at the top.
    m_view->followAction()->setChecked(false);
    QVERIFY(m_view->keepsRowsInPlace());
    m_model->slotNotifyPack(frames(10, &m_sequence));
    QCoreApplication::processEvents();
    QCOMPARE(bar->value(), 10);
    bar->setValue(30);
    const qint64 shown = m_model->timing(m_view->indexAt(rowCenter(*m_view, 30)).row());
    m_model->slotNotifyPack(frames(7, &m_sequence));
    QCoreApplication::processEvents();
    QCOMPARE(bar->value(), 37);
    QCOMPARE(m_model->timing(m_view->indexAt(rowCenter(*m_view, 37)).row()), shown);

    // Back on: the newest rows at once.
    m_view->followAction()->setChecked(true);
    QCOMPARE(bar->value(), 0);

    // A clear resets the view; what was waiting to shift is dropped.
    m_view->setFollowing(false);
    m_model->slotNotifyPack(frames(5, &m_sequence));
    m_model->clearModel();
    QCoreApplication::processEvents();
    QCOMPARE(bar->value(), 0);
    QCOMPARE(m_model->rowCount(), 0);
}

void tst_RawDataView::followIsRemembered()
{
    QCOMPARE(m_view->followAction()->objectName(), QStringLiteral("actionRawFollow"));
    QVERIFY(m_view->followAction()->isCheckable());
    m_view->followAction()->setChecked(false);
    QCOMPARE(QSettings().value(QStringLiteral("RawState/Follow")).toBool(), false);
    RawDataView again;
    QVERIFY(!again.isFollowing());
    m_view->followAction()->setChecked(true);
    RawDataView third;
    QVERIFY(third.isFollowing());
}

QTEST_MAIN(tst_RawDataView)
#include "tst_rawdataview.moc"
