#pragma once

#include <mutex>

#include "diagnostics/memoryaccesspass.h"
#include "diagnostics/memoryaccesstable.h"
#include "model/guardedvalue.h"
#include "model/j1939devicefunction.h"

#include <QHash>
#include <QPointer>
#include <QTimer>

#include <atomic>

class SchemeWindow;
class TargetParameter;
class ZxStringParameter;

// Reads and writes calibration values of a unit by J1939-73 memory access (DM14/DM15/DM16), one
// SPN per request, as described by a memory access file. Lives in the bus thread; the exchange
// (timer, frames, pass state) runs there only, the GUI reaches it by queued calls. The table is
// guarded by its own lock and read by the GUI as copies.
class MemoryAccessFunction : public J1939DeviceFunction
{
    Q_OBJECT
    Q_CLASSINFO("initcalls", "loadFromData")

public:
    using SpnGroupItem = MemoryAccessTable::SpnGroupItem;
    using SpnItem = MemoryAccessTable::SpnItem;
    using SlotData = MemoryAccessTable::SlotData;

    enum MemoryAccessState {
        Inactive = 0,
        WriteWaitProceed = 1,
        WriteWaitCompletion = 2,
        ReadWaitProceed = 3,
        ReadWaitData = 4,
        ReadWaitCompletion = 5,
    };
    enum ParameterIndex { Target = 0, Error = 1 };
    static constexpr int DefaultTimeoutMs = 500;

    explicit MemoryAccessFunction(QObject *parent = nullptr);
    ~MemoryAccessFunction() override;

    bool matchMessage(const CanMessage &message) override;
    bool matchTargetMessage(const CanMessage &message) override;
    bool dispatchTargetMessageImpl(const CanMessage &message, DispatchResult *result) override;
    void updateUserReadableAddress() override;
    void saveItemToXmlNodeImpl(QDomElement &element) override;
    // The unit, the file and the result of the last exchange, for the tree row.
    QString textDataImpl() const override;
    AbstractSchemeTreeItem *createTreeItem() override;

    // The memory access file. Refused during an exchange; a failed load keeps the old table.
    Q_INVOKABLE bool loadFromData(const QByteArray &data);
    bool loadFile(const QString &path);
    bool saveFile(const QString &path);
    QByteArray fileData() const;
    QString filePath() const;

    MemoryAccessTable table() const;
    int itemCount() const;
    // A user's edit: stores the value and marks the item modified. Refused during an exchange.
    bool setItemValue(int index, double value);

    // Builds the "MA Data" window on first use, in the given window, and shows it. GUI thread.
    void showDataWidget(SchemeWindow *window = nullptr);

    int maState() const { return m_state.load(); }
    bool isActive() const { return maState() != Inactive; }
    bool isFirstRead() const { return m_firstRead.load(); }
    bool hasCompletedRead() const { return m_readDone.load(); }
    QString errorText() const;
    void setErrorText(const QString &text);
    int target() const;
    void setTarget(int address);
    // Whether the owning device is simulated: only then do answers addressed to it arrive.
    bool isOwnerSimulated() const;

    // The user confirmed writing the file's values without reading the unit first.
    void setWriteWithoutRead(bool allowed) { m_writeWithoutRead.store(allowed); }
    void setBackupDirectory(const QString &directory);
    QString lastBackupPath() const;
    void setTimeoutMs(int ms) { m_timeoutMs.store(ms); }
    int timeoutMs() const { return m_timeoutMs.load(); }

public slots:
    void requestData();
    void slotRefreshWidgetData();
    void sendData(bool changedOnly);
    void sendAllData();
    void sendChangedData();
    // A read stops at once; a write finishes the current item and closes the operation.
    void cancel();
    void slotMemoryAccessTimeout();

signals:
    void tableReplaced();
    // Values of these items were read; `markChanges` is false on the first read after loading.
    void valuesRead(const QVector<int> &indices, bool markChanges);
    void valuesWritten(const QVector<int> &indices);
    void progressChanged(int done, int total, const QString &text);
    void exchangeStarted();
    void exchangeFinished(bool ok, const QString &text);

private:
    bool onOwnThread(const char *method, bool changedOnly = false);
    bool latchTarget();
    void setMaState(int state);
    void startTimer();
    void finish(bool ok, const QString &text);
    // The items of a write pass and their raw values; the refusal text when one is invalid.
    QString preparePass(bool changedOnly, QVector<int> *pass, QVector<quint32> *raws,
                        QVector<quint8> *sizes);
    void sendReadRequest();
    void sendWriteRequest();
    // The answer of the unit in a read or a write state; `status` is the DM15 status, or
    // NotDm15 for another frame.
    static constexpr int NotDm15 = -1;
    void onReadAnswer(int state, const CanMessage &message, int status);
    void onWriteAnswer(int state, const CanMessage &message, int status);
    void onReadData(const CanMessage &message);
    void onReadCompletion(quint8 status);
    void onWriteCompletion();
    void onReadCompleted();
    void startVerify();
    bool writeBackup(QString *errorText);
    quint32 spnAt(int index) const;
    // The service journal's notes: the values a read gave, and a write's values before and after.
    void noteRead();
    void noteWrite(bool ok, const QString &text);

    mutable std::mutex m_tableMutex; // guards m_table
    MemoryAccessTable m_table;
    GuardedValue<QString> m_filePath;
    GuardedValue<QString> m_backupDirectory;
    GuardedValue<QString> m_lastBackupPath;

    std::atomic<int> m_state{Inactive};
    std::atomic<bool> m_firstRead{true};
    std::atomic<bool> m_readDone{false};
    std::atomic<bool> m_backupOk{true};
    std::atomic<bool> m_writeWithoutRead{false};
    std::atomic<bool> m_cancel{false};
    std::atomic<int> m_timeoutMs{DefaultTimeoutMs};

    // Exchange state, bus thread only.
    QTimer m_timer;
    quint8 m_target = 0;
    quint8 m_source = 0;
    MemoryAccessPass m_pass;
    bool m_writing = false;
    QHash<int, double> m_readValues; // by item: the value the unit gave at the last read

    QPointer<QObject> m_dock;
    friend class MemoryAccessDock;
};
