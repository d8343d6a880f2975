#include "can/binarywindow.h"

#include <QIODevice>

#include <algorithm>

BinaryWindow::BinaryWindow(QIODevice *device)
    : m_device(device)
    , m_size(device->size())
{}

const uchar *BinaryWindow::at(qint64 offset, qint64 count)
{
    m_deviceError = false;
    if (offset < 0 || count < 0 || offset > m_size || count > m_size - offset)
        return nullptr;
    const qint64 end = m_start + m_buffer.size();
    if (offset >= m_start && offset + count <= end)
        return reinterpret_cast<const uchar *>(m_buffer.constData() + (offset - m_start));
    const qint64 wanted = std::min(std::max(count, WindowBytes), m_size - offset);
    m_buffer.resize(int(wanted));
    m_start = offset;
    qint64 got = 0;
    if (m_device->seek(offset)) {
        while (got < wanted) {
            const qint64 n = m_device->read(m_buffer.data() + got, wanted - got);
            if (n <= 0)
                break;
            got += n;
        }
    }
    m_buffer.resize(int(got));
    if (got < count) {
        m_deviceError = true;
        return nullptr;
    }
    return reinterpret_cast<const uchar *>(m_buffer.constData());
}
