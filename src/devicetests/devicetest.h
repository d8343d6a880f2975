#pragma once

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QPair>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QVariant>
#include <QVector>

#include "devicetests/testaction.h"
#include "model/abstractdisplayableitem.h"

class TestAction;
class ZxParameter;

// A scripted check of a unit: an ordered list of steps evaluated on a refresh tick, with a record
// of what became of each step. GUI thread; the items it reads and writes are guarded by QPointer
// and never dereferenced once gone.
class DeviceTest : public QObject
{
    Q_OBJECT

public:
    enum ReturnTestAction { ReturnOff = 0, ReturnOn = 1 };
    enum StepResult { NotRun, Passed, Skipped, Failed };
    enum RunState { NotStarted, Running, Complete, Cancelled };

    struct TestItem
    {
        TestAction *step = nullptr;
        TestAction *precondition = nullptr;
    };
    struct StepRecord
    {
        StepResult result = NotRun;
        QDateTime finished;
        QString lastMessage; // the last warning or fault the step showed
    };
    struct SavedValue
    {
        QPointer<AbstractDisplayableItem> owner;
        ZxParameter *parameter = nullptr;
        QVariant value;
    };

    static constexpr int DefaultRefreshIntervalMs = 200;

    explicit DeviceTest(AbstractDisplayableItem *device, QObject *parent = nullptr);
    ~DeviceTest() override;

    AbstractDisplayableItem *device() const { return m_device.data(); }
    void setRefreshInterval(int ms) { m_timer.setInterval(ms); }
    int refreshInterval() const { return m_timer.interval(); }

    void addTest(TestAction *step, TestAction *precondition = nullptr);
    // Further objects deleted with the test.
    void addOwnedObject(QObject *object);
    // Units that steps act on besides the device under test (searched for parameter owners).
    void addRelatedItem(AbstractDisplayableItem *item);
    // A path or parameter a step needed and did not find; such steps are left out.
    void addUnresolved(const QString &what) { m_unresolved.append(what); }
    QStringList unresolved() const { return m_unresolved; }
    // The item among the device under test, the related units and their descendants that owns
    // the parameter; null when none does.
    AbstractDisplayableItem *ownerOf(const ZxParameter *parameter) const;
    // Whether the item is the device under test, a related unit or part of one of them.
    bool involves(const QObject *item) const;

    void start();
    void skipTest();
    // Ends the run (cancelled when steps were left) and puts back every parameter a step wrote.
    void stop();

    RunState runState() const { return m_runState; }
    bool isRunning() const { return m_runState == Running; }
    int currentIndex() const { return m_index; }
    int count() const { return m_items.size(); }
    TestAction *currentTest() const;
    TestItem currentTestItem() const;
    QString errorString() const;
    QList<TestAction *> tests() const;
    const QVector<StepRecord> &records() const { return m_records; }
    QDateTime startTime() const { return m_started; }
    QDateTime endTime() const { return m_ended; }

    // Builders.
    void createOutputTest(TestAction *off, TestAction *on, ZxParameter *state,
                          ReturnTestAction mode);
    void createButtonTest(ZxParameter *button);
    // `alsoExcluded`: parameters that follow the input and may change with it.
    void createInputTest(ZxParameter *input, const QList<ZxParameter *> &alsoExcluded = {});

    // Written by init steps: the first value each parameter had before the test wrote it.
    void rememberWrite(AbstractDisplayableItem *owner, ZxParameter *parameter);
    // Puts back the written parameters and the state of every unit the test took over.
    int restoreWrittenParameters();
    // A unit the tool stands in for while steps drive it: its state before the test is put back
    // when the run ends.
    void setUnitState(AbstractDisplayableItem *unit, int state);

    // The state saved by SaveStateTestAction and compared by StateCheckTestAction.
    const QList<SavedValue> &savedState() const { return m_savedState; }
    void setSavedState(const QList<SavedValue> &state) { m_savedState = state; }

signals:
    void currentTestChanged(int index);
    void progressChanged(int stability);
    void showWarningMessage(const QString &text);
    void showFaultMessage(const QString &text);
    void hideMessage();
    void runStateChanged(int state);
    // The run was ended from outside (the dialog closed); steps put back what they changed.
    void stopped();

public slots:
    void slotRefreshTimeout();

private:
    void advance(StepResult result);
    void showResult(int result, const QString &text);
    void resetCurrent();
    void setRunState(RunState state);

    QPointer<AbstractDisplayableItem> m_device;
    QList<QPointer<AbstractDisplayableItem>> m_related;
    QList<TestItem> m_items;
    QVector<StepRecord> m_records;
    int m_index = -1;
    int m_lastShown = TestAction::Waiting;
    bool m_lastFromPrecondition = false; // the last shown result was the precondition's
    RunState m_runState = NotStarted;
    QTimer m_timer;
    QList<QObject *> m_owned;
    QStringList m_unresolved;
    QList<SavedValue> m_written;
    struct UnitState
    {
        QPointer<AbstractDisplayableItem> unit;
        int before;
        int requested;
    };
    QList<UnitState> m_unitStates;
    QList<SavedValue> m_savedState;
    QDateTime m_started;
    QDateTime m_ended;
};
