#include "devicetests/devicetestreport.h"

#include "diagnostics/journalnotes.h"

#include "descriptions/candevicefactory.h"
#include "devicetests/devicetest.h"
#include "diagnostics/canflashingfunctionv1.h"
#include "diagnostics/ecuidfunction.h"
#include "diagnostics/offboarddiagnosticdevice.h"
#include "diagnostics/softfunction.h"
#include "model/abstractdisplayableitem.h"
#include "model/devicedispatcher.h"
#include "model/zxparameter.h"
#include "model/zxstringparameter.h"
#include "util/savefile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegExp>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("DeviceTestReport", text);
}

QString isoTime(const QDateTime &time)
{
    return time.isValid() ? time.toString(Qt::ISODate) : QString();
}

QString runText(const DeviceTest *test)
{
    switch (test->runState()) {
    case DeviceTest::Complete:
        return tr("completed");
    case DeviceTest::Cancelled:
        return tr("cancelled");
    case DeviceTest::Running:
        return tr("running");
    case DeviceTest::NotStarted:
        break;
    }
    return tr("not started");
}

QString csvField(QString text)
{
    if (text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('"'))
        || text.contains(QLatin1Char('\n'))) {
        text.replace(QLatin1String("\""), QLatin1String("\"\""));
        return QLatin1Char('"') + text + QLatin1Char('"');
    }
    return text;
}

QString validText(const AbstractDisplayableItem *function, int index)
{
    const ZxParameter *p = function->parameters().value(index);
    return p && p->isValid() ? p->toString() : QString();
}

// The unit's identification as the tool last received it: from the unit's own identification
// functions, else from the flasher when the unit is its target. Empty when unknown.
QString identification(const AbstractDisplayableItem *device, bool software)
{
    for (AbstractDisplayableItem *child : device->children()) {
        QString text;
        if (!software && qobject_cast<EcuidFunction *>(child))
            text = validText(child, 0);
        else if (software && qobject_cast<SoftFunction *>(child))
            text = validText(child, 1);
        if (!text.isEmpty())
            return text;
    }
    CanDeviceFactory *factory = CanDeviceFactory::of(device->dispatcher());
    auto *unit = factory ? qobject_cast<OffBoardDiagnosticDevice *>(
                     factory->getDevice(QByteArrayLiteral("offboarddiagunit")))
                         : nullptr;
    CanFlashingFunctionV1 *flasher = unit ? unit->flasher() : nullptr;
    if (!flasher || device->address().kind != ItemAddress::J1939
        || flasher->target() != int(device->address().value))
        return QString();
    return flasher
        ->stringParameter(software ? CanFlashingFunctionV1::SoftId : CanFlashingFunctionV1::EcuId)
        ->value();
}

QStringList headerLines(const DeviceTest *test)
{
    const AbstractDisplayableItem *device = test->device();
    QStringList lines;
    lines << tr("Device: %1").arg(device ? device->name() : tr("(gone)"));
    if (device) {
        lines << tr("Key: %1").arg(QString::fromLatin1(device->key()));
        lines << tr("Address: %1").arg(device->userReadableAddress());
        const QString ecu = identification(device, false);
        const QString software = identification(device, true);
        lines << tr("ECU identification: %1").arg(ecu.isEmpty() ? tr("unknown") : ecu);
        lines
            << tr("Software identification: %1").arg(software.isEmpty() ? tr("unknown") : software);
    }
    lines << tr("Program version: %1").arg(QCoreApplication::applicationVersion());
    lines << tr("Started: %1").arg(isoTime(test->startTime()));
    lines << tr("Ended: %1").arg(isoTime(test->endTime()));
    lines << tr("Run: %1").arg(runText(test));
    for (const QString &missing : test->unresolved())
        lines << tr("Not found: %1").arg(missing);
    lines << DeviceTestReport::summary(test);
    return lines;
}

} // namespace

namespace {

TranslatableText words(const char *source)
{
    return TranslatableText::catalogue("DeviceTestReport", source);
}

TranslatableText resultWords(int stepResult)
{
    switch (stepResult) {
    case DeviceTest::Passed:
        return words(QT_TRANSLATE_NOOP("DeviceTestReport", "Passed"));
    case DeviceTest::Skipped:
        return words(QT_TRANSLATE_NOOP("DeviceTestReport", "Skipped"));
    case DeviceTest::Failed:
        return words(QT_TRANSLATE_NOOP("DeviceTestReport", "Failed"));
    default:
        break;
    }
    return words(QT_TRANSLATE_NOOP("DeviceTestReport", "Not run"));
}

} // namespace

QString DeviceTestReport::resultText(int stepResult)
{
    return resultWords(stepResult).toString();
}

QString DeviceTestReport::summary(const DeviceTest *test)
{
    return summaryWords(test).toString();
}

