#pragma once

#include "model/descriptiontext.h"
#include "model/guardedvalue.h"

#include <QByteArray>
#include <QDataStream>
#include <QIcon>
#include <QString>
#include <QVariant>

class QWidget;
class ZxParameterLink;

// One named, typed value of an item: prints itself, edits itself in a widget and streams itself.
// Values cross threads (bus thread writes, GUI reads) through GuardedValue; name, id, label,
// description and suffix are set while the item is built, before it is shared.
class ZxParameter
{
public:
    enum Type {
        None = 0,
        Int = 1,
        Float = 2,
        List = 3,
        Bool = 4,
        Joystick = 6,
        Variant = 7,
        SaeJoystick = 9,
        String = 10,
        ErrorCodes = 11,
    };

    ZxParameter() = default;
    virtual ~ZxParameter();

    virtual Type type() const { return None; }
    virtual QString toString() const = 0;
    // Appends toString()'s text in Latin-1 when it is a number (nothing a CSV field must quote)
    // and returns true; false leaves it to toString(). Logs of many values take this way.
    virtual bool appendNumberText(QByteArray *) const { return false; }
    virtual void updateWidgetValue(QWidget *widget) = 0;
    virtual void updateFromWidget(QWidget *widget) = 0;
    virtual bool save(QDataStream &stream) const;
    virtual bool restore(QDataStream &stream);
    virtual QVariant variantValue() const;
    virtual bool setVariantValue(const QVariant &value);
    // The value as a number and from one, as variantValue().toDouble() and
    // setVariantValue(double) give it; the numeric types skip the QVariant, since decoding sets
    // and the bus check reads every parameter of every frame.
    virtual bool setNumber(double value) { return setVariantValue(value); }
    virtual bool toNumber(double *value) const
    {
        bool ok = false;
        *value = variantValue().toDouble(&ok);
        return ok;
    }
    virtual ZxParameterLink *createDefaultLink();

    QWidget *createWidget(const char **changedSignal);
    QWidget *createWidget(bool *ok, const char **changedSignal);

    // What a value that is not available reads as, in every view ("n/a", translated), and one
    // the sender flags as an error ("error").
    static QString notAvailableText();
    static QString errorText();
    // The text of a value that is not valid: "error" for an error indicator, else "n/a".
    QString invalidText() const { return isError() ? errorText() : notAvailableText(); }

    bool isValid() const { return m_valid.load(std::memory_order_relaxed); }
    // A stored value makes it valid and clears the error indicator.
    void setValid(bool valid)
    {
        if (valid)
            m_error.store(false, std::memory_order_relaxed);
        m_valid.store(valid, std::memory_order_relaxed);
    }
    // Not valid because the sender reported an error (SAE J1939-71 error indicator).
    bool isError() const { return m_error.load(std::memory_order_relaxed); }
    void setError()
    {
        m_error.store(true, std::memory_order_relaxed);
        m_valid.store(false, std::memory_order_relaxed);
    }
    bool isHidden() const { return m_hidden; }
    void setHidden(bool hidden) { m_hidden = hidden; }
    QString name() const { return m_name; }
    void setName(const QString &name) { m_name = name; }
    QString id() const { return m_id; }
    void setId(const QString &id) { m_id = id; }
    // The id, or the name when the id is empty.
    QString key() const { return m_id.isEmpty() ? m_name : m_id; }
    // key() == k without copying the key.
    bool hasKey(const QString &k) const { return (m_id.isEmpty() ? m_name : m_id) == k; }
    // What a form calls the value: the label when one is set, else the name. A short name
    // ("IDC") stays what files and scripts know the value by; the label reads as words.
    QString label() const
    {
        return m_label.isEmpty() ? DescriptionText::translated(m_name) : m_label;
    }
    void setLabel(const QString &label) { m_label = label; }
    QString description() const { return m_description; }
    // The editor's tool tip: the description, or the name when there is none.
    QString toolTipText() const
    {
        return DescriptionText::translated(m_description.isEmpty() ? m_name : m_description);
    }
    void setDescription(const QString &description) { m_description = description; }
    // For a value known by a short key ("MAKE"): its words as both label and description.
    void setWords(const QString &words)
    {
        m_label = words;
        m_description = words;
    }
    QString suffix() const { return m_suffix; }
    void setSuffix(const QString &suffix) { m_suffix = suffix; }
    QIcon icon() const { return m_icon; }
    void setIcon(const QIcon &icon) { m_icon = icon; }

protected:
    virtual QWidget *createWidgetImpl(bool *ok, const char **changedSignal) = 0;
    static bool streamOk(const QDataStream &stream) { return stream.status() == QDataStream::Ok; }

private:
    ZxParameter(const ZxParameter &) = delete;
    ZxParameter &operator=(const ZxParameter &) = delete;

    std::atomic<bool> m_valid{true};
    std::atomic<bool> m_error{false};
    bool m_hidden = false;
    QString m_name;
    QString m_id;
    QString m_label;
    QString m_description;
    QString m_suffix;
    QIcon m_icon;
};

// A parameter holding one value of type T.
template<typename T>
class ZxTemplateParameter : public ZxParameter
{
public:
    explicit ZxTemplateParameter(T initial = T())
        : m_value(initial)
    {}
    T value() const { return m_value.load(); }
    void setValue(const T &value) { m_value.store(value); }

private:
    GuardedValue<T> m_value;
};

// A parameter of a plain value type with its stream form and variant conversion.
template<typename T, int TypeCode>
class ZxPodParameter : public ZxTemplateParameter<T>
{
public:
    using ZxTemplateParameter<T>::ZxTemplateParameter;

    ZxParameter::Type type() const override { return ZxParameter::Type(TypeCode); }
    QString toString() const override { return QVariant::fromValue(this->value()).toString(); }
    bool save(QDataStream &stream) const override
    {
        stream << this->value();
        return ZxParameter::streamOk(stream);
    }
    bool restore(QDataStream &stream) override
    {
        T v{};
        stream >> v;
        if (!ZxParameter::streamOk(stream))
            return false;
        this->setValue(v);
        this->setValid(true);
        return true;
    }
    QVariant variantValue() const override { return QVariant::fromValue(this->value()); }
};

// Points null out-arguments of editor creation at the caller's stand-ins and clears both.
void prepareEditorOutArgs(bool *&ok, const char **&changedSignal, bool *okStandIn,
                          const char **signalStandIn);

// Each byte as two lower-case hex digits, separated by single blanks.
QString bytesToHex(const unsigned char *data, unsigned int length);
QString bytesToHex(const QByteArray &data);
