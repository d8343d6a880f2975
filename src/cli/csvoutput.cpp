#include "cli/csvoutput.h"

namespace {
constexpr int BlockSize = 1 << 20;
}

CsvOutput::CsvOutput(QTextStream &standardOutput)
    : m_stdout(standardOutput)
{
    m_block.reserve(BlockSize + 4096);
}

bool CsvOutput::open(const QString &path)
{
    m_toFile = !path.isEmpty() && path != QLatin1String("-");
    if (!m_toFile)
        return true;
    m_file.setFileName(path);
    // Unbuffered, so a short write (a full disk) shows at the write that failed and the old
    // file is kept.
    return m_file.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

void CsvOutput::write(const QByteArray &bytes)
{
    m_block += bytes;
    if (m_block.size() >= BlockSize)
        flushBlock();
}

bool CsvOutput::flushBlock()
{
    if (m_block.isEmpty() || m_failed)
        return !m_failed;
    if (m_toFile) {
        if (m_file.write(m_block) != m_block.size())
            m_failed = true;
    } else {
        // The table is Latin-1, as the window's parameter log writes it; the terminal gets the
        // same characters in its own encoding.
        m_stdout << QString::fromLatin1(m_block);
        m_stdout.flush();
        if (m_stdout.status() != QTextStream::Ok)
            m_failed = true;
    }
    m_block.clear();
    return !m_failed;
}

bool CsvOutput::finish()
{
    const bool ok = flushBlock();
    if (!m_toFile)
        return ok;
    if (!ok) {
        m_file.cancelWriting();
        m_file.commit();
        return false;
    }
    return m_file.commit();
}

QString CsvOutput::errorString() const
{
    return m_toFile ? m_file.errorString() : QStringLiteral("standard output");
}
