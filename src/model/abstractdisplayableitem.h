#pragma once

#include "can/canmessage.h"
#include "can/dispatchresult.h"
#include "can/eventcounter.h"
#include "model/guardedvalue.h"
#include "model/itemaddress.h"
#include "model/itemexpectation.h"
#include "model/itemidentity.h"
#include "model/itemparameters.h"
#include "model/lastframe.h"
#include "model/periodlearner.h"
#include "model/receivesupervision.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QVariant>
#include <QVector>

#include <atomic>

class QDomElement;
class QIODevice;
class TPConnection;
class ZxParameter;
class ZxIntParameter;
class ZxBoolParameter;
class ZxFloatParameter;
class ZxListParameter;
class ZxStringParameter;
class AbstractCanHandler;
class AbstractDeviceFactory;
class AbstractSchemeTreeItem;
class DeviceDispatcher;

// Common base of every device, function and variable of the scheme: state, flags, transmission
// type, children, parameters (ItemParameters), receive supervision (ReceiveSupervision) and the
// last frame. Lives in the bus thread once registered; the GUI thread reads state, flags and
// texts, which are atomics or guarded values.
class AbstractDisplayableItem : public QObject
{
    Q_OBJECT

public:
    enum DeviceType {
        Bridge = 1,
        Continuous = 2,
        Spontaneous = 4,
        Commit = 0x1000,
        ContinuousCommit = 0x1002,
        SpontaneousCommit = 0x1004,
    };
    Q_ENUM(DeviceType)

    enum ItemState {
        Unknown = 0,
        Auto = 1,
        Send = 2,
        ReceiveOk = 3,
        ReceiveWarning = 4,
        ReceiveError = 5,
        ReceiveForced = 6,
        Mixed = 7, // a device whose functions disagree
    };

    enum ItemFlag { NewFlag = 0x1, AutoFlag = 0x2, ActivityFlag = 0x4, ChangedFlag = 0x8 };

    static constexpr int ReceiveToleranceMs = 24;
    static constexpr int MaxMissedPeriods = ReceiveSupervision::MaxMissedPeriods;
    static constexpr qint64 DefaultChangedHoldMs = 5000;

    explicit AbstractDisplayableItem(QObject *parent = nullptr);
    ~AbstractDisplayableItem() override;

    // Whether the pointer names an item that still exists.
    static bool isValid(const AbstractDisplayableItem *item);
    // Different for every item made in the process, also for one made where a destroyed item
    // lay in memory: what is kept about an item by pointer is its own while the serial matches.
    quint64 serial() const { return m_serial; }

    virtual bool matchMessage(const CanMessage &message) = 0;
    virtual int state() const { return m_state.load(); }
    // The state last set on this item itself: for a unit, the side it was put on, whatever
    // its functions' states add up to.
    int ownState() const { return m_state.load(); }
    virtual bool matchTargetMessage(const CanMessage &) { return false; }
    virtual void dispatchTargetLongMessage(TPConnection *) {}
    virtual bool dispatchBroadcastData(const QByteArray &data);
    virtual void saveItemToXmlNodeImpl(QDomElement &) {}
    virtual void updateUserReadableAddress();
    virtual void dumpParameterIdsImpl(QIODevice *device);
    virtual void dumpParametersImpl(QIODevice *device);
    virtual QString textDataImpl() const;
    // A line the item's Details shows above its parameters (where its description comes from);
    // none by default. Fixed once the item is made.
    virtual QString detailsNote() const { return QString(); }
    virtual bool dispatchMessageImpl(const CanMessage &message, DispatchResult *result);
    virtual bool dispatchTargetMessageImpl(const CanMessage &message, DispatchResult *result);
    virtual bool dispatchBroadcastDataImpl(const QByteArray &) { return false; }
    virtual void transmitData(const unsigned char *data, unsigned int length);
    virtual AbstractSchemeTreeItem *createTreeItem();

    // Entry points of the dispatcher.
    bool dispatchMessage(const CanMessage &message, DispatchResult *result);
    bool dispatchTargetMessage(const CanMessage &message, DispatchResult *result);
    void predispatch(const CanMessage &message, DispatchResult *result)
    {
        takeFrame(message, result);
    }
    // A long message completed on the bus by `completing` (its last data frame): the frame feeds
    // the receive supervision and counts the message once, then the data goes to the decoder.
    bool dispatchCompletedBroadcast(const CanMessage &completing, DispatchResult *result,
                                    const QByteArray &data);
    // Takes the frame as the last one and sets or clears ChangedFlag by its payload; a stamped
    // frame also keeps the wall-clock time of the change for the highlight's end.
    void checkDataUpdate(const CanMessage &message, bool stamp = true);
    // Drops ChangedFlag where the last change is older than holdMs, here and below.
    void checkDropNewData(qint64 holdMs = DefaultChangedHoldMs);

