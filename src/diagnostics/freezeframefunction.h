#pragma once

#include "model/staticpgnj1939devicefunction.h"

#include <QStringList>
#include <QVector>

#include <atomic>

// The common part of DM4, DM24 and DM25: one message of a unit decoded whole from a single
// frame, a broadcast or a transport session to the tool, shown as a table in the Details, and
// encoded when the tool stands in for the unit. Lives in the bus thread; the GUI thread reads
// the decoded lists, which are guarded, and the generation, which counts the answers decoded.
class FreezeFrameFunction : public StaticPgnJ1939DeviceFunction
{
    Q_OBJECT

public:
    FreezeFrameFunction(quint8 pf, quint8 ps, QObject *parent = nullptr);

    bool dispatchMessageImpl(const CanMessage &message, DispatchResult *result) override;
    bool dispatchBroadcastDataImpl(const QByteArray &data) override;
    void dispatchTargetLongMessage(TPConnection *connection) override;
    void transmitState() override;
    AbstractSchemeTreeItem *createTreeItem() override;

    // Decodes a whole message; false when it cannot be one.
    virtual bool decode(const QByteArray &data) = 0;
    virtual QByteArray encode() const = 0;
    // The Details table: its column headers and a row per record. Any thread.
    virtual QStringList tableHeaders() const = 0;
    virtual QVector<QStringList> tableRows() const = 0;
    // Messages decoded so far: a change means an answer came. Any thread.
    int generation() const { return m_generation.load(); }
    // Changes whenever what the Details table shows changes. Any thread.
    virtual int displayGeneration() const { return generation(); }

    // A sibling function of the same unit by its PGN; null when the unit has none.
    StaticPgnJ1939DeviceFunction *sibling(quint32 pgn) const;

protected:
    void decoded();

private:
    std::atomic<int> m_generation{0};
};
