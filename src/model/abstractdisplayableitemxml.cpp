// The description-reading operations of AbstractDisplayableItem: parameters, types and bindings.
#include "model/abstractdisplayableitem.h"

#include "model/buttonlistparameter.h"
#include "model/zxboolparameter.h"
#include "model/zxfloatparameter.h"
#include "model/zxintparameter.h"
#include "model/zxlistparameter.h"
#include "model/zxvariantparameter.h"

#include <QDebug>
#include <QDomDocument>
#include <QDomElement>
#include <QMetaClassInfo>

#include <algorithm>
#include <cmath>

namespace {

QString childText(const QDomElement &parent, const QString &tag)
{
    return parent.firstChildElement(tag).text();
}

unsigned childUnsigned(const QDomElement &parent, const QString &tag)
{
    return childText(parent, tag).trimmed().toUInt();
}

float childFloat(const QDomElement &parent, const QString &tag)
{
    return float(childText(parent, tag).trimmed().toDouble());
}

// Decimals that show one step of the multiplier. A negative, infinite or absurd multiplier in a
// description must not make a nonsense count (or an undefined conversion).
int floatPrecision(float multiplier)
{
    const double digits = std::ceil(1.0 + std::log10(1.0 / std::fabs(double(multiplier))));
    return std::isfinite(digits) ? int(std::clamp(digits, 0.0, 15.0)) : -1;
}

const QString AvailableAttribute = QStringLiteral("available");

bool isChildElement(const QDomElement &e)
{
    return e.tagName() == QLatin1String("func");
}

} // namespace

QDomElement AbstractDisplayableItem::findSubTypeNode(const QString &typeName,
                                                     const QDomElement &func)
{
    const QDomElement types = func.firstChildElement(QStringLiteral("types"));
    for (QDomElement type = types.firstChildElement(QStringLiteral("type")); !type.isNull();
         type = type.nextSiblingElement(QStringLiteral("type"))) {
        if (type.attribute(QStringLiteral("key")) == typeName)
            return type;
    }
    return QDomElement();
}

ZxParameter *AbstractDisplayableItem::createBasicType(const QString &typeName,
                                                      const QDomElement &node,
                                                      ParameterBinding *binding)
{
    if (typeName == QLatin1String("int"))
        return new ZxIntParameter;
    if (typeName == QLatin1String("float"))
        return new ZxFloatParameter;
    if (typeName == QLatin1String("bool"))
        return new ZxBoolParameter;
    ZxListParameter *list = nullptr;
    if (typeName == QLatin1String("list"))
        list = new ZxListParameter;
    else if (typeName == QLatin1String("buttonlist"))
        list = new ButtonListParameter;
    if (!list)
        return nullptr;
    const QDomElement items = node.firstChildElement(QStringLiteral("list"));
    bool ok = false;
    const uint minimum = items.attribute(QStringLiteral("minsize")).toUInt(&ok);
    QStringList texts;
    for (QDomElement value = items.firstChildElement(QStringLiteral("value")); !value.isNull();
         value = value.nextSiblingElement(QStringLiteral("value")))
        texts << value.text();
    list->setItems(texts);
    if (ok)
        list->setMinimumContentsLength(int(minimum));
    binding->multiplier = 1.0f;
    binding->adder = 0.0f;
    return list;
}

void AbstractDisplayableItem::initParametersFromDescription(const QDomElement &func)
{
    // ranges="j1939": the group follows SAE J1939-71's error and not-available ranges.
    const bool saeRanges = func.attribute(QStringLiteral("ranges")) == QLatin1String("j1939");
    for (QDomElement param = func.firstChildElement(QStringLiteral("param")); !param.isNull();
         param = param.nextSiblingElement(QStringLiteral("param"))) {
        const QString typeName = param.attribute(QStringLiteral("type"));
        const QDomElement typeNode = findSubTypeNode(typeName, func);
        const QDomElement scaling = typeNode.isNull() ? param : typeNode;
        const QDomElement startByte = param.firstChildElement(QStringLiteral("startbyte"));

        ParameterBinding binding;
        binding.bigEndian = startByte.attribute(QStringLiteral("endian"), QStringLiteral("little"))
                            == QLatin1String("big");
        binding.startByte = startByte.text().trimmed().toUInt();
        binding.startBit = int(childUnsigned(param, QStringLiteral("startbit")));
        binding.bitLength = int(childUnsigned(scaling, QStringLiteral("bitlength")));
        binding.multiplier = childFloat(scaling, QStringLiteral("multiplier"));
        binding.adder = childFloat(scaling, QStringLiteral("adder"));
        binding.saeRanges = saeRanges;

        ZxParameter *parameter = createBasicType(typeName, param, &binding);
        if (!parameter && !typeNode.isNull())
            parameter = createBasicType(typeNode.attribute(QStringLiteral("basetype")), typeNode,
                                        &binding);
        if (!parameter)
            continue;
        if (auto *f = dynamic_cast<ZxFloatParameter *>(parameter)) {
            if (binding.multiplier != 0.0f)
                f->setDecimals(floatPrecision(binding.multiplier));
        }
        parameter->setSuffix(childText(scaling, QStringLiteral("suffix")));
        parameter->setDescription(childText(param, QStringLiteral("description")));
        const QString name = childText(param, QStringLiteral("name"));
        QString id = childText(param, QStringLiteral("shortname"));
        if (id.isEmpty())
            id = name;
        if (param.attribute(QStringLiteral("hidden")) == QLatin1String("true"))
            parameter->setHidden(true);
        if (!startByte.isNull()) {
            if (binding.bigEndian)
                qDebug("Parameter %s is BIGENDIAN", qUtf8Printable(name));
            setBinding(parameter, binding);
        }
        addParameter(parameter, name, id);
    }
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
    QDomDocument doc = element.ownerDocument();
    QDomElement param = element.firstChildElement(QStringLiteral("param"));
    for (const ZxParameter *p : qAsConst(m_parameters)) {
        if (param.isNull()) {
            param = doc.createElement(QStringLiteral("param"));
            element.appendChild(param);
        }
        const QVariant value = p->variantValue();
        if (!value.isNull()) {
            QDomElement init = param.firstChildElement(QStringLiteral("init"));
            if (init.isNull()) {
                init = doc.createElement(QStringLiteral("init"));
                param.appendChild(init);
            }
            while (init.hasChildNodes())
                init.removeChild(init.firstChild());
            // Tagged values keep their type in the text ("C5", "F10.5").
            const auto *tagged = p->type() == ZxParameter::Variant
                                     ? static_cast<const ZxVariantParameter *>(p)
                                     : nullptr;
            init.appendChild(
                doc.createTextNode(tagged ? tagged->value().toString(9) : value.toString()));
            // The raw value of a "not available" parameter is kept, but marked: it must not
            // come back as a real reading.
            if (p->isValid())
                init.removeAttribute(AvailableAttribute);
            else
                init.setAttribute(AvailableAttribute, QStringLiteral("false"));
        }
        param = param.nextSiblingElement(QStringLiteral("param"));
    }
}

void AbstractDisplayableItem::restoreParameterValues(const QDomElement &element)
{
    QDomElement param = element.firstChildElement(QStringLiteral("param"));
    for (ZxParameter *p : qAsConst(m_parameters)) {
        if (param.isNull())
            break;
        const QDomElement init = param.firstChildElement(QStringLiteral("init"));
        if (!init.isNull()) {
            p->setVariantValue(QVariant(init.text()));
            if (init.attribute(AvailableAttribute) == QLatin1String("false"))
                p->setValid(false);
        }
        param = param.nextSiblingElement(QStringLiteral("param"));
    }
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
