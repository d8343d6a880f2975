#pragma once

#include "diagnostics/dtcarrayparameter.h"
#include "model/staticpgnj1939devicefunction.h"
#include "util/translatabletext.h"

#include <QMap>
#include <QMetaObject>
#include <QVector>

#include <atomic>

class DeviceDispatcher;
class J1939Device;
class QTimer;

// Clears the trouble codes of its unit, or of every unit: DM11 (clear active codes, 0xFED3) and
// DM3 (clear previously active codes, 0xFECC) are requested from the tool's address, every
// acknowledgement is collected for the answer time, and after a positive answer DM1 and DM2 are
// asked again to tell which codes are gone and which came back. A unit that refuses or stays
// silent is reported so, never as cleared. The last result stays in RESULT and SUMMARY. Nothing
// is sent without an open adapter and nothing repeats. Bus thread once registered.
class CodeClearingFunction : public StaticPgnJ1939DeviceFunction
{
    Q_OBJECT

public:
    static constexpr quint32 Dm11Pgn = 0xFED3;
    static constexpr quint32 Dm3Pgn = 0xFECC;
    static constexpr quint32 Dm1Pgn = 0xFECA;
    static constexpr quint32 Dm2Pgn = 0xFECB;
    enum Kind { ClearActive = 0x1, ClearPrevious = 0x2 };
    enum Index { Result = 0, Summary };
    // How long answers are collected after each request: the transport time-out by default.
    static int s_answerTimeMs;
    // How long the units may re-check their faults after a clear before their codes are asked
    // again: a fault whose cause persists is back by then.
    static int s_settleMs;

    explicit CodeClearingFunction(QObject *parent = nullptr);

    // The codes a unit's function for `pgn` (DM1 or DM2) holds; false when the unit has no such
    // function, so its codes are not known.
    static bool knownCodes(const AbstractDisplayableItem *unit, quint32 pgn,
                           QVector<DtcArrayParameter::DtcItem> *codes);
    // "Engine #1 (0x00)": the unit's name and address, the address once; "Unit 0x00" unnamed;
    // in the interface language.
    static QString unitText(quint8 address, const QString &name);
    // "SPN 100 FMI 1" for each code, joined by ", "; "none" when empty.
    static QString codesText(const QVector<DtcArrayParameter::DtcItem> &codes);
    // The units a global clearing on this dispatcher's bus expects answers from: the scheme's
    // J1939 units but the tool.
    static QList<J1939Device *> schemeUnits(const DeviceDispatcher *dispatcher);

    bool isRunning() const { return m_running.load(); }
    QString result() const;
    QString summary() const;

    void transmitState() override {}

public slots:
    // Starts a clearing of `kinds` for this unit, or all units when `global`. False, with the
    // reason as the result, when no adapter is open, nothing is chosen or one runs already.
    bool slotStart(int kinds, bool global);

signals:
    void finished(const QString &summary);

public:
    // The tree's row shows the summary on one line; the report by unit is in Details.
    QString textDataImpl() const override;
    AbstractSchemeTreeItem *createTreeItem() override;

private:
    struct UnitState
    {
        quint8 address = 0xFE;
        QString name;
        QMap<quint32, int> answers; // requested PGN -> acknowledgement control
        QMap<quint32, bool> known;  // DM1/DM2 -> codes known before
        QMap<quint32, QVector<DtcArrayParameter::DtcItem>> before;
        QMap<quint32, qint64> events; // DM1/DM2 function events when asked again
    };

    void takeFrames(const QVector<CanMessage> &frames);
    void sendStep();
    void stepTimedOut();
    void checkVerification();
    void finish();
    void setOutcome(const QString &result, const QString &summary);
    bool acknowledged(const UnitState &unit) const;
    UnitState *unitAt(quint8 address);
    // The unit's answers, then a line per list of codes: what went and what came back.
    std::vector<TranslatableText> unitReport(const UnitState &unit) const;

    std::atomic<bool> m_running{false};
    bool m_global = false;
    QVector<quint32> m_steps;     // the requests still to send, the current one first
    QVector<quint32> m_requested; // DM11 and/or DM3
    bool m_verifying = false;
    QVector<UnitState> m_units;
    QTimer *m_deadline;
    QTimer *m_poll;
    QMetaObject::Connection m_tap;
};
