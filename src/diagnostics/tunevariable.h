#pragma once

#include "diagnostics/abstractnamedvariable.h"
#include "model/guardedvalue.h"
#include "model/zxvariant.h"

#include <atomic>

// A tune (calibration) variable of the machine controller: its value, the unit it talks to and
// the acknowledgement of the last write. It sends read and write requests (from its device while
// the program simulates that device, else from the tool's own address) and, while its device is
// simulated, answers those of others. Bus thread once registered.
class TuneVariable : public AbstractNamedVariable
{
    Q_OBJECT

public:
    enum ParameterIndex { Val = 0, Target = 1, Confirm = 2 };
    enum Acknowledgement { Yes = 0, No = 1, Restricted = 2, Unavailable = 3 };
    // What became of the last request this variable sent.
    enum Outcome { NoRequest, Waiting, Answered, NotAvailable, Accepted, Refused, NoAnswer };
    static constexpr int DefaultReplyTimeoutMs = 1000;
    static constexpr quint8 PfAcknowledgement = 0xE8;
    static constexpr quint8 PfProprietaryA = 0xEF;

    explicit TuneVariable(QObject *parent = nullptr);

    bool matchTargetMessage(const CanMessage &message) override;
    QString textDataImpl() const override;
    bool dispatchMessageImpl(const CanMessage &message, DispatchResult *result) override;
    bool dispatchTargetMessageImpl(const CanMessage &message, DispatchResult *result) override;
    AbstractSchemeTreeItem *createTreeItem() override;

    int target() const;
    int confirm() const;
    bool isRequestPending() const { return m_requestPending.load(); }
    // Replies taken for our own requests, and the source address of the last one: unlike the
    // event count, never moved by what this variable sends itself.
    quint32 replyCount() const { return m_replies.load(); }
    int lastReplySource() const { return m_lastReplySource.load(); }
    Outcome outcome() const { return Outcome(m_outcome.load()); }
    // The address requests go out from: the device's while it is simulated, else the tool's.
    quint8 requesterAddress() const;
    // Takes the frame when it answers the pending request (from its target, to its requester,
    // this name): value, acknowledgement and outcome, whatever the variable's state. Bus thread.
    bool takeReply(const CanMessage &message);
    static void setReplyTimeoutMs(int ms);
    // Whether a value can travel in a write: size 1, 2 or 4 and not all ones for its size.
    static bool isWritable(const ZxVariant &value);
    // A frame from this variable's device: priority 6, `pf`, to `destination`, byte 0 = `control`,
    // name, size and value after it.
    CanMessage initMessage(quint8 pf, quint8 destination, quint8 control = 0) const;
    // Whether bytes 4-7 are all ones: a read request, or "not available" in a reply.
    static bool isAllOnes(const CanMessage &message);

public slots:
    void setTarget(unsigned int target);
    void requestGetValue();
    // Refused (logged) when the size is not 1, 2 or 4 or the value is all ones for its size.
    bool requestSetValue();

private:
    void answer(const CanMessage &request);
    void startRequest(CanMessage &message);
    QString valueText() const;
    // Notes the end of a request in the service journal: a write with the value before and
    // after, a read with the value.
    void note(Outcome outcome);

    std::atomic<int> m_outcome{NoRequest};
    // The pending request: where it went, where from, and which one (stale time-outs are ignored).
    std::atomic<int> m_requestTarget{-1};
    std::atomic<int> m_requestSource{-1};
    std::atomic<quint32> m_requestSerial{0};

    std::atomic<bool> m_requestPending{false};
    std::atomic<bool> m_requestWrites{false};
    // The value last read or written, and the one the pending write sends.
    GuardedValue<QString> m_readText;
    GuardedValue<QString> m_writtenText;
    std::atomic<quint32> m_replies{0};
    std::atomic<int> m_lastReplySource{-1};
};
