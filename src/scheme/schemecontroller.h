#pragma once

#include "descriptions/candevicefactory.h"

#include <QDomDocument>
#include <QModelIndex>
#include <QObject>
#include <QString>

#include <QHash>

#include <functional>
#include <memory>
#include <vector>

class AbstractDisplayableItem;
class AbstractSchemeTreeItem;
class DeviceDispatcher;
class QDomDocument;
class QDomElement;
class SchemeBusItem;
class SchemeTreeModel;
class SchemeWindow;

// Loads, saves and clears the scheme: the devices with their functions and parameter values, and
// the detail docks and layout of the window that shows it. Files are written atomically. GUI
// thread.
class SchemeController : public QObject
{
    Q_OBJECT

public:
    static constexpr int WindowStateVersion = 4;
    // Files of version 2 and later keep the engineer's settings of every item (the root's
    // "version"); older files wrote measured periods, which are not settings and are ignored.
    static constexpr int FormatVersion = 2;
    // Asked when a file cannot be written: true tries again.
    using RetryPrompt = std::function<bool(const QString &errorText)>;

    SchemeController(SchemeTreeModel *model, SchemeWindow *window, QObject *parent = nullptr);
    ~SchemeController() override;

    bool serialize(const QString &path);
    bool deserialize(const QString &path);
    // Replaces the scheme by the one in a file's content, completely or not at all: a file that
    // does not parse or holds a device that cannot be made leaves the current scheme in place.
    // origin names the file in messages.
    bool load(const QByteArray &content, const QString &origin);
    QString lastError() const { return m_lastError; }
    // What the engineer should know of the scheme opened last that is no error (the units of
    // other buses it keeps); empty when nothing.
    QString loadNote() const;
    void setRetryPrompt(RetryPrompt prompt) { m_retryPrompt = std::move(prompt); }
    // The scheme as a document (what serialize writes); the paths of databases are relative to
    // `schemePath`'s folder where they can be, else absolute.
    QDomDocument toDocument(const QString &schemePath = QString()) const;
    // What went wrong with the databases the scheme opened last names (missing, changed, no
    // DBC); empty when nothing.
    QStringList databaseProblems() const { return m_databaseProblems; }
    // Databases of the run (the console's --dbc), after a scheme's own on every bus whatever
    // the scheme opened; not written to the file.
    void setRunDatabases(const CanDeviceFactory::Databases &databases)
    {
        m_runDatabases = databases;
    }
    // The dispatcher of the bus the scheme's units are registered with (the bus thread's, a
    // decoder's); without one, units are made but hear nothing.
    void setDispatcher(DeviceDispatcher *dispatcher) { m_dispatcher = dispatcher; }
    DeviceDispatcher *dispatcher() const { return m_dispatcher; }

    // Further buses beside the first (the dispatcher's). With several, each bus has a row at
    // the top of the tree with its units below, a unit of a file goes to the bus its "bus"
    // names (those naming none to the first) and every saved unit names its bus's number. Units
    // a file kept for the new bus's number join it.
    void addBus(DeviceDispatcher *bus);
    // The bus leaves the window (not the first): its units stay in the file as units of another
    // bus, written back as they are.
    void removeBus(DeviceDispatcher *bus);
    // What a bus's row says the bus is (its adapter and port).
    void setBusDescription(DeviceDispatcher *bus, const QString &text);
    // The first bus, then the others.
    QList<DeviceDispatcher *> buses() const;
    bool hasSeveralBuses() const { return !m_buses.empty(); }
    // The bus of a row (a bus's row, a unit, anything below it): the first without several.
    DeviceDispatcher *busOf(const AbstractSchemeTreeItem *node) const;
    // The row of a bus while there are several; null otherwise.
    AbstractSchemeTreeItem *busNode(const DeviceDispatcher *bus) const;
    // Registers a unit with its bus (the first when null) and lists it under the bus's row.
    void addDevice(AbstractDisplayableItem *device, DeviceDispatcher *bus = nullptr);

signals:
    void schemeUpdated();
    void itemAdded(const QModelIndex &index);

public slots:
    void clearScheme();

private:
    bool checkDevices(const QDomElement &root, const QString &path);
    bool loadDevices(const QDomElement &root, const QString &path);
    bool loadDevice(QDomElement &element, const QString &path);
    // The bus a unit's element goes to.
    DeviceDispatcher *busFor(const QDomElement &device) const;
    DeviceDispatcher *busNumbered(int number) const;
    // Moves the units of the other buses' rows to the top of the tree, or back.
    void showBusRows(bool on);
    void restoreWindow(const QDomElement &root);
    // Keeps the file's tab elements (written back on save) and has the window build them.
    void addTabs(const QDomElement &root);
    void setDeviceError(const QDomElement &element, const QString &path);
    // The buses of a file's units: the units of the lowest bus (and those naming none) stay
    // under `root`, the others move to `kept`. The bus shown, or -1 when no unit names one.
    int takeOtherBuses(QDomElement root, QDomDocument *kept) const;
    void setOtherBuses(int shownBus, const QDomDocument &kept);
    // The buses' DBC databases as the file names them; the others kept.
    void applyDatabases(const QDomElement &root, const QString &path);
    // The number of a bus in the file: its own, or the file's bus a lone bus shows.
    int fileBusNumber(const DeviceDispatcher *bus) const;

    SchemeTreeModel *m_model;
    SchemeWindow *m_window;
    DeviceDispatcher *m_dispatcher = nullptr;
    QString m_lastError;
    RetryPrompt m_retryPrompt;
    // The tab elements of the loaded scheme, children of its root.
    QDomDocument m_tabs;
    // A scheme learned from several buses: the window shows one, the bus of every unit it saves;
    // the units of the other buses are written back as the file had them.
    int m_shownBus = -1;
    QDomDocument m_otherBuses;
    // The databases of buses not in the window, and the scheme's file for their paths.
    QDomDocument m_otherDatabases;
    QString m_schemePath;
    QStringList m_databaseProblems;
    CanDeviceFactory::Databases m_runDatabases;
    // With several buses, the row of each, the first bus's first; empty with one bus.
    struct Bus
    {
        DeviceDispatcher *dispatcher = nullptr;
        std::unique_ptr<SchemeBusItem> item;
    };
    std::vector<Bus> m_buses;
    QHash<const DeviceDispatcher *, QString> m_busDescriptions;
};
