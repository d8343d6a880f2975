#pragma once

#include "can/canmessage.h"
#include "can/dispatchresult.h"

#include <QObject>
#include <QPair>

// A switchable rule that decides whether a frame enters the raw traffic list. GUI thread.
class MessageFilter : public QObject
{
    Q_OBJECT

public:
    explicit MessageFilter(QObject *parent = nullptr);

    virtual bool isEnabled() const { return m_enabled; }
    virtual bool filter(const QPair<CanMessage, DispatchResult> &pair) const = 0;

public slots:
    void setEnabled(bool enabled);

private:
    bool m_enabled = false;
};

// Passes the frames a device took (state 0) or those no device took (any other state).
class DispatchMessageFilter : public MessageFilter
{
    Q_OBJECT

public:
    using MessageFilter::MessageFilter;
    bool filter(const QPair<CanMessage, DispatchResult> &pair) const override;
    int state() const { return m_state; }

public slots:
    void setState(int state) { m_state = state; }

private:
    int m_state = 1;
};

// Passes frames whose J1939 priority is not above the limit.
class PriorityMessageFilter : public MessageFilter
{
    Q_OBJECT

public:
    using MessageFilter::MessageFilter;
    bool filter(const QPair<CanMessage, DispatchResult> &pair) const override;
    int priority() const { return m_priority; }

public slots:
    void setPriority(int priority) { m_priority = quint8(priority); }

private:
    quint8 m_priority = 7;
};

// Passes frames whose identifier matches the value under the mask.
class AddressMaskMessageFilter : public MessageFilter
{
    Q_OBJECT

public:
    using MessageFilter::MessageFilter;
    bool filter(const QPair<CanMessage, DispatchResult> &pair) const override;
    quint32 mask() const { return m_mask; }
    quint32 value() const { return m_value; }

public slots:
    void setMask(uint32_t mask) { m_mask = mask; }
    void setValue(uint32_t value) { m_value = value; }

private:
    quint32 m_mask = 0;
    quint32 m_value = 0;
};

// Passes frames of items that carry the filter mark.
class TargetMessageFilter : public MessageFilter
{
    Q_OBJECT

public:
    using MessageFilter::MessageFilter;
    bool filter(const QPair<CanMessage, DispatchResult> &pair) const override;
};
