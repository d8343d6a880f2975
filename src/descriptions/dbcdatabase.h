#pragma once

#include <QHash>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>

// Range of multiplexor values (inclusive) under which a signal of extended multiplexing is sent.
struct DbcMuxRange
{
    quint64 low = 0;
    quint64 high = 0;
};

// One signal of a DBC message: placement, scaling, texts and multiplexing. A plain value.
struct DbcSignal
{
    enum class ByteOrder { Intel, Motorola };
    enum class ValueType { Integer, Float, Double };

    QString name;
    // Intel: the least significant bit; Motorola: the most significant bit, both in DBC's
    // numbering (byte * 8 + bit, bit 0 the least significant bit of its byte).
    int startBit = 0;
    int length = 0;
    ByteOrder byteOrder = ByteOrder::Intel;
    bool isSigned = false;
    ValueType valueType = ValueType::Integer;
    double factor = 1.0;
    double offset = 0.0;
    double minimum = 0.0;
    double maximum = 0.0;
    QString unit;
    QStringList receivers;
    QString comment;
    quint32 spn = 0; // 0: the database names none
    // Texts of raw values (VAL_, or a VAL_TABLE_ named by one), keyed by the raw value read as
    // signed when the signal is signed.
    QMap<qint64, QString> valueTexts;

    // Multiplexing: a multiplexor ("M", or "mNM" when itself multiplexed) switches the signals
    // multiplexed by it ("mN"). Without SG_MUL_VAL_ a multiplexed signal is present when the
    // message's multiplexor holds muxValue; with it, when the named switch holds a value in one of
    // the ranges.
    bool isMultiplexor = false;
    bool isMultiplexed = false;
    quint64 muxValue = 0;
    QString muxSwitchName;
    QVector<DbcMuxRange> muxRanges;
    int muxSwitchIndex = -1; // index of the switch in the message's signals, -1 when none

    // Bytes of payload the signal needs: the byte after its last bit.
    int bytesNeeded() const;
    bool isMultiplexedBy(quint64 switchValue) const;
};

// One message (frame or transport-protocol group) of a DBC database. A plain value.
struct DbcMessage
{
    quint32 id = 0; // without DBC's extended flag (bit 31)
    bool extended = false;
    QString name;
    int length = 0;
    QString transmitter;
    QString comment;
    QString frameFormat; // VFrameFormat, e.g. "J1939PG", "ExtendedCAN"; empty when not given
    QVector<DbcSignal> signalList;

    bool isJ1939Pg() const { return frameFormat == QLatin1String("J1939PG"); }
    // Parameter group of an extended identifier, the destination cleared for PDU1 groups.
    quint32 pgn() const;
    int signalIndex(const QString &name) const;
};

// A DBC database read by DbcReader: messages with their signals, and the lookup of the message a
// received frame belongs to. A plain value; build the index again after changing the messages.
class DbcDatabase
{
public:
    QVector<DbcMessage> messages;
    QString protocolType; // ProtocolType attribute of the database, e.g. "J1939"
    QString comment;
    QHash<QString, QMap<qint64, QString>> valueTables;
    // Messages with an extended identifier in a J1939 database whose frame format is not J1939PG
    // (tools write ExtendedCAN for transport-protocol groups) are matched by PGN too when set, as a
    // J1939 user expects of such a database; clear it to match them by exact identifier.
    bool extendedAsJ1939 = true;
    // What the engineer calls the database (the file's name), for the items made from it.
    QString name;
    // The engineer's choice for a group both this database and the library describe: the
    // library's description by default, this database's when set.
    bool winsOverLibrary = false;

    bool isJ1939() const;
    bool matchesByPgn(const DbcMessage &message) const;

    // The message a frame belongs to, nullptr when none: an exact identifier first, then, for
    // extended frames, the message matched by PGN from any source (and any destination of PDU1).
    const DbcMessage *messageForFrame(quint32 id, bool extended) const;
    // The message of a reassembled transport-protocol group.
    const DbcMessage *messageForPgn(quint32 pgn) const;
    const DbcMessage *messageByName(const QString &messageName) const;

    void buildIndex();

private:
    static quint64 idKey(quint32 id, bool extended) { return (quint64(extended) << 32) | id; }

    QHash<quint64, int> m_byId;
    QHash<quint32, int> m_byPgn;
};
