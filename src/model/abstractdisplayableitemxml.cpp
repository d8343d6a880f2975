// The file side of AbstractDisplayableItem: description attributes, scheme settings and values,
// the frames of description-driven items and the parameter log's columns.
#include "model/abstractdisplayableitem.h"

#include <QDebug>
#include <QDomDocument>
#include <QDomElement>
#include <QIODevice>
#include <QMetaClassInfo>
#include <QMetaMethod>

#include <cstring>

namespace {

bool isChildElement(const QDomElement &e)
{
    return e.tagName() == QLatin1String("func");
}

} // namespace

// --- Description files ----------------------------------------------------------------------

void AbstractDisplayableItem::applyXmlAttributes(const QDomElement &element, PeriodMeaning meaning)
{
    bool ok = false;
    if (meaning == PeriodKeepsType) {
        // -1 is the interval of an item that never sends by itself.
        const int interval = element.attribute(QStringLiteral("period")).toInt(&ok, 10);
        if (ok && interval >= -1 && interval != transmissionInterval())
            setTransmissionInterval(interval);
        setFiltered(element.attribute(QStringLiteral("filtered")) == QLatin1String("true"));
        setUpdateNeeded();
        return;
    }
    const uint period = element.attribute(QStringLiteral("period")).toUInt(&ok, 10);
    if (ok) {
        if (period == 0)
            setDeviceType(SpontaneousCommit, 0);
        else if (period <= 2147483647u)
            setDeviceType(Continuous, int(period));
        else
            setDeviceType(Spontaneous, 0);
    }
    setFiltered(element.attribute(QStringLiteral("filtered")) == QLatin1String("true"));
    setUpdateNeeded();
}

bool AbstractDisplayableItem::xmlDispatchMessageImpl(const CanMessage &message,
                                                     DispatchResult *result)
{
    m_parameters.decode(message.data);
    if (result->mode.testFlag(DispatchResult::DescribeFrames))
        result->description = textDataImpl();
    if (m_dispatchListeners.load(std::memory_order_relaxed) > 0)
        emit scriptDispatch();
    return true;
}

void AbstractDisplayableItem::connectNotify(const QMetaMethod &signal)
{
    if (signal == QMetaMethod::fromSignal(&AbstractDisplayableItem::scriptDispatch))
        m_dispatchListeners.fetch_add(1);
}

void AbstractDisplayableItem::disconnectNotify(const QMetaMethod &signal)
{
    // An invalid method stands for every signal at once: how many went is not told.
    if (signal == QMetaMethod::fromSignal(&AbstractDisplayableItem::scriptDispatch))
        m_dispatchListeners.fetch_sub(1);
}

void AbstractDisplayableItem::xmlTransmitState()
{
    emit scriptTransmit();
    quint8 payload[CanMessage::MaxLength];
    std::memset(payload, 0xFF, sizeof payload);
    m_parameters.encode(payload);
    transmitData(payload, CanMessage::MaxLength);
}

// --- Scheme files -------------------------------------------------------------------------------

void AbstractDisplayableItem::saveItemToXmlNode(QDomElement &element)
{
    const ItemAddress a = address();
    element.setAttribute(QStringLiteral("key"), QString::fromLatin1(key()));
    element.setAttribute(QStringLiteral("address"), QString::number(a.value, 16));
    element.setAttribute(QStringLiteral("state"), QString::number(schemeState()));
    // The period the engineer can set (what the loader applies), not the measured one.
    element.setAttribute(QStringLiteral("period"), QString::number(transmissionInterval()));
    element.setAttribute(QStringLiteral("internal"), QStringLiteral("true"));
    QDomDocument doc = element.ownerDocument();
    QDomElement nameElement = doc.createElement(QStringLiteral("name"));
    nameElement.appendChild(doc.createTextNode(name()));
    element.appendChild(nameElement);
    if (isFiltered())
        element.setAttribute(QStringLiteral("filtered"), QStringLiteral("true"));
    saveItemToXmlNodeImpl(element);
    saveParameterValues(element);
    expectation().save(element);
    for (AbstractDisplayableItem *child : children()) {
        QDomElement childElement = doc.createElement(QStringLiteral("genericitem"));
        element.appendChild(childElement);
        child->saveItemToXmlNode(childElement);
        if (childElement.tagName() == QLatin1String("genericitem")) {
            // Every shipped class names its element; a new one that forgets it still saves.
            qWarning("%s tag name not implemented", child->metaObject()->className());
            childElement.setTagName(QStringLiteral("func"));
        }
    }
}

