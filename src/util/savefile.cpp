#include "util/savefile.h"

#include <QCoreApplication>
#include <QSaveFile>

namespace SaveFile {

bool write(const QString &path, const QByteArray &content, QString *errorText)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        if (errorText)
            *errorText = file.errorString();
        return false;
    }
    qint64 done = 0;
    while (done < content.size()) {
        const qint64 n = file.write(content.constData() + done, content.size() - done);
        if (n <= 0)
            break;
        done += n;
    }
    if (done != content.size()) {
        if (errorText) {
            *errorText = file.error() != QFileDevice::NoError
                             ? file.errorString()
                             : QCoreApplication::translate("SaveFile",
                                                           "Only %1 of %2 bytes could be written")
                                   .arg(done)
                                   .arg(content.size());
        }
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        if (errorText)
            *errorText = file.errorString();
        return false;
    }
    return true;
}

} // namespace SaveFile
