#include "cli/buspasses.h"

#include "cli/cli.h"
#include "cli/clicommand.h"
#include "cli/consoleprogress.h"
#include "cli/recordingsource.h"

#include <QFileInfo>

#include <algorithm>

namespace {

// What a reading hands on besides a bus of its own (a bus number otherwise).
enum Reading { FindOnly = -3, EveryBus = -2, FirstBus = -1 };

} // namespace

bool BusPasses::keepBuses(const QStringList &texts, QString *error)
{
    for (const QString &text : texts) {
        if (!m_selection.addKept(text, error)) {
            *error = QStringLiteral("--bus: ") + *error;
            return false;
        }
    }
    m_busTexts += texts;
    return true;
}

bool BusPasses::readOption(const QCommandLineParser &parser, const QCommandLineOption &option,
                           const QString &command, QTextStream &err, int *exitCode)
{
    QString error;
    if (keepBuses(parser.values(option), &error))
        return true;
    *exitCode = CliCommand::usageError(command, error, err);
    return false;
}

void BusPasses::noteBus(quint8 bus)
{
    const auto at = std::lower_bound(m_buses.begin(), m_buses.end(), bus);
    if (at == m_buses.end() || *at != bus)
        m_buses.insert(at, bus);
}

QString BusPasses::noFramesError(const QString &path) const
{
    return Cli::tr("%1 holds no frames on bus %2").arg(path, m_busTexts.join(QLatin1String(", ")));
}

void BusPasses::expectPasses(const QString &path, int passes)
{
    if (m_progress && passes > 0)
        m_progress->expect(QFileInfo(path).size() * passes);
}

bool BusPasses::read(const QString &path, int bus, const BusStep &begin,
                     const RecordingReader::FrameSink &sink, QString *error, QTextStream *warnings)
{
    const bool first = !m_read;
    int passBus = bus;
    bool seen[BusNames::MaxBus + 1] = {};
    QVector<TimedFrame> kept;
    RecordingSource::StreamSummary summary;
    const auto take = [&](const QVector<TimedFrame> &frames) {
        if (first) {
            if (m_frames == 0) {
                m_originUs = frames.constFirst().timeUs;
                // A reading ahead is followed by one pass at least, counted now that the
                // reading ahead counts itself.
                if (bus == FindOnly)
                    expectPasses(path, 1);
            }
            m_endUs = frames.constLast().timeUs;
            m_frames += frames.size();
        }
        bool whole = true;
        for (const TimedFrame &f : frames) {
            if (!m_selection.keeps(f.bus, summary.busNames)) {
                whole = false;
                continue;
            }
            if (first && !seen[f.bus]) {
                seen[f.bus] = true;
                noteBus(f.bus);
            }
            if (passBus == FirstBus) {
                passBus = f.bus;
                if (!begin(f.bus))
                    return false;
            }
            whole = whole && (passBus == EveryBus || f.bus == passBus);
        }
        if (passBus == FindOnly || passBus == FirstBus)
            return true;
        if (whole)
            return sink(frames);
        // Most chunks of a recording with several buses hold frames of each.
        kept.clear();
        for (const TimedFrame &f : frames) {
            if ((passBus == EveryBus || f.bus == passBus)
                && m_selection.keeps(f.bus, summary.busNames))
                kept.append(f);
        }
        return kept.isEmpty() || sink(kept);
    };
    if (!RecordingSource::stream(path, take, &summary, error, warnings, m_progress))
        return false;
    if (first) {
        m_read = true;
        m_names = summary.busNames;
        m_skippedLines = summary.skippedLines;
        if (m_buses.isEmpty()) {
            *error = noFramesError(path);
            return false;
        }
    }
    m_lastPassBus = passBus;
    return true;
}

bool BusPasses::run(const QString &path, const BusStep &begin,
                    const RecordingReader::FrameSink &sink, const BusStep &end, QString *error,
                    QTextStream *warnings)
{
    int done = -1;
    if (!m_read && m_busesFirst && !m_firstBusGuessed) {
        if (!read(path, FindOnly, begin, sink, error, warnings))
            return false;
        warnings = nullptr;
        expectPasses(path, int(m_buses.size()) - 1);
    }
    if (!m_read) {
        if (!read(path, FirstBus, begin, sink, error, warnings) || !end(quint8(m_lastPassBus)))
            return false;
        done = m_lastPassBus;
        // A guess proved wrong: the bus taken for the first is passed again in its turn.
        if (m_busesFirst && m_buses.constFirst() != done)
            done = -1;
        expectPasses(path, int(m_buses.size()) - (done < 0 ? 0 : 1));
    }
    for (const quint8 bus : qAsConst(m_buses)) {
        if (bus == done)
            continue;
        if (!begin(bus) || !read(path, bus, begin, sink, error, nullptr) || !end(bus))
            return false;
    }
    return true;
}

bool BusPasses::stream(const QString &path, const RecordingReader::FrameSink &sink, QString *error,
                       QTextStream *warnings)
{
    return read(path, EveryBus, {}, sink, error, warnings);
}
