#include "model/editors/errorcodeseditor.h"
#include "model/rawdataparameter.h"
#include "model/editors/targeteditor.h"
#include "model/targetparameter.h"
#include "model/zx3bitiostateparameter.h"
#include "model/zxboolparameter.h"
#include "model/zxerrorcodesparameter.h"
#include "model/zxfloatparameter.h"
#include "model/zxinputstateparameter.h"
#include "model/zxintparameter.h"
#include "model/zxlistparameter.h"
#include "model/zxstringparameter.h"
#include "model/zxvariantparameter.h"
#include "model/editors/zxvariantwidget.h"
#include "support/testenvironment.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QtTest>

#include <cmath>
#include <functional>
#include <limits>
#include <memory>

using ParameterMaker = std::function<ZxParameter *()>;
Q_DECLARE_METATYPE(ParameterMaker)
using Make = ParameterMaker;

class tst_Parameters : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestEnvironment::init(); }
    void text_data();
    void text();
    void variantText_data();
    void variantText();
    void roundTrip_data();
    void roundTrip();
    void numberAsVariant_data();
    void numberAsVariant();
    void truncatedStreamFails();
    void wrongEditorRefused_data();
    void wrongEditorRefused();
    void editorRoundTrip();
    void editorShowsNotAvailable_data();
    void editorShowsNotAvailable();
    void editorToolTip();
    void fixedLists();
    void errorCodeTexts();
    void bytesToHexText();
};

void tst_Parameters::text_data()
{
    QTest::addColumn<ParameterMaker>("make");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("type");
    // The parameter as before its first frame.
    auto unavailable = [](ZxParameter *p) {
        p->setValid(false);
        return p;
    };
    QTest::newRow("int") << Make([] { return new ZxIntParameter(-42); }) << "-42" << 1;
    QTest::newRow("int not available")
        << Make([=] { return unavailable(new ZxIntParameter(5)); }) << "n/a" << 1;
    QTest::newRow("float") << Make([] { return new ZxFloatParameter(12.5f); }) << "12.5" << 2;
    QTest::newRow("float not available")
        << Make([=] { return unavailable(new ZxFloatParameter(1)); }) << "n/a" << 2;
    QTest::newRow("bool true") << Make([] { return new ZxBoolParameter(true); }) << "1" << 4;
    QTest::newRow("bool false") << Make([] { return new ZxBoolParameter(false); }) << "0" << 4;
    QTest::newRow("bool not available")
        << Make([=] { return unavailable(new ZxBoolParameter(true)); }) << "n/a" << 4;
    QTest::newRow("list not available")
        << Make([=] { return unavailable(new ZxListParameter({"a", "b"})); }) << "n/a" << 3;
    QTest::newRow("string") << Make([] { return new ZxStringParameter("abc d"); }) << "abc d" << 10;
    QTest::newRow("list prints the index") << Make([] {
        auto *p = new ZxListParameter({"a", "b", "c"});
        p->setValue(2);
        return p;
    }) << "2" << 3;
    QTest::newRow("error codes up to the first FF") << Make([] {auto *p = new ZxErrorCodesParameter;
        const unsigned char codes[6] = {0x01, 0x0A, 0xFF, 0x05, 0x06, 0x07};
        p->setCodes(codes);
        return p;
    }) << "0x01 0x0a" << 11;
    QTest::newRow("error codes none") << Make([] { return new ZxErrorCodesParameter; }) << "" << 11;
    QTest::newRow("target in hex")
        << Make([] { return new TargetParameter(0x1A2B); }) << "1a2b" << 1;
    QTest::newRow("raw data") << Make([] {auto *p = new RawDataParameter;
        const unsigned char bytes[] = {0x01, 0xA2, 0xFF};
        p->setBytes(bytes, 3);
        return p;
    }) << "01 a2 ff" << 0;
}

void tst_Parameters::text()
{
    QFETCH(ParameterMaker, make);
    QFETCH(QString, text);
    QFETCH(int, type);
    std::unique_ptr<ZxParameter> p(make());
    QCOMPARE(p->toString(), text);
    QCOMPARE(int(p->type()), type);
}

