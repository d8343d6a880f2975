#pragma once

#include <QCoreApplication>
#include <QList>
#include <QPointer>

#include <functional>

class QLabel;
class QWidget;
class StaticPgnJ1939DeviceFunction;

// The "Request" button of a diagnostic function's editor and the lasting line beside it: when
// the unit was last asked and when an answer came. The button makes sure of a receiver at the
// tool's address for long answers, then asks on the bus thread. Every editor of the function
// (Details, detail docks) gets its own button and line; all show the same times. GUI thread.
class RequestLine
{
    Q_DECLARE_TR_FUNCTIONS(RequestLine)

public:
    // When the function last decoded a message, milliseconds since the epoch (0: never).
    using DecodedAt = std::function<qint64()>;

    RequestLine(StaticPgnJ1939DeviceFunction *function, DecodedAt decodedAt);

    // A new button and line for an editor.
    QWidget *createWidget();
    // What the button does: asks the unit, from the window `from` is shown in; false (and the
    // reason in the line) without a bus connection.
    bool ask(QWidget *from);
    // Brings every line up to date.
    void refresh();
    // The line's text at a given time of asking and of the last answer (0: none), as shown.
    static QString lineText(qint64 askedMs, qint64 decodedMs);

private:
    QPointer<StaticPgnJ1939DeviceFunction> m_function;
    DecodedAt m_decodedAt;
    qint64 m_askedMs = 0;
    QString m_refusal;
    QList<QPointer<QLabel>> m_lines;
};