TranslatableText DeviceTestReport::summaryWords(const DeviceTest *test)
{
    int counts[4] = {0, 0, 0, 0};
    for (const DeviceTest::StepRecord &record : test->records())
        ++counts[record.result];
    return words(QT_TRANSLATE_NOOP("DeviceTestReport",
                                   "%1 passed, %2 skipped, %3 failed, %4 not run"))
        .arg(counts[DeviceTest::Passed])
        .arg(counts[DeviceTest::Skipped])
        .arg(counts[DeviceTest::Failed])
        .arg(counts[DeviceTest::NotRun]);
}

QByteArray DeviceTestReport::toCsv(const DeviceTest *test)
{
    QStringList lines;
    for (const QString &line : headerLines(test))
        lines << QStringLiteral("# ") + line;
    lines << QStringLiteral("Step,Name,Result,Finished,Message");
    const QList<TestAction *> steps = test->tests();
    for (int i = 0; i < steps.size(); ++i) {
        const DeviceTest::StepRecord &record = test->records().at(i);
        lines << QStringList{QString::number(i + 1), csvField(steps.at(i)->name()),
                             csvField(resultText(record.result)), isoTime(record.finished),
                             csvField(record.lastMessage)}
                     .join(QLatin1Char(','));
    }
    return (lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
}

namespace {

// "3. Boom up: Failed (2026-12-07T14:12:03) - no answer"
TranslatableText stepLine(const DeviceTest *test, int i)
{
    const DeviceTest::StepRecord &record = test->records().at(i);
    QString rest;
    if (record.finished.isValid())
        rest += QStringLiteral(" (%1)").arg(isoTime(record.finished));
    if (!record.lastMessage.isEmpty())
        rest += QStringLiteral(" - ") + record.lastMessage;
    return TranslatableText::joined({TranslatableText::plain(QStringLiteral("%1. ").arg(i + 1)),
                                     TranslatableText::name(test->tests().at(i)->name()),
                                     TranslatableText::plain(QStringLiteral(": ")),
                                     resultWords(record.result), TranslatableText::plain(rest)});
}

} // namespace

QByteArray DeviceTestReport::toText(const DeviceTest *test)
{
    QStringList lines = headerLines(test);
    lines << QString();
    for (int i = 0; i < test->tests().size(); ++i)
        lines << stepLine(test, i).toString();
    return (lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
}

QStringList DeviceTestReport::notPassedLines(const DeviceTest *test)
{
    QStringList lines;
    for (const TranslatableText &line : notPassedWords(test))
        lines << line.toString();
    return lines;
}

std::vector<TranslatableText> DeviceTestReport::notPassedWords(const DeviceTest *test)
{
    std::vector<TranslatableText> lines;
    for (int i = 0; i < test->tests().size(); ++i) {
        const int result = test->records().at(i).result;
        if (result == DeviceTest::Failed || result == DeviceTest::Skipped)
            lines.push_back(stepLine(test, i));
    }
    return lines;
}

QString DeviceTestReport::baseName(const DeviceTest *test)
{
    const AbstractDisplayableItem *device = test->device();
    QString key = device ? QString::fromLatin1(device->key()) : QString();
    key.replace(QRegExp(QStringLiteral("[^A-Za-z0-9_-]")), QStringLiteral("_"));
    if (key.isEmpty())
        key = QStringLiteral("device");
    const QDateTime start
        = test->startTime().isValid() ? test->startTime() : QDateTime::currentDateTime();
    return QStringLiteral("test-%1-%2")
        .arg(key, start.toString(QStringLiteral("yyyy-MM-ddThh-mm-ss")));
}

bool DeviceTestReport::save(const DeviceTest *test, const QString &directory, QStringList *paths,
                            QString *errorText)
{
    return saveAs(test, QDir(directory).filePath(baseName(test) + QStringLiteral(".csv")), paths,
                  errorText);
}

bool DeviceTestReport::saveAs(const DeviceTest *test, const QString &path, QStringList *paths,
                              QString *errorText)
{
    const QFileInfo info(path);
    const QString base
        = info.suffix().isEmpty() ? path : info.dir().filePath(info.completeBaseName());
    const QString csvPath = info.suffix().isEmpty() ? path + QStringLiteral(".csv") : path;
    const QString textPath = base + QStringLiteral(".txt");
    if (textPath == csvPath) {
        if (errorText)
            *errorText = tr("The report's CSV and text would both be %1").arg(csvPath);
        return false;
    }
    if (!SaveFile::write(csvPath, toCsv(test), errorText)
        || !SaveFile::write(textPath, toText(test), errorText))
        return false;
    if (paths)
        *paths = QStringList{csvPath, textPath};
    const AbstractDisplayableItem *device = test->device();
    JournalNotes::note(
        ServiceJournal::AcceptanceTest, device ? JournalNotes::unitLabel(device) : QString(),
        words(QT_TRANSLATE_NOOP("DeviceTestReport", "Acceptance test report saved: %1"))
            .arg(summaryWords(test)),
        ServiceJournal::Outcome::Done, {}, {csvPath, textPath});
    return true;
}