    // Parameters.
    void addParameter(ZxParameter *parameter, const QString &name, const QString &id = QString())
    {
        m_parameters.add(parameter, name, id);
    }
    ZxIntParameter *addIntParameter(const QString &name, const QString &id = QString())
    {
        return m_parameters.addInt(name, id);
    }
    ZxBoolParameter *addBoolParameter(const QString &name, const QString &id = QString())
    {
        return m_parameters.addBool(name, id);
    }
    ZxFloatParameter *addFloatParameter(const QString &name, const QString &id = QString())
    {
        return m_parameters.addFloat(name, id);
    }
    ZxStringParameter *addStringParameter(const QString &name, const QString &id = QString())
    {
        return m_parameters.addString(name, id);
    }
    ZxListParameter *addListParameter(const QString &name, const QStringList &items)
    {
        return m_parameters.addList(name, QString(), items);
    }
    ZxListParameter *addListParameter(const QString &name, const QString &id,
                                      const QStringList &items)
    {
        return m_parameters.addList(name, id, items);
    }
    ZxIntParameter *intParameter(int i) const { return m_parameters.at<ZxIntParameter>(i); }
    ZxBoolParameter *boolParameter(int i) const { return m_parameters.at<ZxBoolParameter>(i); }
    ZxFloatParameter *floatParameter(int i) const { return m_parameters.at<ZxFloatParameter>(i); }
    ZxListParameter *listParameter(int i) const { return m_parameters.at<ZxListParameter>(i); }
    ZxStringParameter *stringParameter(int i) const
    {
        return m_parameters.at<ZxStringParameter>(i);
    }
    ZxParameter *parameter(const QString &id) const { return m_parameters.find(id); }
    const QList<ZxParameter *> &parameters() const { return m_parameters.list(); }
    static QString sanitizeParameterId(QString id) { return ItemParameters::sanitizeId(id); }

    // Description-driven items: bindings of parameters to payload fields.
    void setBinding(ZxParameter *parameter, const ParameterBinding &binding)
    {
        m_parameters.setBinding(parameter, binding);
    }
    const ParameterBinding *binding(const ZxParameter *parameter) const
    {
        return m_parameters.binding(parameter);
    }
    const ParameterBinding *binding(const ZxParameter *parameter, int *hint) const
    {
        return m_parameters.binding(parameter, hint);
    }
    bool xmlDispatchMessageImpl(const CanMessage &message, DispatchResult *result);
    void xmlTransmitState();

    // Children. The list changes only in the item's own thread (built before registration,
    // grown by auto-detection on the bus thread). There children() gives the list itself,
    // lock-free; any other thread gets the copy published under a lock at each change, so a
    // window walking it never meets a list reallocated under it. Const: walking the copy never
    // detaches it.
    void registerChild(AbstractDisplayableItem *child);
    const QList<AbstractDisplayableItem *> children() const;
    // The first descendant item of that object name, nearer ones first (as QObject::findChild),
    // and every descendant item in tree order (as findChildren). Both walk children(): any
    // thread may call them, where a registered item's QObject children may be changing.
    AbstractDisplayableItem *findItem(const QString &objectName) const;
    QList<AbstractDisplayableItem *> descendants() const;
    AbstractDisplayableItem *parentItem() const
    {
        return qobject_cast<AbstractDisplayableItem *>(parent());
    }
    // The dispatcher of the bus this item's unit is registered with; null while it is on none.
    // Any thread.
    DeviceDispatcher *dispatcher() const;
    // The adapter of that bus, which the item's frames go out through; null without one.
    AbstractCanHandler *handler() const;
    virtual AbstractDeviceFactory *subFactory() { return m_subFactory; }
    // Whether subFactory() gives a factory, without building one that is made on first use.
    virtual bool hasSubFactory() const { return m_subFactory != nullptr; }
    void setSubFactory(AbstractDeviceFactory *factory) { m_subFactory = factory; }
    // Creates the child of that key from the sub-factory and registers it; null when it cannot.
    AbstractDisplayableItem *factoryCreateChild(const QByteArray &key);

