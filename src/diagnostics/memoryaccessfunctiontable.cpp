// The memory access function's table, files, parameters and backups; the exchange is in
// memoryaccessfunction.cpp.
#include "diagnostics/memoryaccessfunction.h"

#include "diagnostics/journalnotes.h"
#include "diagnostics/memoryaccessfile.h"
#include "diagnostics/memoryaccessframes.h"
#include "diagnostics/offboarddiagnosticdevice.h"
#include "model/targetparameter.h"
#include "model/zxstringparameter.h"
#include "util/savefile.h"

#include <QDateTime>
#include <QDir>
#include <QDomElement>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cmath>

// --- Table and files ----------------------------------------------------------------------

void MemoryAccessFunction::saveItemToXmlNodeImpl(QDomElement &element)
{
    J1939DeviceFunction::saveItemToXmlNodeImpl(element);
    // The table travels with the scheme, edits included, and comes back through the initcall.
    const QByteArray data = itemCount() > 0 ? fileData() : QByteArray();
    if (data.isEmpty())
        return;
    QDomDocument doc = element.ownerDocument();
    QDomElement call = doc.createElement(QStringLiteral("initcall"));
    call.setAttribute(QStringLiteral("name"), QStringLiteral("loadFromData"));
    call.appendChild(doc.createTextNode(QString::fromUtf8(data)));
    element.appendChild(call);
}

bool MemoryAccessFunction::loadFromData(const QByteArray &data)
{
    if (isActive()) {
        setErrorText(tr("Busy"));
        return false;
    }
    MemoryAccessTable table;
    QString error;
    if (!MemoryAccessFile::parse(data, &table, &error)) {
        setErrorText(error);
        return false;
    }
    {
        // Exchanges claim their state under the same lock: a table is never replaced under one.
        std::lock_guard locker(m_tableMutex);
        if (isActive()) {
            setErrorText(tr("Busy"));
            return false;
        }
        m_table = table;
    }
    m_firstRead.store(true);
    m_readDone.store(false);
    m_backupOk.store(true);
    m_writeWithoutRead.store(false);
    setErrorText(QString());
    emit tableReplaced();
    return true;
}

bool MemoryAccessFunction::loadFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        setErrorText(tr("Cannot open %1").arg(path));
        return false;
    }
    if (file.size() > MemoryAccessFile::MaxFileSize) {
        setErrorText(tr("File too large"));
        return false;
    }
    if (!loadFromData(file.readAll()))
        return false;
    m_filePath.store(QFileInfo(path).absoluteFilePath());
    setUpdateNeeded(); // the row names the file
    return true;
}

bool MemoryAccessFunction::saveFile(const QString &path)
{
    QString error;
    if (!SaveFile::write(path, fileData(), &error)) {
        setErrorText(tr("Cannot save %1: %2").arg(path, error));
        return false;
    }
    m_filePath.store(QFileInfo(path).absoluteFilePath());
    setUpdateNeeded(); // the row names the file
    return true;
}

QByteArray MemoryAccessFunction::fileData() const
{
    std::lock_guard locker(m_tableMutex);
    return MemoryAccessFile::write(m_table);
}

QString MemoryAccessFunction::filePath() const
{
    return m_filePath.load();
}

MemoryAccessTable MemoryAccessFunction::table() const
{
    std::lock_guard locker(m_tableMutex);
    MemoryAccessTable copy = m_table;
    // The values are written under the lock: the copy gets items of its own rather than a
    // buffer shared with the table, which the next write would otherwise have to detach.
    copy.items.detach();
    return copy;
}

int MemoryAccessFunction::itemCount() const
{
    std::lock_guard locker(m_tableMutex);
    return m_table.items.size();
}

bool MemoryAccessFunction::setItemValue(int index, double value)
{
    if (!std::isfinite(value))
        return false;
    std::lock_guard locker(m_tableMutex);
    if (isActive() || index < 0 || index >= m_table.items.size())
        return false;
    SpnItem &item = m_table.items[index];
    if (item.value == value)
        return true;
    item.value = value;
    item.modified = true;
    return true;
}

quint32 MemoryAccessFunction::spnAt(int index) const
{
    std::lock_guard locker(m_tableMutex);
    return index >= 0 && index < m_table.items.size() ? m_table.items.at(index).spn
                                                      : MemoryAccessFrames::NoPointer;
}

QString MemoryAccessFunction::textDataImpl() const
{
    QString text = tr("Unit %1").arg(hexAddressText(quint32(target()) & 0xFF));
    const QString file = QFileInfo(filePath()).fileName();
    if (!file.isEmpty())
        text += QStringLiteral(", ") + file;
    const QString result = errorText();
    if (!result.isEmpty())
        text += QStringLiteral(": ") + result;
    return text;
}

QString MemoryAccessFunction::errorText() const
{
    return static_cast<ZxStringParameter *>(parameters().at(Error))->value();
}

