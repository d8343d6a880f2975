#pragma once

#include "devicetests/testaction.h"
#include "diagnostics/tunevariable.h"
#include "model/zxvariant.h"

#include <QList>
#include <QPointer>

class FramTestSequence;

// Checks that the controller keeps a tune variable in its non-volatile memory across a power
// cycle: read it, write a changed value, cycle the power, read it back, then put the original
// value back. Owned by its DeviceTest; the variable is guarded and never touched once gone.
class FramTestSequence : public QObject
{
    Q_OBJECT

public:
    static constexpr const char *VariablePath = "control_panel_low/TuneVariablesState/L0";
    // Ticks a step waits for a reply before it shows the fault (late replies still count).
    static constexpr int ReplyTimeoutTicks = 10;

    // The variable is looked up by its path when none is given.
    explicit FramTestSequence(DeviceTest *test, TuneVariable *variable = nullptr);
    ~FramTestSequence() override;

    QList<TestAction *> steps() const { return m_steps; }
    TuneVariable *variable() const { return m_variable.data(); }
    quint8 targetAddress() const;

    // The value the test writes after reading `old`: one less from 10 on, else one more; a change
    // that would leave the bits as they are or give no finite value takes 1 (2 when old is 1).
    static float changedValue(float old);
    // Whether the raw bits mean "not available" for the variant's size.
    static bool isNotAvailable(const ZxVariant &value);

    // Step helpers.
    bool sendRead();
    bool sendWrite(qint32 rawBits);
    // 0 reply taken, 1 still waiting, 2 timed out (still waiting for a late reply).
    int replyState();
    ZxVariant value() const;

    bool hasOriginal() const { return m_hasOriginal; }
    void setOriginal(const ZxVariant &value);
    ZxVariant original() const { return m_original; }
    bool isWritten() const { return m_written; }
    void setWritten(bool written) { m_written = written; }
    bool isRestored() const { return m_restored; }
    void setRestored(bool restored) { m_restored = restored; }

private slots:
    void slotTestStopped();

private:
    QPointer<TuneVariable> m_variable;
    QList<TestAction *> m_steps;
    ZxVariant m_original;
    bool m_hasOriginal = false;
    bool m_written = false;
    bool m_restored = false;
    int m_waitTicks = 0;
};

// A step of a FRAM sequence.
class SequenceTestAction : public TestAction
{
    Q_OBJECT

public:
    SequenceTestAction(FramTestSequence *sequence, DeviceTest *test);
    FramTestSequence *sequence() const { return m_sequence; }

protected:
    // Fault texts shared by the waiting steps.
    int noVariable();

private:
    FramTestSequence *m_sequence;
};

class GetValueTestAction : public SequenceTestAction
{
    Q_OBJECT
public:
    using SequenceTestAction::SequenceTestAction;
    int doMatch() override;
};

class WaitGetValueTestAction : public SequenceTestAction
{
    Q_OBJECT
public:
    using SequenceTestAction::SequenceTestAction;
    int doMatch() override;
};

class SetValueTestAction : public SequenceTestAction
{
    Q_OBJECT
public:
    using SequenceTestAction::SequenceTestAction;
    int doMatch() override;
};

class WaitSetValueTestAction : public SequenceTestAction
{
    Q_OBJECT
public:
    using SequenceTestAction::SequenceTestAction;
    int doMatch() override;
};

class WaitGetMatchTestAction : public SequenceTestAction
{
    Q_OBJECT
public:
    using SequenceTestAction::SequenceTestAction;
    int doMatch() override;
};

// Writes the value read at the start back into the controller.
class RestoreValueTestAction : public SequenceTestAction
{
    Q_OBJECT
public:
    using SequenceTestAction::SequenceTestAction;
    int doMatch() override;
};

class WaitRestoreTestAction : public SequenceTestAction
{
    Q_OBJECT
public:
    using SequenceTestAction::SequenceTestAction;
    int doMatch() override;
};