    // Transmission control.
    void setDeviceType(DeviceType type, int interval);
    DeviceType deviceType() const { return DeviceType(m_deviceType.load()); }
    int transmissionInterval() const { return m_interval.load(); }
    bool isBridge() const { return (deviceType() & Bridge) != 0; }
    bool isPaused() const { return m_paused.load(); }
    void setPaused(bool paused);
    void requestTransmitState();
    void setLowLatencyMode(bool on);
    bool isLowLatencyMode() const;
    // An item made from traffic learns its period from its first frames (the described period
    // is only the first guess); a group that comes irregularly becomes event-driven. Before
    // registration or in the item's thread.
    void learnPeriodFromTraffic();
    bool isLearningPeriod() const { return m_learner.isLearning(); }
    // Sent on request or on a change: watched for activity, never judged late. Any thread.
    void setEventDriven();
    // How late a frame may be before its period counts as missed (bus ms).
    int receiveTolerance() const { return m_toleranceMs.load(); }

    // Sending.
    void sendMessage(CanMessage &message);
    void sendMessageUp(const CanMessage &message);

    // Identity and display.
    QString name() const { return m_identity.name(); }
    void setName(const QString &name);
    ItemAddress address() const { return m_identity.address(); }
    void setAddress(const ItemAddress &address);
    // Changes with every setAddress of any item: an index by address knows when to rebuild.
    static quint64 addressGeneration() { return ItemIdentity::addressGeneration(); }
    QString userReadableAddress() const { return m_identity.userReadableAddress(); }
    QString description() const { return m_identity.description(); }
    void setDescription(const QString &text) { m_identity.setDescription(text); }
    QString fullDescription() const { return m_identity.fullDescription(); }
    void setFullDescription(const QString &text) { m_identity.setFullDescription(text); }
    QByteArray key() const { return m_identity.key(); }
    void setKey(const QByteArray &key) { m_identity.setKey(key); }
    // Start of the parameter log identifiers: the scheme tree's unique key, else the name.
    QString logPrefix() const { return m_identity.logPrefix(); }
    void setLogPrefix(const QString &prefix) { m_identity.setLogPrefix(prefix); }
    static QString hexAddressText(quint32 value) { return ItemIdentity::hexAddressText(value); }

    // Flags, counters and the last frame.
    quint32 flags() const { return m_flags.load(); }
    bool hasFlag(ItemFlag flag) const { return (m_flags.load() & flag) != 0; }
    bool isUpdateNeeded() const { return m_updateNeeded.load(); }
    // Marking also marks the ancestors: the tree looks at a row's children only when the row
    // itself changed, and a change no frame accompanies (a time-out) reaches no ancestor else.
    void setUpdateNeeded(bool needed = true);
    bool isFiltered() const { return m_filtered.load(); }
    void setFiltered(bool filtered);
    int missedPeriods() const { return m_supervision.missedPeriods(); }
    CanMessage lastMessage() const { return m_lastFrame.message(); }
    qint64 lastChangeTime() const { return m_lastFrame.changeTime(); }
    int period() const { return m_counter.period(); }
    qint64 totalEvents() const { return m_counter.totalEvents(); }
    // Nothing received or sent yet, and not the program's to send: its values mean nothing.
    bool awaitsData() const { return totalEvents() == 0 && state() != Send; }
    // The one-line text of the views: every value "n/a" while the item awaits data.
    QString summaryText() const;
    // A parameter's field in the parameter log: empty while it has no value.
    QString parameterLogText(const ZxParameter *parameter) const;
    void counterInc() { m_counter.inc(); }
    EventCounter *counter() { return &m_counter; }
    QTimer *timer() { return m_supervision.timer(); }

    // The scheme tree node of this item, created on first use. GUI thread only.
    AbstractSchemeTreeItem *treeItem();
    AbstractSchemeTreeItem *existingTreeItem() const;

