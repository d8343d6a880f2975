#pragma once

#include "model/staticpgnj1939devicefunction.h"
#include "util/translatabletext.h"

// Acknowledgement (PGN 0xE800): a unit's positive or negative answer to a request or a command,
// naming the requester and the group it answers. Bus thread once registered.
class AcknowledgementFunction : public StaticPgnJ1939DeviceFunction
{
    Q_OBJECT

public:
    static constexpr quint8 Pf = 0xE8;
    static constexpr int Length = 8;
    enum Control { Ack = 0, Nack = 1, AccessDenied = 2, CannotRespond = 3 };
    enum Index { ControlIndex = 0, GroupFunction, Requester, AcknowledgedPgn };

    // One acknowledgement as sent: the answering unit is the frame's source.
    struct Answer
    {
        quint8 source = 0xFE;
        int control = -1;
        int groupFunction = 0xFF; // 0xFF: not available
        quint8 requester = 0xFF;
        quint32 pgn = 0;
    };

    explicit AcknowledgementFunction(QObject *parent = nullptr);

    // True for an acknowledgement frame of eight bytes, to whichever destination; fills `out`.
    static bool decodeFrame(const CanMessage &frame, Answer *out);
    static bool decodeData(const QByteArray &data, Answer *out);
    // "ACK", "NACK", "Access Denied", "Cannot Respond", else "Control N"; translated or as the
    // console program writes it.
    static QString controlText(int control);
    // The same in the words of the code, for the service journal.
    static TranslatableText controlWords(int control);
    static QString englishControlText(int control);

    bool dispatchMessageImpl(const CanMessage &message, DispatchResult *result) override;
    bool dispatchBroadcastDataImpl(const QByteArray &data) override;
    bool decode(const QByteArray &data);
};
