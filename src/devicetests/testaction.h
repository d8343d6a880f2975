#pragma once

#include "machine/joystickparameter.h"
#include "model/zxboolparameter.h"
#include "model/zxlistparameter.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>

class AbstractDisplayableItem;
class DeviceTest;
class ZxParameter;

// One step of a device test, evaluated once per refresh tick on the GUI thread. The step is a
// child of its DeviceTest, which owns it.
class TestAction : public QObject
{
    Q_OBJECT

public:
    // Result codes of doMatch() and match().
    enum Result { Fault = 0, Warning = 1, Waiting = 2, ConditionMet = 3, Passed = 4 };
    // Consecutive ConditionMet results a condition must hold before it passes.
    static constexpr int StableTicks = 5;

    explicit TestAction(DeviceTest *test);

    DeviceTest *test() const;

    // Evaluates once: ConditionMet counts towards stability and turns into Passed on the fifth
    // in a row; any other result resets the count and is returned unchanged.
    int match();
    virtual int doMatch() = 0;
    void resetStability() { m_stability = 0; }
    int stability() const { return m_stability; }

    QString name() const { return m_name; }
    void setName(const QString &name) { m_name = name; }
    QString description() const { return m_description; }
    void setDescription(const QString &text) { m_description = text; }
    QString message() const { return m_message; }
    void setMessage(const QString &text) { m_message = text; }

private:
    int m_stability = 0;
    QString m_name;
    QString m_description;
    QString m_message;
};

// Base of the condition steps.
class TestClause : public TestAction
{
    Q_OBJECT

public:
    using TestAction::TestAction;
};

// A condition on one parameter of a received item. It counts only while the item still exists,
// is being received and the parameter holds a received value: default values of a unit that is
// not there must never satisfy a step.
class ParameterTestClause : public TestClause
{
    Q_OBJECT

public:
    ParameterTestClause(AbstractDisplayableItem *owner, ZxParameter *parameter, DeviceTest *test);

    int doMatch() override;
    ZxParameter *parameter() const;
    AbstractDisplayableItem *owner() const { return m_owner.data(); }

protected:
    // Whether the parameter's current value is the expected one; called only while observed.
    virtual bool valueMatches() const = 0;

private:
    QPointer<AbstractDisplayableItem> m_owner;
    ZxParameter *m_parameter;
};

// Compares a parameter of class P with an expected value of its own kind.
template<typename P, typename V>
class TemplateParameterTestClause : public ParameterTestClause
{
public:
    TemplateParameterTestClause(AbstractDisplayableItem *owner, P *parameter, const V &expected,
                                DeviceTest *test)
        : ParameterTestClause(owner, parameter, test)
        , m_expected(expected)
    {}
    V expected() const { return m_expected; }

protected:
    bool valueMatches() const override
    {
        return static_cast<const P *>(parameter())->value() == m_expected;
    }

private:
    V m_expected;
};

class BoolParameterTestClause : public TemplateParameterTestClause<ZxBoolParameter, bool>
{
public:
    using TemplateParameterTestClause::TemplateParameterTestClause;
};

class ListParameterTestClause : public TemplateParameterTestClause<ZxListParameter, int>
{
public:
    using TemplateParameterTestClause::TemplateParameterTestClause;
};

class JoystickTestClause : public TemplateParameterTestClause<JoystickParameter, JoystickValue>
{
public:
    using TemplateParameterTestClause::TemplateParameterTestClause;
};

// Sets an output; passes at once.
class OutputInitTestAction : public TestAction
{
    Q_OBJECT

public:
    OutputInitTestAction(bool value, DeviceTest *test);
    int doMatch() override;
    virtual bool setOutput(bool value) = 0;

private:
    bool m_value;
};

// Presses or releases a boolean button of an item the tool sends for.
class ButtonOutputInitTestAction : public OutputInitTestAction
{
    Q_OBJECT

public:
    ButtonOutputInitTestAction(AbstractDisplayableItem *owner, ZxParameter *parameter, bool value,
                               DeviceTest *test);
    bool setOutput(bool value) override;

private:
    QPointer<AbstractDisplayableItem> m_owner;
    ZxParameter *m_parameter;
};

// Writes a value into a parameter of an item the tool sends for; passes at once.
class ParameterInitTestAction : public TestAction
{
    Q_OBJECT

public:
    ParameterInitTestAction(AbstractDisplayableItem *owner, ZxParameter *parameter,
                            const QVariant &value, DeviceTest *test);
    int doMatch() override;
    QVariant value() const { return m_value; }

private:
    QPointer<AbstractDisplayableItem> m_owner;
    ZxParameter *m_parameter;
    QVariant m_value;
};
