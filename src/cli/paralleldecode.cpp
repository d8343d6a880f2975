#include "cli/paralleldecode.h"

#include "cli/cli.h"
#include "cli/clicommand.h"
#include "cli/consoleprogress.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

#include <QThread>

#include <algorithm>
#include <atomic>
#include <memory>
#include <vector>

namespace ParallelDecode {

namespace {

// Prints what a job wrote to its standard error, each line naming the recording.
void forward(const QString &recording, const QString &text, QTextStream &err)
{
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        if (!line.trimmed().isEmpty())
            err << recording << ": " << line << '\n';
    }
}

// One recording's decoding in a job; its messages are kept for the end.
struct Job
{
    QString recording;
    QString messages;
    bool failed = false;
};

} // namespace

QString outputFor(const QString &directory, const QString &recording)
{
    return QDir(directory).filePath(QFileInfo(recording).completeBaseName()
                                    + QStringLiteral(".csv"));
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
    // The line shows the share of every recording, not of the ones begun.
    if (options.progress) {
        for (const QString &recording : recordings)
            options.progress->expect(QFileInfo(recording).size());
    }
    int failed = 0;
    if (jobs == 1) {
        for (const QString &recording : recordings) {
            if (decodeRecording(options, recording, outputFor(directory, recording), out, err)
                != CliCommand::Success)
                ++failed;
        }
    } else {
        // Threads of this process, each taking the next recording until none is left. A
        // recording's decoder is a bus of its own, made and used in its thread; the messages
        // are printed at the end in the recordings' order.
        std::vector<Job> done(size_t(recordings.size()));
        std::atomic<int> next{0};
        const auto work = [&] {
            for (int i = next++; i < recordings.size(); i = next++) {
                Job &job = done[size_t(i)];
                job.recording = recordings.at(i);
                QString ignored;
                QTextStream jobOut(&ignored);
                QTextStream jobErr(&job.messages);
                job.failed = decodeRecording(options, job.recording,
                                             outputFor(directory, job.recording), jobOut, jobErr)
                             != CliCommand::Success;
                jobErr.flush();
            }
        };
        // QThreads: the items' timers need a thread with an event dispatcher, though none fires.
        std::vector<std::unique_ptr<QThread>> threads;
        const int count = std::min(jobs, int(recordings.size()));
        for (int t = 0; t < count; ++t) {
            threads.emplace_back(QThread::create(work));
            threads.back()->start();
        }
        for (const std::unique_ptr<QThread> &thread : threads)
            thread->wait();
        for (const Job &job : done) {
            forward(job.recording, job.messages, err);
            failed += job.failed ? 1 : 0;
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
