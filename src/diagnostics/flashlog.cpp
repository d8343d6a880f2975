#include "diagnostics/flashlog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStringList>

namespace FlashLog {

namespace {

QString quoted(QString text)
{
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    text.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

QString tr(const char *text)
{
    return QCoreApplication::translate("FlashLog", text);
}

} // namespace

QByteArray header()
{
    return QByteArrayLiteral("start,end,target,ecuid,soft,file,size,sha256,outcome,result,"
                             "blocks,blocks acknowledged,retransmissions\n");
}

QByteArray line(const Record &r)
{
    const QStringList fields{
        r.start.toString(Qt::ISODate),
        r.end.toString(Qt::ISODate),
        QStringLiteral("0x%1").arg(r.target, 2, 16, QLatin1Char('0')),
        quoted(r.ecuid),
        quoted(r.soft),
        quoted(r.file),
        QString::number(r.size),
        QString::fromLatin1(r.sha256),
        r.outcome,
        quoted(r.result),
        QString::number(r.blocks),
        QString::number(r.blocksAcknowledged),
        QString::number(r.retransmissions),
    };
    return fields.join(QLatin1Char(',')).toUtf8() + '\n';
}

bool append(const QString &directory, const Record &record, QString *error)
{
    const QString path = QDir(directory).filePath(QString::fromLatin1(FileName));
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Append | QIODevice::Unbuffered)) {
        *error = tr("Cannot open %1: %2").arg(path, file.errorString());
        return false;
    }
    QByteArray out;
    if (file.size() == 0) {
        out = header();
    } else if (file.seek(file.size() - 1)) {
        char last = '\n';
        if (file.getChar(&last) && last != '\n')
            out = "\n";
    }
    out += line(record);
    // One unbuffered write: a full disk is reported here, not lost in a buffer.
    if (file.write(out) != out.size()) {
        *error = tr("Cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

} // namespace FlashLog
