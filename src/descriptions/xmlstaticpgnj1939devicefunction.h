#pragma once

#include "model/staticpgnj1939devicefunction.h"

#include <QList>
#include <QVector>

class ItemScript;
class J1939Device;
class QDomElement;

// A J1939 function described by a <func> element: parameters bound to the payload, an optional
// summary text, editor layout and script.
class XmlStaticPgnJ1939DeviceFunction : public StaticPgnJ1939DeviceFunction
{
    Q_OBJECT

public:
    Q_INVOKABLE XmlStaticPgnJ1939DeviceFunction(const QString &xml, J1939Device *device = nullptr);
    explicit XmlStaticPgnJ1939DeviceFunction(const QDomElement &func);
    ~XmlStaticPgnJ1939DeviceFunction() override;

    void transmitState() override;
    void saveItemToXmlNodeImpl(QDomElement &element) override;
    QString textDataImpl() const override;
    bool dispatchMessageImpl(const CanMessage &message, DispatchResult *result) override;
    AbstractSchemeTreeItem *createTreeItem() override;

    QString widgetXml() const { return m_widgetXml; }
    QString descriptionXml() const { return m_descriptionXml; }
    QString textFormat() const { return m_textFormat; }
    const QList<QVector<int>> &textGroups() const { return m_textGroups; }
    bool hasScript() const { return m_script != nullptr; }
    ItemScript *script() const { return m_script; }

private:
    // `xml` is the description as written back (the scheme file keeps it).
    void init(const QDomElement &func, const QString &xml);

    QString m_widgetXml;
    QString m_descriptionXml;
    QString m_textFormat;
    QList<QVector<int>> m_textGroups;
    ItemScript *m_script = nullptr;
};

// Writes an element out as XML text with an indent of 2.
QString elementToXml(const QDomElement &element);