void MemoryAccessFunction::setErrorText(const QString &text)
{
    auto *p = static_cast<ZxStringParameter *>(parameters().at(Error));
    p->setValue(text);
    p->setValid(true);
    // Results often come without a frame (a time-out, the last answer taken): the device's row
    // must be marked too, or the tree never reaches this one.
    setUpdateNeeded();
}

int MemoryAccessFunction::target() const
{
    return static_cast<TargetParameter *>(parameters().at(Target))->value();
}

void MemoryAccessFunction::setTarget(int address)
{
    auto *p = static_cast<TargetParameter *>(parameters().at(Target));
    p->setValue(address);
    p->setValid(true);
    setUpdateNeeded();
}

bool MemoryAccessFunction::isOwnerSimulated() const
{
    const AbstractDisplayableItem *owner = parentItem();
    // The tool unit hears what is addressed to it in any state.
    return owner
           && (owner->state() == Send || qobject_cast<const OffBoardDiagnosticDevice *>(owner));
}

void MemoryAccessFunction::setBackupDirectory(const QString &directory)
{
    m_backupDirectory.store(directory);
}

QString MemoryAccessFunction::lastBackupPath() const
{
    return m_lastBackupPath.load();
}

bool MemoryAccessFunction::writeBackup(QString *errorText)
{
    const QString filePath = m_filePath.load();
    const QString backupDirectory = m_backupDirectory.load();
    const QFileInfo file(filePath);
    const QString directory
        = !backupDirectory.isEmpty() ? backupDirectory
          : !filePath.isEmpty()
              ? file.absolutePath()
              : QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    const QString base = filePath.isEmpty() ? QStringLiteral("memoryaccess") : file.fileName();
    const QString path = QDir(directory).filePath(
        QStringLiteral("%1.%2-%3.bak")
            .arg(base)
            .arg(m_target, 2, 16, QLatin1Char('0'))
            .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"))));
    QDir().mkpath(directory);
    if (!SaveFile::write(path, fileData(), errorText))
        return false;
    m_lastBackupPath.store(path);
    return true;
}

// --- Service journal ------------------------------------------------------------------------

namespace {

QString itemText(const MemoryAccessTable::SpnItem &item)
{
    return QStringLiteral("%1 (SPN 0x%2)")
        .arg(item.name.isEmpty() ? item.description : item.name)
        .arg(item.spn, 6, 16, QLatin1Char('0'));
}

// A text of the memory access in the words of the code, for the service journal.
TranslatableText words(const char *source, int n = -1)
{
    return TranslatableText::catalogue("MemoryAccessFunction", source, n);
}

} // namespace

void MemoryAccessFunction::noteRead()
{
    std::vector<TranslatableText> details;
    {
        std::lock_guard locker(m_tableMutex);
        for (int index : m_pass.items()) {
            const MemoryAccessTable::SpnItem &item = m_table.items.at(index);
            m_readValues.insert(index, item.value);
            details.push_back(TranslatableText::plain(
                QStringLiteral("%1 = %2").arg(itemText(item)).arg(item.value)));
        }
    }
    const QString backup = lastBackupPath();
    JournalNotes::note(
        ServiceJournal::MemoryRead, JournalNotes::unitLabelAt(dispatcher(), m_target),
        words(QT_TRANSLATE_N_NOOP("MemoryAccessFunction", "Memory access: %n value(s) read"),
              int(details.size())),
        ServiceJournal::Outcome::Done, details,
        backup.isEmpty() ? QStringList() : QStringList{backup});
}

void MemoryAccessFunction::noteWrite(bool ok, const QString &text)
{
    std::vector<TranslatableText> details;
    {
        std::lock_guard locker(m_tableMutex);
        for (int index : m_pass.written()) {
            const MemoryAccessTable::SpnItem &item = m_table.items.at(index);
            const auto before = m_readValues.constFind(index);
            details.push_back(
                words(QT_TRANSLATE_NOOP("MemoryAccessFunction", "%1: %2 → %3"))
                    .arg(itemText(item))
                    .arg(before == m_readValues.cend()
                             ? words(QT_TRANSLATE_NOOP("MemoryAccessFunction", "not read"))
                             : TranslatableText::plain(QString::number(*before)))
                    .arg(QString::number(item.value)));
            m_readValues.insert(index, item.value);
        }
    }
    const QString backup = lastBackupPath();
    JournalNotes::note(
        ServiceJournal::MemoryWrite, JournalNotes::unitLabelAt(dispatcher(), m_target),
        words(QT_TRANSLATE_NOOP("MemoryAccessFunction", "Memory access: %1")).arg(text),
        ok ? ServiceJournal::Outcome::Done : ServiceJournal::Outcome::Failed, details,
        backup.isEmpty() ? QStringList() : QStringList{backup});
}
