#include "model/itemparameters.h"

#include "model/buttonlistparameter.h"
#include "model/zxboolparameter.h"
#include "model/zxfloatparameter.h"
#include "model/zxintparameter.h"
#include "model/zxlistparameter.h"
#include "model/zxstringparameter.h"
#include "model/zxvariantparameter.h"

#include <QDebug>
#include <QDomDocument>
#include <QDomElement>
#include <QIODevice>

#include <algorithm>
#include <cmath>
#include <typeinfo>

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

} // namespace

void ItemParameters::add(ZxParameter *parameter, const QString &name, const QString &id)
{
    parameter->setName(name);
    parameter->setId(id);
    m_list.append(parameter);
    m_index.insert(id.isEmpty() ? name : id, parameter);
}

template<typename T>
static T *added(ItemParameters *parameters, T *parameter, const QString &name, const QString &id)
{
    parameters->add(parameter, name, id);
    return parameter;
}

ZxIntParameter *ItemParameters::addInt(const QString &name, const QString &id)
{
    return added(this, new ZxIntParameter, name, id);
}

ZxBoolParameter *ItemParameters::addBool(const QString &name, const QString &id)
{
    return added(this, new ZxBoolParameter, name, id);
}

ZxFloatParameter *ItemParameters::addFloat(const QString &name, const QString &id)
{
    return added(this, new ZxFloatParameter, name, id);
}

ZxStringParameter *ItemParameters::addString(const QString &name, const QString &id)
{
    return added(this, new ZxStringParameter, name, id);
}

ZxListParameter *ItemParameters::addList(const QString &name, const QString &id,
                                         const QStringList &items)
{
    return added(this, new ZxListParameter(items), name, id);
}

template<typename T>
T *ItemParameters::at(int index) const
{
    if (index < 0 || index >= m_list.size())
        return nullptr;
    // Items decoding by hand ask for their parameters with every frame: a parameter of exactly
    // that type is told by its type alone, without a dynamic_cast's walk.
    ZxParameter *p = m_list.at(index);
    if (p && typeid(*p) == typeid(T))
        return static_cast<T *>(p);
    return dynamic_cast<T *>(p);
}

template ZxIntParameter *ItemParameters::at<ZxIntParameter>(int) const;
template ZxBoolParameter *ItemParameters::at<ZxBoolParameter>(int) const;
template ZxFloatParameter *ItemParameters::at<ZxFloatParameter>(int) const;
template ZxListParameter *ItemParameters::at<ZxListParameter>(int) const;
template ZxStringParameter *ItemParameters::at<ZxStringParameter>(int) const;

void ItemParameters::clear()
{
    m_bindings.clear();
    qDeleteAll(m_list);
    m_list.clear();
    m_index.clear();
}

QString ItemParameters::sanitizeId(QString id)
{
    static const QString special = QStringLiteral(":,;\\/+-.* ");
    for (QChar &c : id) {
        if (special.contains(c))
            c = QLatin1Char('_');
    }
    return id;
}

void ItemParameters::setBinding(ZxParameter *parameter, const ParameterBinding &binding)
{
    for (auto &entry : m_bindings) {
        if (entry.first == parameter) {
            entry.second = binding;
            return;
        }
    }
    m_bindings.emplace_back(parameter, binding);
}

const ParameterBinding *ItemParameters::binding(const ZxParameter *parameter) const
{
    for (const auto &entry : m_bindings) {
        if (entry.first == parameter)
            return &entry.second;
    }
    return nullptr;
}

const ParameterBinding *ItemParameters::findBinding(const ZxParameter *parameter, int *hint) const
{
    for (size_t i = 0; i < m_bindings.size(); ++i) {
        if (m_bindings[i].first == parameter) {
            *hint = int(i);
            return &m_bindings[i].second;
        }
    }
    return nullptr;
}

void ItemParameters::decode(const quint8 *payload) const
{
    ParameterBinding::decodeEach(m_bindings, payload);
}

void ItemParameters::encode(quint8 *payload) const
{
    for (const auto &entry : m_bindings)
        entry.second.encode(payload, entry.first);
}

QString ItemParameters::text() const
{
    QString out;
    for (const ZxParameter *p : m_list) {
        if (p->isHidden())
            continue;
        if (!out.isEmpty())
            out += QLatin1Char(' ');
        const QString key = p->key();
        if (!key.isEmpty()) {
            out += key;
            out += QLatin1Char('=');
        }
        out += p->toString();
    }
    return out;
}

QString ItemParameters::logText(const ZxParameter *parameter, bool awaitsData)
{
    return awaitsData || !parameter->isValid() ? QString() : parameter->toString();
}

void ItemParameters::dumpIds(QIODevice *device, const QString &prefix) const
{
    for (const ZxParameter *p : m_list) {
        device->write(",");
        device->write(sanitizeId(prefix + p->name()).toLatin1());
    }
}

void ItemParameters::dumpValues(QIODevice *device, bool awaitsData) const
{
    for (const ZxParameter *p : m_list) {
        device->write(",");
        device->write(logText(p, awaitsData).toLatin1());
    }
}

// --- Description files ----------------------------------------------------------------------

QDomElement ItemParameters::findSubTypeNode(const QString &typeName, const QDomElement &func)
{
    const QDomElement types = func.firstChildElement(QStringLiteral("types"));
    for (QDomElement type = types.firstChildElement(QStringLiteral("type")); !type.isNull();
         type = type.nextSiblingElement(QStringLiteral("type"))) {
        if (type.attribute(QStringLiteral("key")) == typeName)
            return type;
    }
    return QDomElement();
}

ZxParameter *ItemParameters::createBasicType(const QString &typeName, const QDomElement &node,
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

void ItemParameters::readDescription(const QDomElement &func)
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
        add(parameter, name, id);
    }
}

// --- Scheme files ---------------------------------------------------------------------------

void ItemParameters::saveValues(QDomElement &element) const
{
    QDomDocument doc = element.ownerDocument();
    QDomElement param = element.firstChildElement(QStringLiteral("param"));
    for (const ZxParameter *p : m_list) {
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

void ItemParameters::restoreValues(const QDomElement &element)
{
    QDomElement param = element.firstChildElement(QStringLiteral("param"));
    for (ZxParameter *p : qAsConst(m_list)) {
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
}
