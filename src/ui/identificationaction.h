#pragma once

#include "can/abstractcanhandler.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

class AbstractDisplayableItem;
class MainWindow;
class OffBoardDiagnosticDevice;
class QTimer;

// A unit's whole identification in one go: ECU, software, component, vehicle (VIN) and DM19
// calibration information, asked from the tool's unit one request at a time (a unit answers
// each by its own transport session), each answer awaited for a while. An answer counts
// whichever way it comes: a connection to the tool, a broadcast or a single frame of the unit;
// a negative acknowledgement ends the wait at once. The answers also fill the unit's own
// functions for these groups, and a box lists all five. GUI thread.
class IdentificationAction : public QObject
{
    Q_OBJECT

public:
    explicit IdentificationAction(MainWindow *window);

    // Asks `unit` through `tool`; false when a run is already going.
    bool start(AbstractDisplayableItem *unit, OffBoardDiagnosticDevice *tool);
    bool isRunning() const;
    QString unitName() const;

    // What each step asks for, in order; the box's line labels.
    static QVector<quint32> steps();
    static QString label(quint32 pgn);

signals:
    void finished();

private slots:
    void poll();
    void takePack(const AbstractCanHandler::MessagePack &pack);

private:
    void ask();
    void answered(const QByteArray &data);
    void finishStep(const QString &text);
    void finish();
    // Gives an answer that came to the tool to the unit's own function for the group.
    void fillUnitFunction(quint32 pgn, const QByteArray &data);
    void showBox();

    MainWindow *m_window;
    QTimer *m_timer;
    QPointer<AbstractDisplayableItem> m_unit;
    QPointer<OffBoardDiagnosticDevice> m_tool;
    quint8 m_address = 0;
    QString m_unitName;
    int m_step = -1;
    qint64 m_stepStart = 0;
    quint64 m_toolSerial = 0;
    QStringList m_answers;
};
