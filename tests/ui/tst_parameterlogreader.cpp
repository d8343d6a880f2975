#include "support/testenvironment.h"
#include "ui/editors/plottable.h"
#include "ui/parameterlogreader.h"

#include <QtTest>

// Parameter log files read back into a plot table: columns, units, gaps and bad lines.
class tst_ParameterLogReader : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestEnvironment::init(); }
    void readsParameterLogs_data();
    void readsParameterLogs();
};

void tst_ParameterLogReader::readsParameterLogs_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("columns");
    QTest::addColumn<QString>("values"); // rows of the table, gaps as "-"
    QTest::addColumn<int>("badLines");
    QTest::addColumn<int>("problems");

    QTest::newRow("as the parameter log writes it")
        << QByteArray("Time,a_x,b_y\n0.000,1.5,2\n1.000,2.5,3\n") << QStringList{"a_x", "b_y"}
        << "0:1.5,2;1:2.5,3" << 0 << 0;
    QTest::newRow("empty values are gaps") << QByteArray("Time,a,b\n0.000,,2\n0.500,1,\n")
                                           << QStringList{"a", "b"} << "0:-,2;0.5:1,-" << 0 << 0;
    QTest::newRow("quoted fields with separators, quotes and line breaks")
        << QByteArray("Time,\"x,1\",\"say \"\"hi\"\"\",\"two\nlines\"\n0,1,2,3\n\"1\",\"4\",5,6\n")
        << QStringList{"x,1", "say \"hi\"", "two\nlines"} << "0:1,2,3;1:4,5,6" << 0 << 0;
    QTest::newRow("windows line ends and a blank line")
        << QByteArray("Time,a\r\n0,1\r\n\r\n1,2\r\n") << QStringList{"a"} << "0:1;1:2" << 0 << 0;
    QTest::newRow("short, long and timeless lines left out and reported")
        << QByteArray("Time,a,b\n0,1,2\n1,1\n2,1,2,3\nnoon,1,2\n3,4,5\n") << QStringList{"a", "b"}
        << "0:1,2;3:4,5" << 3 << 3;
    QTest::newRow("text values are gaps; a column of text only is left out")
        << QByteArray("Time,a,state\n0,1,On\n1,x,Off\n") << QStringList{"a"} << "0:1;1:-" << 0 << 1;
    QTest::newRow("a column never available stays, without a problem")
        << QByteArray("Time,a,b\n0,1,\n1,2,\n") << QStringList{"a", "b"} << "0:1,-;1:2,-" << 0 << 0;
    QTest::newRow("no data rows keeps the columns")
        << QByteArray("Time,a\n") << QStringList{"a"} << "" << 0 << 0;
    QTest::newRow("unclosed quote ends the file")
        << QByteArray("Time,a\n0,1\n1,\"2\n") << QStringList{"a"} << "0:1;1:2" << 0 << 0;
}

void tst_ParameterLogReader::readsParameterLogs()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, columns);
    QFETCH(QString, values);
    QFETCH(int, badLines);
    QFETCH(int, problems);
    PlotTable table;
    ParameterLogReader reader;
    QVERIFY2(reader.read(content, &table), qPrintable(reader.errorString()));
    QStringList ids;
    for (const PlotTable::Column &c : table.columns())
        ids << c.id;
    QCOMPARE(ids, columns);
    QStringList rows;
    for (size_t r = 0; r < table.rowCount(); ++r) {
        QStringList fields;
        for (int c = 0; c < table.columnCount(); ++c) {
            const double v = table.value(c, r);
            fields << (PlotTable::isGap(v) ? QStringLiteral("-") : QString::number(v));
        }
        rows << QString::number(table.time(r)) + QLatin1Char(':') + fields.join(QLatin1Char(','));
    }
    QCOMPARE(rows.join(QLatin1Char(';')), values);
    QCOMPARE(reader.badLines(), badLines);
    QCOMPARE(reader.problems().size(), problems);

    // What cannot be a parameter log is refused as a whole.
    for (const QByteArray &bad : {QByteArray(), QByteArray("a,b\n1,2\n"), QByteArray("Time\n1\n"),
                                  QByteArray("\x89PNG\r\n\x1a\n\0\0", 10)}) {
        PlotTable other;
        QVERIFY(!reader.read(bad, &other));
        QVERIFY(!reader.errorString().isEmpty());
    }
}

QTEST_MAIN(tst_ParameterLogReader)
#include "tst_parameterlogreader.moc"
