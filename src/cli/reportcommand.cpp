#include "cli/reportcommand.h"

#include "cli/clicommand.h"
#include "job/jobreport.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

int runReportCommand(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    const QString command = QStringLiteral("report");
    QCommandLineParser parser;
    parser.setApplicationDescription(Cli::tr(
        "Writes the report of a service job folder: the job's header, the inventory as found "
        "and as left with the differences marked, the trouble codes, fault snapshots, every "
        "change made, acceptance tests, bus health and the raw recording's files. Without -o "
        "it writes JOBDIR/report.html and JOBDIR/report.pdf; with -o the file named, HTML or "
        "PDF by its extension."));
    parser.addPositionalArgument(QStringLiteral("JOBDIR"), Cli::tr("The service job folder"));
    const QCommandLineOption output({QStringLiteral("o"), QStringLiteral("output")},
                                    Cli::tr("The file to write (.html or .pdf)"), Cli::tr("FILE"));
    const QCommandLineOption page(QStringLiteral("page"),
                                  Cli::tr("The PDF's page size: a4 (the default) or letter"),
                                  Cli::tr("SIZE"), QStringLiteral("a4"));
    parser.addOptions({output, page});
    int exitCode = 0;
    if (!CliCommand::parse(parser, command, arguments, out, err, &exitCode))
        return exitCode;
    if (parser.positionalArguments().size() != 1)
        return CliCommand::usageError(command, Cli::tr("expected one job folder"), err);
    const QString pageName = parser.value(page).toLower();
    if (pageName != QLatin1String("a4") && pageName != QLatin1String("letter"))
        return CliCommand::usageError(
            command, Cli::tr("unknown page size \"%1\"; use a4 or letter").arg(parser.value(page)),
            err);
    const QPageSize::PageSizeId pageSize
        = pageName == QLatin1String("letter") ? QPageSize::Letter : QPageSize::A4;
    const QString jobDir = parser.positionalArguments().constFirst();

    QStringList paths;
    if (parser.isSet(output)) {
        const QString path = parser.value(output);
        const QString suffix = QFileInfo(path).suffix().toLower();
        if (suffix != QLatin1String("html") && suffix != QLatin1String("htm")
            && suffix != QLatin1String("pdf"))
            return CliCommand::usageError(
                command,
                Cli::tr("cannot tell the format from the name %1; use .html or .pdf").arg(path),
                err);
        paths << path;
    } else {
        paths << QDir(jobDir).filePath(QStringLiteral("report.html"))
              << QDir(jobDir).filePath(QStringLiteral("report.pdf"));
    }
    for (const QString &path : paths) {
        QString error;
        const bool pdf
            = QFileInfo(path).suffix().compare(QLatin1String("pdf"), Qt::CaseInsensitive) == 0;
        const bool written = pdf ? JobReport::writePdf(jobDir, path, pageSize, &error)
                                 : JobReport::writeHtml(jobDir, path, &error);
        if (!written) {
            err << error << '\n';
            return CliCommand::Failure;
        }
        out << Cli::tr("Wrote %1").arg(QDir::toNativeSeparators(path)) << '\n';
    }
    return CliCommand::Success;
}