void tst_Parameters::variantText_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("S-5") << 2 << -5.0 << "S-5";
    QTest::newRow("C200") << 1 << 200.0 << "C200";
    QTest::newRow("C wraps to a byte") << 1 << 300.0 << "C44";
    QTest::newRow("L-70000") << 3 << -70000.0 << "L-70000";
    QTest::newRow("F1.5") << 4 << 1.5 << "F1.5";
    QTest::newRow("F small uses exponent") << 4 << 1e-7 << "F1e-07";
    QTest::newRow("F six digits") << 4 << 3.14159265 << "F3.14159";
    QTest::newRow("unknown type 9") << 9 << 1.0 << "U";
}

void tst_Parameters::variantText()
{
    QFETCH(int, type);
    QFETCH(double, value);
    QFETCH(QString, text);
    const ZxVariant v = type == ZxVariant::Float ? ZxVariant::fromFloat(float(value))
                                                 : ZxVariant::fromInt(type, int(value));
    QCOMPARE(v.toString(), text);
}

void tst_Parameters::roundTrip_data()
{
    QTest::addColumn<ParameterMaker>("make");
    QTest::addColumn<ParameterMaker>("fresh");
    QTest::newRow("int") << Make([] { return new ZxIntParameter(-123456); })
                         << Make([] { return new ZxIntParameter; });
    QTest::newRow("float") << Make([] { return new ZxFloatParameter(-0.375f); })
                           << Make([] { return new ZxFloatParameter; });
    QTest::newRow("bool true") << Make([] { return new ZxBoolParameter(true); })
                               << Make([] { return new ZxBoolParameter(false); });
    QTest::newRow("bool false") << Make([] { return new ZxBoolParameter(false); })
                                << Make([] { return new ZxBoolParameter(true); });
    QTest::newRow("string") << Make([] { return new ZxStringParameter("Зона 1"); })
                            << Make([] { return new ZxStringParameter; });
    QTest::newRow("list") << Make([] {auto *p = new ZxListParameter({"a", "b"});
        p->setValue(1);
        return p;
    }) << Make([] {
        return new ZxListParameter({"a", "b"});
    });
    QTest::newRow("variant") << Make([] {auto *p = new ZxVariantParameter;
        p->setValue(ZxVariant::fromFloat(2.5f));
        return p;
    }) << Make([] { return new ZxVariantParameter; });
    QTest::newRow("error codes") << Make([] {auto *p = new ZxErrorCodesParameter;
        const unsigned char codes[6] = {1, 2, 3, 0xFF, 0xFF, 0xFF};
        p->setCodes(codes);
        return p;
    }) << Make([] { return new ZxErrorCodesParameter; });
    QTest::newRow("target") << Make([] { return new TargetParameter(0xABCD); })
                            << Make([] { return new TargetParameter; });
}

void tst_Parameters::roundTrip()
{
    QFETCH(ParameterMaker, make);
    QFETCH(ParameterMaker, fresh);
    std::unique_ptr<ZxParameter> original(make());
    std::unique_ptr<ZxParameter> restored(fresh());
    QByteArray bytes;
    {
        QDataStream out(&bytes, QIODevice::WriteOnly);
        QVERIFY(original->save(out));
    }
    QDataStream in(bytes);
    QVERIFY(restored->restore(in));
    QCOMPARE(restored->toString(), original->toString());
    QVERIFY(in.atEnd());
    // Scheme files keep variantValue().toString() and give it back to setVariantValue (variants
    // keep their tagged text, error codes nothing).
    if (original->type() == ZxParameter::Variant || original->type() == ZxParameter::ErrorCodes)
        return;
    std::unique_ptr<ZxParameter> fromText(fresh());
    QVERIFY(fromText->setVariantValue(QVariant(original->variantValue().toString())));
    QCOMPARE(fromText->toString(), original->toString());
}

void tst_Parameters::numberAsVariant_data()
{
    QTest::addColumn<ParameterMaker>("make");
    QTest::addColumn<bool>("takesNan");
    QTest::newRow("int") << Make([] { return new ZxIntParameter; }) << false;
    QTest::newRow("float") << Make([] { return new ZxFloatParameter; }) << true;
    QTest::newRow("bool") << Make([] { return new ZxBoolParameter; }) << true;
    QTest::newRow("list") << Make([] { return new ZxListParameter({"a", "b"}); }) << false;
    QTest::newRow("input state") << Make([] { return new ZxInputStateParameter; }) << false;
    QTest::newRow("target") << Make([] { return new TargetParameter; }) << false;
    QTest::newRow("string") << Make([] { return new ZxStringParameter; }) << true;
}

