#pragma once

#include "support/testenvironment.h"

#include <QTemporaryDir>

// A temporary folder that holds the files a test writes for its commands to read.
class TestFolder : public QTemporaryDir
{
public:
    // The path of `name` written with `content`, or empty when it cannot be written.
    QString write(const QString &name, const QByteArray &content) const
    {
        return TestEnvironment::writeFile(*this, name, content);
    }
};
