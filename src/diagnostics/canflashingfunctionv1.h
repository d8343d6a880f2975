#pragma once

#include "can/canmessage.h"
#include "diagnostics/flashlog.h"
#include "diagnostics/flashtransfer.h"
#include "model/guardedvalue.h"
#include "model/j1939devicefunction.h"

#include <QByteArray>
#include <QTimer>
#include <QVector>

#include <atomic>

// Replaces the program of a unit over the bus: a DM14 boot-load request, then the program file
// as DM17 boot-load data frames, each echoed by the unit. Lives in the bus thread; the state
// machine runs there only (frames and its timer), the GUI reaches it by queued calls by name.
// The program and the texts the GUI reads are guarded values; counters it shows are atomics.
class CanFlashingFunctionV1 : public J1939DeviceFunction
{
    Q_OBJECT
    Q_CLASSINFO("initcalls", "resetRun")

public:
    enum FlasherStates {
        FlasherIdle = 0,
        FlasherWaitingResponse = 1,
        FlasherWaitingBootLoad = 2,
        FlasherWaitingAck = 3,
        FlasherGotAck = 4,
        FlasherDelay = 5,
        FlasherFinished = 6,
        FlasherError = 7,
    };
    Q_ENUM(FlasherStates)

    enum ParameterIndex {
        TargetDevice = 0,
        State = 1,
        Progress = 2,
        TransmitIndex = 3,
        Continuous = 4,
        LowLatency = 5,
        RetransmitOnError = 6,
        FileName = 7,
        StateText = 8,
        AckDelay = 9,
        SoftId = 10,
        EcuId = 11,
    };

    static constexpr quint8 PfBootLoadData = FlashTransfer::PfBootLoadData;
    static constexpr quint8 BootLoadDataPriority = FlashTransfer::BootLoadDataPriority;
    static constexpr int PieceSize = FlashTransfer::PieceSize;
    // A program is cut into 4-byte frames of ~40 bytes each in memory; 16 MiB keeps that
    // within reach of a 32-bit process and the offsets far from wrapping.
    static constexpr qint64 MaxFileSize = 16 * 1024 * 1024;
    static constexpr int MaxAckTimeouts = 5;
    static constexpr int MaxRetransmits = 7;
    // Busy answers retried on the response timer before giving up (10 s at 250 ms).
    static constexpr int MaxBusyAnswers = 40;

    struct Intervals
    {
        int responseMs = 250;
        int bootLoadMs = 5000;
        int ackMs = 250;
        int resultMs = 10000;
    };

    explicit CanFlashingFunctionV1(QObject *parent = nullptr);
    // A run cut short by the removal of the flasher is still logged.
    ~CanFlashingFunctionV1() override;

    bool matchMessage(const CanMessage &message) override;
    bool matchTargetMessage(const CanMessage &message) override;
    bool dispatchTargetMessageImpl(const CanMessage &message, DispatchResult *result) override;
    void updateUserReadableAddress() override;
    // The row's text: the target and what the engineer must see now (the transfer's progress,
    // a wait, a refusal or the last run's result).
    QString textDataImpl() const override;
    AbstractSchemeTreeItem *createTreeItem() override;
    void saveItemToXmlNodeImpl(QDomElement &element) override;
    // Called after a scheme restored the parameters: a run's state and progress never come
    // back from a file, the flasher opens idle.
    Q_INVOKABLE void resetRun(const QByteArray &unused = QByteArray());

    // Checks and reads a program file: a regular, non-empty file up to MaxFileSize.
    static bool readProgramFile(const QString &path, QByteArray *data, QString *error);
    // The boot-load data frames of a program, offsets rising by 4.
    static QVector<CanMessage> programFrames(const QByteArray &data, quint8 target, quint8 source)
    {
        return FlashTransfer::frames(data, target, source);
    }

    // Reads the file in the calling thread (the GUI) and keeps its bytes; only while idle.
    Q_INVOKABLE bool loadFile(const QString &path);
    // The program to send, named for display and the log; only while idle.
    bool setProgram(const QByteArray &data, const QString &name);
    QByteArray programData() const;
    QString programName() const;

    int flasherState() const { return m_state.load(); }
    bool isFlashing() const;
    int target() const;
    void setTarget(int address);
    int frameCount() const { return m_transfer.count(); }
    int transmitIndex() const { return m_transfer.index(); }
    int retransmitCount() const { return m_transfer.retransmissions(); }
    QString stateText() const;
    // The result of the last run; stays after the state returns to idle.
    QString lastResult() const;
    void setIntervals(const Intervals &intervals) { m_intervals = intervals; }
    QTimer *stateTimer() { return &m_stateTimer; }
    // Where each run's record goes (the parameter-log directory); empty: no flash log.
    void setLogDirectory(const QString &directory);
    QString logDirectory() const;
    // An identification the tool received (PGN value, payload).
    void takeIdentification(quint32 pgn, const QByteArray &data);

public slots:
    void slotStart();
    void slotStop();
    void slotFlasherTimeout();
    void setContinuousBootload(bool on);
    void slotRequestEcuid();
    void slotRequestSoft();
    void slotRequestHours();

signals:
    void frameSent(const CanMessage &frame);
    void flasherStateChanged(int state);

private:
    void setFlasherState(FlasherStates state);
    void refuse(const QString &text);
    void fail(const QString &reason);
    void send(CanMessage frame);
    void sendBootLoadRequest();
    void sendFrame(int index);
    void setProgressFor(int index);
    void sendRequest(quint32 pgn);
    void onResponse(const CanMessage &message, DispatchResult *result);
    void onEcho(const CanMessage &message, DispatchResult *result);
    void setLastResult(const QString &text);
    void beginRun();
    void endRun(const QString &outcome);
    // Notes the run that ended in the service journal.
    void noteRun(const QString &logDirectory) const;

    // The program with its name and hash: replaced whole, so a run never mixes two.
    struct Program
    {
        QByteArray data;
        QString name;
        QByteArray sha256;
    };
    GuardedValue<Program> m_program;
    GuardedValue<QString> m_lastResult;
    GuardedValue<QString> m_logDirectory;

    std::atomic<int> m_state{FlasherIdle};

    // Run state, bus thread only (but the transfer's counters).
    QTimer m_stateTimer;
    Intervals m_intervals;
    FlashTransfer m_transfer;
    quint8 m_target = 0;
    quint8 m_source = 0;
    int m_busyAnswers = 0;
    bool m_busyPending = false; // a busy answer: ask again when the response wait ends
    bool m_runActive = false;   // a run started and its record is not yet written
    FlashLog::Record m_run;
};