void tst_Parameters::numberAsVariant()
{
    // Decoding hands values over as numbers; the result must be the variant's, rounding and
    // all.
    QFETCH(ParameterMaker, make);
    QFETCH(bool, takesNan);
    QVector<double> values{0,      0.5,        -0.5,     1.5,         -2.5,       2.4999999,
                           1e-7,   12345.678,  -1000000.5, 214748364.75, 3.0e9 * 0.05, 255};
    if (takesNan) {
        // What a fuzzed description may make of a field: beyond any integer.
        values << std::numeric_limits<double>::quiet_NaN()
               << std::numeric_limits<double>::infinity()
               << -std::numeric_limits<double>::infinity() << 1e300;
    }
    for (const double value : qAsConst(values)) {
        std::unique_ptr<ZxParameter> byNumber(make());
        std::unique_ptr<ZxParameter> byVariant(make());
        byNumber->setValid(false);
        byVariant->setValid(false);
        QCOMPARE(byNumber->setNumber(value), byVariant->setVariantValue(value));
        QCOMPARE(byNumber->toString(), byVariant->toString());
        QCOMPARE(byNumber->isValid(), byVariant->isValid());
        double number = 0;
        bool ok = false;
        const double expected = byVariant->variantValue().toDouble(&ok);
        QCOMPARE(byNumber->toNumber(&number), ok);
        QVERIFY2(number == expected || (std::isnan(number) && std::isnan(expected)),
                 qPrintable(QString::number(value)));
        // The parameter log's short way to a number's text gives toString()'s text.
        QByteArray text("x");
        if (byNumber->appendNumberText(&text))
            QCOMPARE(text, "x" + byNumber->toString().toLatin1());
        else
            QCOMPARE(text, QByteArray("x"));
    }
}

void tst_Parameters::truncatedStreamFails()
{
    ZxIntParameter p(77);
    QByteArray two("\x00\x01", 2);
    QDataStream in(two);
    QVERIFY(!p.restore(in));
    QCOMPARE(p.value(), 77);
    ZxErrorCodesParameter codes;
    QDataStream shortIn(QByteArray("\x01\x02\x03", 3));
    QVERIFY(!codes.restore(shortIn));
    QCOMPARE(codes.toString(), QString());
    RawDataParameter raw; // no stream form
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    QVERIFY(!raw.save(out));
    QVERIFY(bytes.isEmpty());
}

void tst_Parameters::wrongEditorRefused_data()
{
    QTest::addColumn<ParameterMaker>("make");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("from");
    QTest::newRow("int") << Make([] { return new ZxIntParameter(3); })
                         << "Can't update ZxIntParameter to other than QSpinBox"
                         << "Can't update ZxIntParameter from other than QSpinBox";
    QTest::newRow("float") << Make([] { return new ZxFloatParameter(3); })
                           << "Can't update ZxFloatParameter to other than QDoubleSpinBox"
                           << "Can't update ZxFloatParameter from other than QDoubleSpinBox";
    QTest::newRow("bool") << Make([] { return new ZxBoolParameter(true); })
                          << "Can't update ZxBoolParameter to other than QCheckBox"
                          << "Can't update ZxBoolParameter from other than QCheckBox";
    QTest::newRow("list") << Make([] {auto *p = new ZxListParameter({"a", "b"});
        p->setValue(1);
        return p;
    }) << "Can't update ZxListParameter to other than QComboBox"
                          << "Can't update ZxListParameter from other than QComboBox";
    QTest::newRow("target") << ParameterMaker([] { return new TargetParameter(0x21); })
                            << "Can't update TargetParameter to other than TargetEditor"
                            << "Can't update TargetParameter from other than TargetEditor";
}

void tst_Parameters::wrongEditorRefused()
{
    QFETCH(ParameterMaker, make);
    QFETCH(QString, to);
    QFETCH(QString, from);
    std::unique_ptr<ZxParameter> p(make());
    const QString before = p->toString();
    QWidget wrong;
    QTest::ignoreMessage(QtDebugMsg, qPrintable(to));
    p->updateWidgetValue(&wrong);
    QTest::ignoreMessage(QtDebugMsg, qPrintable(from));
    p->updateFromWidget(&wrong);
    QCOMPARE(p->toString(), before);
}

