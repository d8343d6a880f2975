#pragma once

#include "descriptions/abstractdevicefactory.h"

#include <QObject>

class AbstractDisplayableItem;
class DeviceTest;
class IdentificationAction;
class MainWindow;
class MemoryAccessFunction;
class OffBoardDiagnosticDevice;
class QAction;
struct DeviceFactoryEntry;

// The service functions a unit's context menu in the scheme tree offers: its acceptance test,
// memory access and flashing through the one tool unit, and its identification. Each action is
// enabled only where it applies, and says why not in its tool and status tips. The work goes
// through the window's own paths (Add flasher, adding items, Details). GUI thread.
class UnitActions : public QObject
{
    Q_OBJECT

public:
    // How long Identification waits for each answer before it goes on without it.
    static int s_identificationTimeoutMs;

    explicit UnitActions(MainWindow *window);

    // The unit of the current tree row; none for a function's row or no row.
    AbstractDisplayableItem *currentUnit() const;
    // The catalogue entry whose live unit this is, when that kind has an acceptance test.
    static AbstractDeviceFactory::Entry testEntry(const AbstractDisplayableItem *unit);
    bool currentUnitHasTest() const { return testEntry(currentUnit()).has_value(); }
    // The tool unit, else the unit at the tool's address in the scheme, if any.
    AbstractDisplayableItem *toolUnit() const;
    // A unit at the tool's address that receives what is sent to the tool: the tool unit, the
    // unit there put in Send, or the tool unit added. The current row stays selected.
    bool ensureToolReceiver();

    // Why a bus service cannot reach the unit (no unit, no J1939 address, the tool itself);
    // empty when it can.
    static QString serviceReason(const AbstractDisplayableItem *unit);

public slots:
    void updateActions();
    void testCurrentUnit();
    void openMemoryAccess();
    void openFlashing();
    void requestIdentification();

private:
    void setApplicable(QAction *action, const QString &reason);
    // The flasher's unit, added through Add flasher when there is none yet; none (and the
    // reason in the status bar) when it cannot be added.
    OffBoardDiagnosticDevice *ensureFlasherUnit();
    // The memory access function of the tool unit (added when there is none), or of the unit
    // the engineer put at the tool's address; none when it cannot be had.
    MemoryAccessFunction *ensureMemoryAccess();
    bool selectRow(AbstractDisplayableItem *item);
    void showDetailsOf(AbstractDisplayableItem *item);
    void message(const QString &text);

    MainWindow *m_window;
    QAction *m_test;
    QAction *m_memoryAccess;
    QAction *m_flashing;
    QAction *m_identification;
    IdentificationAction *m_identifying;
};
