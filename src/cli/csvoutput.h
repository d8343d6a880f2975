#pragma once

#include <QByteArray>
#include <QSaveFile>
#include <QString>
#include <QTextStream>

// Where a command's table goes: a file written atomically (the old one stays unless every byte
// of the new one was written), or standard output. Writes are gathered into large blocks.
class CsvOutput
{
public:
    explicit CsvOutput(QTextStream &standardOutput);

    // An empty path or "-" is standard output.
    bool open(const QString &path);
    void write(const QByteArray &bytes);
    // Writes what is gathered and, for a file, replaces the old one; false on any write error.
    bool finish();
    QString errorString() const;

private:
    bool flushBlock();

    QTextStream &m_stdout;
    QSaveFile m_file;
    bool m_toFile = false;
    bool m_failed = false;
    QByteArray m_block;
};
