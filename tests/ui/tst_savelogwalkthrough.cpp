#include "can/recordingreader.h"
#include "support/demobuswindow.h"
#include "support/testenvironment.h"
#include "ui/rawdatamodel.h"

#include <QAction>
#include <QSettings>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(RecordingReader::Format)

// The user pauses the raw view of the demo bus and saves its log through "Save log" as a BLF or
// pcapng recording: the file reads back to the frames the view shows, oldest first.
class tst_SaveLogWalkthrough : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        TestEnvironment::initSchemeTests(QStringLiteral("TarvikSaveLogWalkthroughTest"));
    }
    // The window keeps the paused raw view in its settings: each row starts afresh.
    void init() { QSettings().clear(); }
    void savesTheRawViewAsRecording_data();
    void savesTheRawViewAsRecording();
};

void tst_SaveLogWalkthrough::savesTheRawViewAsRecording_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("savedAs");
    QTest::addColumn<RecordingReader::Format>("format");
    QTest::newRow("BLF by its extension") << "demo.blf"
                                          << ""
                                          << "demo.blf" << RecordingReader::Blf;
    QTest::newRow("pcapng chosen in the dialog") << "demo"
                                                 << "pcapng for Wireshark (*.pcapng)"
                                                 << "demo.pcapng" << RecordingReader::Pcapng;
    QTest::newRow("ASC by its extension") << "demo.asc"
                                          << ""
                                          << "demo.asc" << RecordingReader::Asc;
    QTest::newRow("TRC chosen in the dialog") << "demo"
                                              << "PEAK trace (*.trc)"
                                              << "demo.trc" << RecordingReader::Trc;
}

void tst_SaveLogWalkthrough::savesTheRawViewAsRecording()
{
    QFETCH(QString, name);
    QFETCH(QString, filter);
    QFETCH(QString, savedAs);
    QFETCH(RecordingReader::Format, format);
    DemoBusWindow demo;
    QVERIFY(demo.start());
    ScriptedMainWindow *window = demo.window();
    RawDataModel *raw = window->rawDataModel();
    QVERIFY(DemoBusWindow::waitFor([&] { return raw->rowCount() >= 30; }));
    // Paused, the view holds still while it is saved.
    QAction *rawEnable = demo.action("actionRawEnable");
    QVERIFY(rawEnable && rawEnable->isChecked());
    rawEnable->trigger();
    QVERIFY(!rawEnable->isChecked());
    QTest::qWait(100);
    const int rows = raw->rowCount();
    QVERIFY(rows >= 30);

    QTemporaryDir dir;
    window->fileAnswer = dir.filePath(name);
    window->filterAnswer = filter;
    demo.action("actionSaveLog")->trigger();
    const QString path = dir.filePath(savedAs);
    QTRY_COMPARE(window->statusBar()->currentMessage(),
                 QStringLiteral("%1 messages saved to %2").arg(rows).arg(path));
    QVERIFY2(window->errors.isEmpty(), qPrintable(window->errors.join(QLatin1Char('\n'))));

    RecordingReader reader;
    QVERIFY2(reader.readFile(path), qPrintable(reader.errorString()));
    QCOMPARE(reader.format(), format);
    const QVector<TimedFrame> &frames = reader.frames();
    QCOMPARE(frames.size(), rows);
    // Oldest first: the view's last row is the file's first frame. Times keep their spacing.
    for (int i = 0; i < rows; ++i) {
        const RawDataModel::Row &row = raw->row(rows - 1 - i);
        const CanMessage &m = frames[i].message;
        QCOMPARE(m.id, row.id);
        QCOMPARE(m.extended, row.extended);
        QCOMPARE(int(m.length), int(row.length));
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(m.data), m.length),
                 QByteArray(reinterpret_cast<const char *>(row.data), row.length));
        QCOMPARE(frames[i].timeUs - frames[0].timeUs,
                 (row.timing - raw->row(rows - 1).timing) * 1000);
    }
}

QTEST_MAIN(tst_SaveLogWalkthrough)
#include "tst_savelogwalkthrough.moc"
