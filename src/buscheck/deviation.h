#pragma once

#include <QCoreApplication>
#include <QString>
#include <QtGlobal>

// One thing on the bus that differs from the expected machine, with the time it began and ended
// (recording time, µs), the rule it broke and what was observed instead.
struct Deviation
{
    Q_DECLARE_TR_FUNCTIONS(Deviation)

public:
    enum Kind {
        Missing = 0,      // an expected unit or function never came
        Silent,           // it came, then stopped
        Late,             // a gap or the mean period above the expected
        TooFast,          // the mean period below the expected
        UnexpectedUnit,   // a source address the scheme does not have (or expects absent)
        UnexpectedGroup,  // a parameter group a known unit is not expected to send
        Moved,            // an expected unit (its NAME) claimed another address
        OutOfRange,       // a value outside its range, or not available where it must be
        ErrorIndicator,   // the sender flags the value as an error
        TroubleCode,      // an active trouble code a healthy unit does not show
        Identification,   // another NAME or software identification
        TransportAborted, // a transport session aborted or broken off
        TransportTimedOut,
        BusLoad,
        KindCount
    };

    Kind kind = Missing;
    qint64 startUs = 0;
    qint64 endUs = 0;
    bool open = true; // still going on at endUs
    // A unit's silence that lasted past BusChecker::SleepLimitUs: the unit was switched off or
    // went to sleep, which no bus tells from a fault. Kept for the record, not counted.
    bool switchedOff = false;
    int address = -1; // the unit's source address, -1 for the bus
    quint32 pgn = 0;
    QString lane;      // the timeline lane: see BusChecker::Lane::key
    QString unit;      // the unit's name (or "Unit 3A" when the scheme has none)
    QString item;      // the function's name, empty for the unit itself
    QString itemKey;   // the scheme tree's unique key of the item, empty when not in the scheme
    QString parameter; // for values
    QString rule;      // which rule it broke, in words
    QString observed;
    QString expected;

    // "missing", "silent", ... as the JSON and JUnit outputs name the kinds.
    static QString keyword(Kind kind);
    // The kind in words, translated.
    static QString kindText(Kind kind);
    // One line: "12.300–14.100 s  Engine (00) · EEC1: late, gap 520 ms (rule ...)".
    QString text() const;
    static QString secondsText(qint64 us);
    // What the list shows as the kind: the kind in words, or "Switched off".
    QString kindLabel() const;
};
