#pragma once

#include <QDomDocument>
#include <QModelIndex>
#include <QObject>
#include <QString>

#include <functional>

class AbstractDisplayableItem;
class DeviceDispatcher;
class QDomDocument;
class QDomElement;
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
    // The scheme as a document (what serialize writes).
    QDomDocument toDocument() const;
    // The dispatcher of the bus the scheme's units are registered with (the bus thread's, a
    // decoder's); without one, units are made but hear nothing.
    void setDispatcher(DeviceDispatcher *dispatcher) { m_dispatcher = dispatcher; }
    DeviceDispatcher *dispatcher() const { return m_dispatcher; }

signals:
    void schemeUpdated();
    void itemAdded(const QModelIndex &index);

public slots:
    void clearScheme();

private:
    bool checkDevices(const QDomElement &root, const QString &path);
    bool loadDevices(const QDomElement &root, const QString &path);
    bool loadDevice(QDomElement &element, const QString &path);
    void addDevice(AbstractDisplayableItem *device);
    void restoreWindow(const QDomElement &root);
    // Keeps the file's tab elements (written back on save) and has the window build them.
    void addTabs(const QDomElement &root);
    void setDeviceError(const QDomElement &element, const QString &path);
    // The buses of a file's units: the units of the lowest bus (and those naming none) stay
    // under `root`, the others move to `kept`. The bus shown, or -1 when no unit names one.
    static int takeOtherBuses(QDomElement root, QDomDocument *kept);
    void setOtherBuses(int shownBus, const QDomDocument &kept);

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
};
