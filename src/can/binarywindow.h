#pragma once

#include <QByteArray>
#include <QtGlobal>

class QIODevice;

// Random access to a binary recording through a window of the file: small structures cost no
// device call each, and no more than the window and the largest structure asked for is held.
class BinaryWindow
{
public:
    static constexpr qint64 WindowBytes = 1 << 20;

    explicit BinaryWindow(QIODevice *device);

    qint64 size() const { return m_size; }
    // `count` bytes at `offset`, valid until the next call; nullptr when the file ends before
    // them or the device fails. Callers cap `count` by what a structure may sensibly hold.
    const uchar *at(qint64 offset, qint64 count);
    // True when the device failed (rather than the file ending) in the last at().
    bool hasDeviceError() const { return m_deviceError; }

private:
    QIODevice *m_device;
    qint64 m_size;
    QByteArray m_buffer;
    qint64 m_start = 0;
    bool m_deviceError = false;
};