void AbstractDisplayableItem::saveParameterValues(QDomElement &element)
{
    m_parameters.saveValues(element);
}

void AbstractDisplayableItem::restoreParameterValues(const QDomElement &element)
{
    m_parameters.restoreValues(element);
    setUpdateNeeded();
    for (QDomElement call = element.firstChildElement(QStringLiteral("initcall")); !call.isNull();
         call = call.nextSiblingElement(QStringLiteral("initcall"))) {
        const QByteArray method = call.attribute(QStringLiteral("name")).toLatin1();
        if (!allowsInitCall(method)) {
            qWarning("initcall %s refused: %s does not offer it", method.constData(),
                     metaObject()->className());
            continue;
        }
        if (!QMetaObject::invokeMethod(this, method.constData(), Qt::DirectConnection,
                                       Q_ARG(QByteArray, call.text().toUtf8())))
            qWarning("initcall %s failed on %s", method.constData(), metaObject()->className());
    }
}

bool AbstractDisplayableItem::allowsInitCall(const QByteArray &method) const
{
    if (method.isEmpty())
        return false;
    const QMetaObject *mo = metaObject();
    for (int i = 0; i < mo->classInfoCount(); ++i) {
        const QMetaClassInfo info = mo->classInfo(i);
        if (qstrcmp(info.name(), "initcalls") != 0)
            continue;
        const QList<QByteArray> names = QByteArray(info.value()).split(',');
        for (const QByteArray &n : names) {
            if (n.trimmed() == method)
                return true;
        }
    }
    return false;
}

int AbstractDisplayableItem::schemeState() const
{
    return m_tookOver.load() && state() == Send ? int(Auto) : state();
}

void AbstractDisplayableItem::applySchemeSettings(const QDomElement &element)
{
    const QDomElement nameElement = element.firstChildElement(QStringLiteral("name"));
    if (!nameElement.isNull())
        setName(nameElement.text()); // the engineer's name wins over the description's
    applyXmlAttributes(element, PeriodKeepsType);
    setExpectation(ItemExpectation::load(element));
    // A device passes its state on to its functions: it goes first, their own states after.
    // A device whose functions disagree has no state of its own to set.
    bool ok = false;
    const int savedState = element.attribute(QStringLiteral("state")).toInt(&ok);
    if (ok && savedState >= Unknown && savedState < Mixed)
        setState(savedState);
    QList<AbstractDisplayableItem *> unmatched = m_children;
    for (QDomElement e = element.firstChildElement(); !e.isNull(); e = e.nextSiblingElement()) {
        if (!isChildElement(e))
            continue;
        const QByteArray childKey = e.attribute(QStringLiteral("key")).toLatin1();
        const uint childAddress = e.attribute(QStringLiteral("address")).toUInt(&ok, 16);
        for (int i = 0; i < unmatched.size(); ++i) {
            AbstractDisplayableItem *child = unmatched.at(i);
            if (child->key() == childKey && (!ok || child->address().value == childAddress)) {
                child->applySchemeSettings(e);
                unmatched.removeAt(i);
                break;
            }
        }
    }
}

// --- Parameter log
// --------------------------------------------------------------------------------

void AbstractDisplayableItem::dumpParameterIdsImpl(QIODevice *device)
{
    m_parameters.dumpIds(device, logPrefix());
}

void AbstractDisplayableItem::dumpParametersImpl(QIODevice *device)
{
    m_parameters.dumpValues(device, awaitsData());
}

void AbstractDisplayableItem::dumpParameterIds(QIODevice *device)
{
    dumpParameterIdsImpl(device);
    for (AbstractDisplayableItem *child : children())
        child->dumpParameterIds(device);
}

void AbstractDisplayableItem::dumpParameters(QIODevice *device)
{
    dumpParametersImpl(device);
    for (AbstractDisplayableItem *child : children())
        child->dumpParameters(device);
}
