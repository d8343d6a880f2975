#include "cli/paralleldecode.h"

#include "cli/cli.h"
#include "cli/clicommand.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QProcess>

#include <memory>
#include <mutex>
#include <vector>

namespace ParallelDecode {

namespace {

std::mutex programMutex;
QString programOverride;

QString program()
{
    std::lock_guard locker(programMutex);
    return programOverride.isEmpty() ? QCoreApplication::applicationFilePath() : programOverride;
}

QStringList jobArguments(const DecodeOptions &options, const QString &recording,
                         const QString &output)
{
    QStringList arguments{QStringLiteral("decode")};
    if (!options.scheme.isEmpty())
        arguments << QStringLiteral("--scheme") << options.scheme;
    if (options.everyFrame)
        arguments << QStringLiteral("--every-frame");
    for (const QString &bus : options.buses)
        arguments << QStringLiteral("--bus") << bus;
    if (options.events)
        arguments << QStringLiteral("--events");
    else if (options.periodSet)
        arguments << QStringLiteral("--period") << QString::number(options.periodMs);
    arguments << QStringLiteral("-o") << output << recording;
    return arguments;
}

// Prints what a job wrote to its standard error, each line naming the recording.
void forward(const QString &recording, const QByteArray &text, QTextStream &err)
{
    for (const QByteArray &line : text.split('\n')) {
        if (!line.trimmed().isEmpty())
            err << recording << ": " << QString::fromLocal8Bit(line) << '\n';
    }
}

} // namespace

QString outputFor(const QString &directory, const QString &recording)
{
    return QDir(directory).filePath(QFileInfo(recording).completeBaseName()
                                    + QStringLiteral(".csv"));
}

void setProgram(const QString &path)
{
    std::lock_guard locker(programMutex);
    programOverride = path;
}

int run(const DecodeOptions &options, const QStringList &recordings, const QString &directory,
        int jobs, QTextStream &out, QTextStream &err)
{
    const QString command = QStringLiteral("decode");
    QHash<QString, QString> claimed; // output -> recording
    for (const QString &recording : recordings) {
        const QString output = outputFor(directory, recording);
        if (claimed.contains(output))
            return CliCommand::usageError(command,
                                          Cli::tr("%1 and %2 would both be written to %3")
                                              .arg(claimed.value(output), recording, output),
                                          err);
        claimed.insert(output, recording);
    }
    if (!QDir().mkpath(directory)) {
        err << Cli::tr("Cannot make the directory %1").arg(directory) << '\n';
        return CliCommand::Failure;
    }
    int failed = 0;
    if (jobs == 1) {
        for (const QString &recording : recordings) {
            if (decodeRecording(options, recording, outputFor(directory, recording), out, err)
                != CliCommand::Success)
                ++failed;
        }
    } else {
        // A pool of processes, each decoding one recording; the next starts when one ends.
        std::vector<std::unique_ptr<QProcess>> running;
        int next = 0;
        const auto startNext = [&] {
            const QString recording = recordings.at(next++);
            auto process = std::make_unique<QProcess>();
            process->setProperty("recording", recording);
            process->start(program(),
                           jobArguments(options, recording, outputFor(directory, recording)));
            running.push_back(std::move(process));
        };
        const auto collect = [&](QProcess *process) {
            const QString recording = process->property("recording").toString();
            if (process->error() == QProcess::FailedToStart
                || process->exitStatus() != QProcess::NormalExit) {
                err << Cli::tr("%1: the decoding process failed: %2")
                           .arg(recording, process->errorString())
                    << '\n';
                ++failed;
                return;
            }
            forward(recording, process->readAllStandardError(), err);
            if (process->exitCode() != 0)
                ++failed;
        };
        while (next < recordings.size() || !running.empty()) {
            while (next < recordings.size() && int(running.size()) < jobs)
                startNext();
            // Any job that ended makes room for the next; else wait a little on the oldest.
            bool ended = false;
            for (auto it = running.begin(); it != running.end();) {
                QProcess *process = it->get();
                if (process->state() == QProcess::NotRunning || process->waitForFinished(0)) {
                    collect(process);
                    it = running.erase(it);
                    ended = true;
                } else {
                    ++it;
                }
            }
            if (!ended && !running.empty())
                running.front()->waitForFinished(20);
        }
    }
    out << Cli::tr("%1 of %2 recordings decoded into %3")
               .arg(recordings.size() - failed)
               .arg(recordings.size())
               .arg(QDir::toNativeSeparators(directory))
        << '\n';
    return failed == 0 ? CliCommand::Success : CliCommand::Failure;
}

} // namespace ParallelDecode