void tst_Parameters::editorShowsNotAvailable_data()
{
    QTest::addColumn<ParameterMaker>("make");
    QTest::addColumn<QString>("validText");
    QTest::newRow("int") << Make([] { return new ZxIntParameter(7); }) << "7 rpm";
    QTest::newRow("float") << Make([] {auto *p = new ZxFloatParameter(2.5f);
        p->setDecimals(1);
        return p;
    }) << "2.5 rpm";
}

// A value the bus marks as not available reads "n/a" in its editor, not a believable 0.
void tst_Parameters::editorShowsNotAvailable()
{
    QFETCH(ParameterMaker, make);
    QFETCH(QString, validText);
    std::unique_ptr<ZxParameter> p(make());
    p->setSuffix(QStringLiteral(" rpm"));
    p->setValid(false);
    std::unique_ptr<QWidget> editor(p->createWidget(nullptr));
    auto *box = qobject_cast<QAbstractSpinBox *>(editor.get());
    QVERIFY(box);
    QCOMPARE(box->text(), QStringLiteral("n/a rpm"));
    QCOMPARE(p->toString(), QStringLiteral("n/a"));
    // Leaving the editor keeps "n/a" and the parameter unchanged.
    box->interpretText();
    QCOMPARE(box->text(), QStringLiteral("n/a rpm"));

    p->setVariantValue(p->type() == ZxParameter::Int ? QVariant(7) : QVariant(2.5));
    p->updateWidgetValue(box);
    QCOMPARE(box->text(), validText);
    p->setValid(false);
    p->updateWidgetValue(box);
    QCOMPARE(box->text(), QStringLiteral("n/a rpm"));

    // A value the user steps to is theirs, not reset to 0.
    box->stepBy(3);
    QVERIFY(box->text() != QStringLiteral("n/a rpm"));
    p->updateFromWidget(box);
    QVERIFY(p->isValid());
    QCOMPARE(p->variantValue().toDouble(), 3.0);
}

