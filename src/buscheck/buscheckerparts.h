#pragma once

#include "buscheck/buschecker.h"

#include <QString>

class ZxParameter;

// The checker's view of one unit and one function of the expected scheme.
struct BusChecker::Unit
{
    const AbstractDisplayableItem *device = nullptr;
    QString name;
    QString itemKey;
    int lane = -1;
    int address = -1; // the J1939 source address, -1 for other devices
    ItemExpectation expectation;
    bool hasName = false;
    quint64 nameValue = 0;
    QSet<quint32> pgns;       // the groups its functions take
    qint64 silentLimitUs = 0; // 0: no periodic function, silence is not judged
    qint64 lastUs = -1;
    bool everSeen = false;
    bool paused = false;    // silent for longer than the limit right now
    qint64 pauseEndUs = -1; // when the last silence ended
    qint64 wakeUs = -1;     // its first frame after a silence (or after being missing)
    bool moved = false;
    QSet<quint64> activeCodes; // spn << 8 | fmi
    // Open deviations: silent or missing, at another address, by trouble code.
    int silentDeviation = -1;
    int movedDeviation = -1;
    QHash<quint64, int> codeDeviations;
};

struct BusChecker::Function
{
    struct Value
    {
        QString key;
        int position = 0; // in the item's parameter list when the check began
        bool hasRange = false;
        ItemExpectation::Range range;
        int errorDeviation = -1;
        int rangeDeviation = -1;
        // Since when the value has been at its error indicator, or outside its range, without a
        // break (-1: it is not): a deviation opens once that lasted ValuePersistenceUs.
        qint64 errorSinceUs = -1;
        qint64 outsideSinceUs = -1;
    };

    const AbstractDisplayableItem *item = nullptr;
    Unit *unit = nullptr;
    QString name;
    QString itemKey;
    int lane = -1;
    quint32 pgn = 0;
    int periodMs = 0; // 0: not periodic
    int tolerancePercent = 0;
    bool intermittent = false;
    bool absent = false; // must not come
    qint64 lateUs = 0;
    qint64 silentUs = 0;
    qint64 lastUs = -1;
    bool everSeen = false;
    // The last frames' times, for the mean period.
    qint64 window[9] = {};
    int windowCount = 0;
    int windowNext = 0;
    QVector<Value> values;
    // Open deviations: a gap, the mean period too long or too short.
    int gapDeviation = -1;
    int lateDeviation = -1;
    int fastDeviation = -1;
};
