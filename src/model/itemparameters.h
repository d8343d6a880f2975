#pragma once

#include "model/parameterbinding.h"

#include <QHash>
#include <QList>
#include <QString>

#include <utility>
#include <vector>

class QDomElement;
class QIODevice;
class QStringList;
class ZxParameter;
class ZxIntParameter;
class ZxBoolParameter;
class ZxFloatParameter;
class ZxListParameter;
class ZxStringParameter;

// The parameters of a scheme item: the list in display order, the index by identifier and, for
// description-driven items, the binding of each parameter to its payload field. Owns the
// parameters; lives with its item in the bus thread.
class ItemParameters
{
public:
    ItemParameters() = default;
    ~ItemParameters() { clear(); }
    ItemParameters(const ItemParameters &) = delete;
    ItemParameters &operator=(const ItemParameters &) = delete;

    void add(ZxParameter *parameter, const QString &name, const QString &id);
    ZxIntParameter *addInt(const QString &name, const QString &id);
    ZxBoolParameter *addBool(const QString &name, const QString &id);
    ZxFloatParameter *addFloat(const QString &name, const QString &id);
    ZxStringParameter *addString(const QString &name, const QString &id);
    ZxListParameter *addList(const QString &name, const QString &id, const QStringList &items);
    // Deletes every parameter.
    void clear();
    const QList<ZxParameter *> &list() const { return m_list; }
    bool isEmpty() const { return m_list.isEmpty(); }
    ZxParameter *find(const QString &id) const { return m_index.value(id, nullptr); }
    // The parameter at that position when it is of that type (one of the five basic types),
    // else null.
    template<typename T>
    T *at(int index) const;
    // An identifier the parameter log and the plots accept: separators become '_'.
    static QString sanitizeId(QString id);

    void setBinding(ZxParameter *parameter, const ParameterBinding &binding);
    const ParameterBinding *binding(const ZxParameter *parameter) const;
    // The same, trying the position `hint` holds first and leaving the one found there: for
    // callers that ask for the same parameters again and again.
    const ParameterBinding *binding(const ZxParameter *parameter, int *hint) const
    {
        const size_t at = size_t(*hint);
        if (at < m_bindings.size() && m_bindings[at].first == parameter)
            return &m_bindings[at].second;
        return findBinding(parameter, hint);
    }
    // Every bound parameter from a payload, and into one.
    void decode(const quint8 *payload) const;
    void encode(quint8 *payload) const;

    // "key=value" of each parameter shown, separated by blanks.
    QString text() const;
    // A parameter's field in the parameter log: empty while it has no value.
    static QString logText(const ZxParameter *parameter, bool awaitsData);
    void dumpIds(QIODevice *device, const QString &prefix) const;
    void dumpValues(QIODevice *device, bool awaitsData) const;

    // Parameters and bindings from the <param> children of a description element.
    void readDescription(const QDomElement &func);
    static QDomElement findSubTypeNode(const QString &typeName, const QDomElement &func);
    static ZxParameter *createBasicType(const QString &typeName, const QDomElement &node,
                                        ParameterBinding *binding);
    // The values as <param><init> children of a scheme element, and back.
    void saveValues(QDomElement &element) const;
    void restoreValues(const QDomElement &element);

private:
    const ParameterBinding *findBinding(const ZxParameter *parameter, int *hint) const;

    QList<ZxParameter *> m_list;
    QHash<QString, ZxParameter *> m_index;
    std::vector<ParameterBinding::Bound> m_bindings;
};
