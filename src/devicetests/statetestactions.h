#pragma once

#include "devicetests/testaction.h"

#include <QList>

// Saves every parameter of a state item with its current value as the test's saved state. The
// item is given, or else the device under test's child named "state".
class SaveStateTestAction : public TestAction
{
    Q_OBJECT

public:
    explicit SaveStateTestAction(AbstractDisplayableItem *stateItem, DeviceTest *test);
    explicit SaveStateTestAction(DeviceTest *test);
    int doMatch() override;

private:
    AbstractDisplayableItem *stateItem() const;

    QPointer<AbstractDisplayableItem> m_stateItem;
    bool m_explicitItem;
};

// Passes while every saved parameter but the excluded ones still holds its saved value.
class StateCheckTestAction : public TestAction
{
    Q_OBJECT

public:
    explicit StateCheckTestAction(DeviceTest *test);
    void addExcluded(ZxParameter *parameter) { m_excluded.append(parameter); }
    QList<ZxParameter *> excluded() const { return m_excluded; }
    int doMatch() override;

    // Saved and current values agree; floats compare by value with NaN equal to NaN.
    static bool sameValue(const QVariant &saved, const QVariant &current);

private:
    QList<ZxParameter *> m_excluded;
};

// Waits for the engineer to switch the unit's power. Judged by the unit's continuously
// supervised receiving functions: on when one of them is received in time, off when none is and
// at least one has gone late or silent; a unit that never was received proves neither.
class PowerTestClause : public TestClause
{
    Q_OBJECT

public:
    PowerTestClause(bool on, DeviceTest *test);
    bool isOn() const { return m_on; }
    int doMatch() override;

private:
    bool m_on;
};

// The tool takes a unit over (stands in for it and sends its frames, so that steps can drive the
// machine through it) or hands it back to the machine (receives it again, so that the engineer's
// moves at the unit reach the steps). Taking over holds for the stability time, so the machine
// settles on the tool's frames before the next step looks at it. The unit's state before the
// test is put back when the run ends.
class StandInTestAction : public TestClause
{
    Q_OBJECT

public:
    StandInTestAction(AbstractDisplayableItem *unit, bool takeOver, DeviceTest *test);
    bool takesOver() const { return m_takeOver; }
    int doMatch() override;

private:
    QPointer<AbstractDisplayableItem> m_unit;
    bool m_takeOver;
};
