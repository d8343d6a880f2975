#pragma once

#include "cli/clicommand.h"

#include <QString>
#include <QStringList>
#include <QTextStream>

// Runs the console program's dispatcher in the test process and keeps what it printed.
struct CliRun
{
    int code = -1;
    QString out;
    QString err;

    static CliRun run(const QStringList &arguments)
    {
        CliRun r;
        QTextStream out(&r.out);
        QTextStream err(&r.err);
        r.code = CliCommand::run(QStringList{QStringLiteral("tarvik-cli")} + arguments, out, err);
        out.flush();
        err.flush();
        return r;
    }
};
