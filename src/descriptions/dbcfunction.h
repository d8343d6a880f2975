#pragma once

#include "descriptions/dbcdatabase.h"
#include "descriptions/dbcsignalcodec.h"
#include "model/staticpgnj1939devicefunction.h"

#include <QVector>

class ZxParameter;

// A J1939 function described by a message of one of the engineer's DBC databases: a parameter
// per signal, read with the database's placement and scaling. A multiplexed signal has a value
// only while its multiplexor holds one of its values; a message longer than a frame is decoded
// from the reassembled transport message of its group. Lives on the bus thread like every item.
class DbcFunction : public StaticPgnJ1939DeviceFunction
{
    Q_OBJECT

public:
    // Keys of the functions made from databases: the prefix and the message's name.
    static constexpr const char *KeyPrefix = "dbc_";

    explicit DbcFunction(const DbcMessage &message, QObject *parent = nullptr);
    ~DbcFunction() override;

    const DbcMessage &message() const { return m_message; }
    // The database the message comes from, and whether the engineer put it before the library;
    // the item's description says so.
    void setSource(const QString &database, bool winsOverLibrary);
    QString sourceDatabase() const { return m_source; }
    // The parameter of the message's signal at `index`; null past the end.
    ZxParameter *signalParameter(int index) const;

    bool dispatchMessageImpl(const CanMessage &message, DispatchResult *result) override;
    bool dispatchBroadcastDataImpl(const QByteArray &data) override;
    QString textDataImpl() const override;
    QString detailsNote() const override { return m_note; }

private:
    void decode(const quint8 *payload, int size);
    // The signal's value from its raw bits, or none (`raw` null) when the frame has none.
    void take(int index, const quint64 *raw);

    DbcMessage m_message;
    QString m_source;
    QString m_note;
    QVector<ZxParameter *> m_parameters; // by signal index
    QVector<QString> m_texts;            // the value table's text of each signal, or empty
    // Without multiplexing, each signal is present when the payload holds its bytes: the bytes
    // each needs (INT_MAX for a layout no payload holds) are worked out once.
    bool m_multiplexed = false;
    QVector<int> m_needed;
    // Used again by every frame's decoding of a multiplexed message: a frame allocates nothing.
    QVector<DbcDecodedSignal> m_decoded;
    QVector<bool> m_present; // by signal index
};