void tst_Parameters::editorRoundTrip()
{
    ZxIntParameter i(5);
    std::unique_ptr<QWidget> spin(i.createWidget(nullptr));
    qobject_cast<QSpinBox *>(spin.get())->setValue(-9);
    i.updateFromWidget(spin.get());
    QCOMPARE(i.value(), -9);

    ZxBoolParameter b;
    b.setValid(false);
    const char *signal = nullptr;
    bool ok = false;
    std::unique_ptr<QWidget> check(b.createWidget(&ok, &signal));
    QVERIFY(ok);
    QCOMPARE(QByteArray(signal), QByteArray(SIGNAL(toggled(bool))));
    QCOMPARE(b.toString(), QStringLiteral("n/a"));
    // Not available reads as partly checked, neither true nor false.
    auto *tick = qobject_cast<QCheckBox *>(check.get());
    QCOMPARE(tick->checkState(), Qt::PartiallyChecked);
    b.updateFromWidget(check.get());
    QVERIFY(!b.isValid());
    check->show();
    QVERIFY(QTest::qWaitForWindowExposed(check.get()));
    // The tick is a change the editor announces, though partly checked counted as checked.
    QSignalSpy toggled(tick, &QCheckBox::toggled);
    QTest::mouseClick(tick, Qt::LeftButton, {}, QPoint(4, tick->height() / 2));
    QCOMPARE(tick->checkState(), Qt::Checked);
    QCOMPARE(toggled.count(), 1);
    b.updateFromWidget(check.get());
    QCOMPARE(b.toString(), QStringLiteral("1")); // the user's tick makes it valid
    QTest::mouseClick(tick, Qt::LeftButton, {}, QPoint(4, tick->height() / 2));
    QCOMPARE(tick->checkState(), Qt::Unchecked);
    b.setValid(false);
    b.updateWidgetValue(tick);
    QCOMPARE(tick->checkState(), Qt::PartiallyChecked);
    b.setVariantValue(true);
    b.updateWidgetValue(tick);
    QCOMPARE(tick->checkState(), Qt::Checked);

    ZxListParameter l({"x", "y", "z"});
    std::unique_ptr<QWidget> combo(l.createWidget(&ok, &signal));
    auto *box = qobject_cast<QComboBox *>(combo.get());
    QCOMPARE(box->count(), 3);
    box->setCurrentIndex(2);
    l.updateFromWidget(box);
    QCOMPARE(l.value(), 2);
    QCOMPARE(l.currentText(), QStringLiteral("z"));

    ZxFloatParameter f;
    f.setDecimals(1);
    f.setSuffix(QStringLiteral(" rpm"));
    std::unique_ptr<QWidget> dspin(f.createWidget(nullptr));
    auto *dbox = qobject_cast<QDoubleSpinBox *>(dspin.get());
    QCOMPARE(dbox->decimals(), 1);
    QCOMPARE(dbox->suffix(), QStringLiteral(" rpm"));

    ZxVariantParameter v;
    v.setValue(ZxVariant::fromInt(ZxVariant::Int16, -300));
    std::unique_ptr<QWidget> vw(v.createWidget(nullptr));
    v.setValue(ZxVariant());
    v.updateFromWidget(vw.get());
    QCOMPARE(v.toString(), QStringLiteral("S-300"));

    ZxErrorCodesParameter e;
    const unsigned char codes[6] = {0x12, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    e.setCodes(codes);
    std::unique_ptr<QWidget> ew(e.createWidget(nullptr));
    const unsigned char none[6] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    e.setCodes(none);
    e.updateFromWidget(ew.get());
    QCOMPARE(e.toString(), QStringLiteral("0x12"));

    TargetParameter t(0x3F);
    std::unique_ptr<QWidget> tw(t.createWidget(nullptr));
    qobject_cast<TargetEditor *>(tw.get())->setTarget(0xBEEF);
    t.updateFromWidget(tw.get());
    QCOMPARE(t.toString(), QStringLiteral("beef"));
}

void tst_Parameters::editorToolTip()
{
    ZxIntParameter p;
    p.setName(QStringLiteral("Speed"));
    std::unique_ptr<QWidget> a(p.createWidget(nullptr));
    QCOMPARE(a->toolTip(), QStringLiteral("Speed"));
    p.setDescription(QStringLiteral("Engine speed, SPN 190"));
    std::unique_ptr<QWidget> b(p.createWidget(nullptr));
    QCOMPARE(b->toolTip(), QStringLiteral("Engine speed, SPN 190"));
}

void tst_Parameters::fixedLists()
{
    Zx3BitIOStateParameter out;
    QCOMPARE(out.items().size(), 8);
    QCOMPARE(out.items().first(), QStringLiteral("000 - Off, Ok"));
    QCOMPARE(out.items().last(), QStringLiteral("111 - On, valve locked"));
    ZxInputStateParameter in;
    QCOMPARE(in.items(), (QStringList{"00 - Z", "01 - +V", "10 - GND"}));
    QCOMPARE(in.minimumContentsLength(), 2);
    // The translated lists are built once and shared.
    QCOMPARE(&Zx3BitIOStateParameter::stateTexts(), &Zx3BitIOStateParameter::stateTexts());
}

void tst_Parameters::errorCodeTexts()
{
    const auto &table = ZxErrorCodesParameter::texts();
    QCOMPARE(table.size(), 20);
    QCOMPARE(table.first().first, 0x00);
    QCOMPARE(table.at(13).first, 0x0D);
    QCOMPARE(table.at(14).first, 0xFA);
    QCOMPARE(table.last().first, 0xFF);
    // Without a catalogue the key itself shows.
    QCOMPARE(table.at(10).second, QStringLiteral("ERROR_0A_PH"));
}

void tst_Parameters::bytesToHexText()
{
    const unsigned char data[] = {0x00, 0x0F, 0xF0, 0xFF};
    QCOMPARE(bytesToHex(data, 4), QStringLiteral("00 0f f0 ff"));
    QCOMPARE(bytesToHex(QByteArray()), QString());
    QCOMPARE(bytesToHex(QByteArray("\x7f", 1)), QStringLiteral("7f"));
}

QTEST_MAIN(tst_Parameters)
#include "tst_parameters.moc"