    // Scheme and description files.
    void saveItemToXmlNode(QDomElement &element);
    void saveParameterValues(QDomElement &element);
    void restoreParameterValues(const QDomElement &element);
    // Applies what the engineer set on this item and, by key and address, on its descendants:
    // name, state, transmission period and filter mark. Values are left to
    // restoreParameterValues. Run before the item is registered.
    void applySchemeSettings(const QDomElement &element);
    // The state a scheme file keeps: an Auto item that took over transmission is still Auto.
    int schemeState() const;
    // What the bus check expects of this item; kept in the scheme file. Any thread.
    ItemExpectation expectation() const { return m_expectation.load(); }
    void setExpectation(const ItemExpectation &expectation) { m_expectation.store(expectation); }
    // Whether a scheme file's <initcall> may invoke this method: only methods a class names in
    // its "initcalls" class info (comma-separated) are callable from files.
    bool allowsInitCall(const QByteArray &method) const;
    enum PeriodMeaning {
        PeriodSetsType, // a description: the period chooses continuous or spontaneous sending
        PeriodKeepsType, // a reference to a kind with a type of its own: only the interval
    };
    void applyXmlAttributes(const QDomElement &element, PeriodMeaning meaning = PeriodSetsType);
    // Parameters and bindings from the <param> children of a description element.
    void initParametersFromDescription(const QDomElement &func)
    {
        m_parameters.readDescription(func);
    }
    void dumpParameterIds(QIODevice *device);
    void dumpParameters(QIODevice *device);

signals:
    void registered();
    void stateChanged(int s);
    void scriptDispatch();
    void scriptTransmit();

public slots:
    QVariant parameterValue(QString pname);
    void setParameterValue(QString pname, QVariant value);
    virtual bool setState(int v);
    virtual void transmitState();
    void setTransmissionInterval(int p);

protected:
    void childEvent(QChildEvent *event) override;
    void connectNotify(const QMetaMethod &signal) override;
    void disconnectNotify(const QMetaMethod &signal) override;
    void setFlag(ItemFlag flag, bool on);
    // Frames and the supervision's timer judge the receive state, in this item's thread.
    void updateReceiveState();
    void keepState(int v);
    // Publishes m_children to the other threads; after every change of the list.
    void publishChildren()
    {
        m_publishedChildren.store(m_children);
        childStateChanged();
    }
    // A child's state changed, or the children did; in this item's thread. An item whose
    // state() depends on its children's forgets what it knew and tells its own parent.
    virtual void childStateChanged();
    // The children without a copy, for the item's own thread only (children() elsewhere).
    const QList<AbstractDisplayableItem *> &ownChildren() const { return m_children; }
    // Receive supervision and change tracking shared by dispatch and predispatch.
    void takeFrame(const CanMessage &message, DispatchResult *result);
    void setUserReadableAddress(const QString &text) { m_identity.setUserReadableAddress(text); }

private slots:
    void updateState();
    void update();
    void dropNewFlag();
    void slotContinuousTransmissionTimeout();
    void slotActivityTimeout();

private:
    // The parameter of that identifier, or null with a log line.
    ZxParameter *namedParameter(const QString &name) const;
    // One step of learning the period from a frame stamped `stamp` (bus ms).
    void learnFrom(qint64 stamp);
    // Judges the frames against this period and tolerance from now on.
    void superviseWith(int periodMs, int toleranceMs);

    // Switches for every item, set by the program and the tests.
    // First member: child events arrive while the counter and timer below are constructed.
    bool m_destroying = false;
    const quint64 m_serial;
    // Touched by the GUI thread only; the node is destroyed there, which clears the pointer.
    QPointer<QObject> m_treeItem;
    EventCounter m_counter;
    ItemIdentity m_identity;
    std::atomic<bool> m_updateNeeded{true};
    std::atomic<bool> m_filtered{false};
    std::atomic<int> m_state{Unknown};
    ItemParameters m_parameters;
    // Written and read lock-free in the item's own thread; m_publishedChildren follows every
    // change for the other threads.
    QList<AbstractDisplayableItem *> m_children;
    GuardedValue<QList<AbstractDisplayableItem *>> m_publishedChildren;
    AbstractDeviceFactory *m_subFactory = nullptr;
    // Set on the registered item (the unit) by its dispatcher.
    std::atomic<DeviceDispatcher *> m_dispatcher{nullptr};
    friend class DeviceDispatcher;
    std::atomic<quint32> m_flags{NewFlag};
    ReceiveSupervision m_supervision;
    QTimer m_newFlagTimer;
    std::atomic<int> m_deviceType{Bridge};
    std::atomic<int> m_interval{-1};
    LastFrame m_lastFrame;
    std::atomic<bool> m_lowLatency{false};
    std::atomic<bool> m_paused{false};
    // Set when an Auto item took over transmission, cleared by any other change of state.
    std::atomic<bool> m_tookOver{false};
    GuardedValue<ItemExpectation> m_expectation;
    PeriodLearner m_learner;
    std::atomic<int> m_toleranceMs{ReceiveToleranceMs};
    // Connections to scriptDispatch, never fewer than there are (a disconnection of several
    // counts one): a frame decoded from a description emits it only when one may listen.
    std::atomic<int> m_dispatchListeners{0};
};
