#pragma once

#include "devicetests/devicetest.h"
#include "devicetests/testaction.h"
#include "model/zxboolparameter.h"
#include "model/zxlistparameter.h"
#include "support/testitems.h"

#include <QQueue>

// A step that returns a scripted list of result codes, then repeats the last one.
class ScriptedAction : public TestAction
{
public:
    ScriptedAction(const QList<int> &codes, DeviceTest *test)
        : TestAction(test)
        , m_codes(codes)
    {}
    int doMatch() override
    {
        ++calls;
        if (m_codes.size() > 1)
            return m_codes.takeFirst();
        return m_codes.isEmpty() ? Waiting : m_codes.first();
    }
    int calls = 0;

private:
    QList<int> m_codes;
};

// A small machine from real items: a controller with a state function of two inputs, two outputs
// and a button, received by the tool; and a panel the tool sends for, with one button.
struct MiniMachine
{
    MiniMachine()
    {
        controller.setName(QStringLiteral("Controller"));
        controller.setKey("controller");
        state = new TestContainerItem(&controller);
        state->setObjectName(QStringLiteral("state"));
        state->setName(QStringLiteral("state"));
        const QStringList inputItems{QStringLiteral("0V"), QStringLiteral("+V"),
                                     QStringLiteral("Open")};
        in1 = state->addListParameter(QStringLiteral("IN1"), QStringLiteral("IN1"), inputItems);
        in2 = state->addListParameter(QStringLiteral("IN2"), QStringLiteral("IN2"), inputItems);
        const QStringList outputItems{QStringLiteral("Off"), QStringLiteral("Off open"),
                                      QStringLiteral("On"), QStringLiteral("Off short"),
                                      QStringLiteral("4"), QStringLiteral("On open"),
                                      QStringLiteral("On short")};
        out1 = state->addListParameter(QStringLiteral("OUT1"), QStringLiteral("OUT1"), outputItems);
        button = state->addBoolParameter(QStringLiteral("B1"), QStringLiteral("B1"));
        panel.setName(QStringLiteral("Panel"));
        panelButton = panel.addBoolParameter(QStringLiteral("B3"), QStringLiteral("B3"));
        panel.setState(AbstractDisplayableItem::Send);
    }
    // What the unit sends: the tool's view of it is being received.
    void receive(bool on = true)
    {
        state->setState(on ? AbstractDisplayableItem::ReceiveOk : AbstractDisplayableItem::Unknown);
    }

    TestContainerItem controller;
    TestContainerItem *state = nullptr;
    TestContainerItem panel;
    ZxListParameter *in1 = nullptr;
    ZxListParameter *in2 = nullptr;
    ZxListParameter *out1 = nullptr;
    ZxBoolParameter *button = nullptr;
    ZxBoolParameter *panelButton = nullptr;
};
