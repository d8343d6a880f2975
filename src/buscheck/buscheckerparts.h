#pragma once

#include "buscheck/buschecker.h"
#include "model/parameterbinding.h"

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
        // Found on the item for the frames before, while the same item (by its serial) takes
        // them: an item keeps its parameters, their keys and bindings as long as it exists.
        const ZxParameter *parameter = nullptr;
        int bindingHint = -1;
        // Values surely within the description's range (ParameterBinding::validSpan), for the
        // scaling the binding had when the span was worked out.
        struct Span
        {
            float multiplier = 0;
            float adder = 0;
            int bitLength = -1;
            bool saeRanges = false;
            bool known = false;
            double low = 0;
            double high = -1;
            // Whether the value lies in the binding's span, worked out again when the scaling
            // changed. Inline: it runs for every value of every frame.
            bool contains(const ParameterBinding &b, double value)
            {
                if (multiplier != b.multiplier || adder != b.adder || bitLength != b.bitLength
                    || saeRanges != b.saeRanges || !known)
                    workOut(b);
                return value >= low && value <= high;
            }
            void workOut(const ParameterBinding &b);
        } span;
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
    quint64 itemSerial = 0; // of the item the values' parameters were found on
    // The item was found to exist when LiveItems counted this many removals.
    bool itemExisted = false;
    quint64 itemExistedAt = 0;
    // Open deviations: a gap, the mean period too long or too short.
    int gapDeviation = -1;
    int lateDeviation = -1;
    int fastDeviation = -1;
};
