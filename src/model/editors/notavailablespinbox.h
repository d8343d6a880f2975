#pragma once

#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QSpinBox>

#include <utility>

// Editors whose value may be missing: they show a text ("n/a", "error") in its place, or a state
// that says so (a partly checked box), whatever their type. An empty text shows the value.
class NotAvailableDisplay
{
public:
    virtual ~NotAvailableDisplay() = default;
    bool isNotAvailable() const { return !unavailableText().isEmpty(); }
    virtual QString unavailableText() const = 0;
    virtual void setUnavailableText(const QString &text) = 0;
};

// A spin box that reads "n/a" (or "error") instead of a believable number while its parameter
// has no valid value, until the user steps or types a value of their own.
template<typename Base>
class NotAvailableSpinBox : public Base, public NotAvailableDisplay
{
public:
    using Value = decltype(std::declval<const Base &>().value());

    explicit NotAvailableSpinBox(QWidget *parent = nullptr)
        : Base(parent)
    {
        QObject::connect(this->lineEdit(), &QLineEdit::textEdited, this,
                         [this] { m_text.clear(); });
    }

    QString unavailableText() const override { return m_text; }
    void setUnavailableText(const QString &text) override
    {
        if (m_text == text)
            return;
        m_text = text;
        this->lineEdit()->setText(this->prefix() + this->textFromValue(this->value())
                                  + this->suffix());
    }

    void stepBy(int steps) override
    {
        m_text.clear();
        Base::stepBy(steps);
    }

protected:
    QString textFromValue(Value value) const override
    {
        return m_text.isEmpty() ? Base::textFromValue(value) : m_text;
    }
    Value valueFromText(const QString &text) const override
    {
        return isUnavailableText(text) ? this->value() : Base::valueFromText(text);
    }
    QValidator::State validate(QString &text, int &pos) const override
    {
        return isUnavailableText(text) ? QValidator::Acceptable : Base::validate(text, pos);
    }

private:
    bool isUnavailableText(const QString &text) const
    {
        return !m_text.isEmpty()
               && (text == m_text || text == this->prefix() + m_text + this->suffix());
    }

    QString m_text;
};

using NotAvailableIntSpinBox = NotAvailableSpinBox<QSpinBox>;
using NotAvailableDoubleSpinBox = NotAvailableSpinBox<QDoubleSpinBox>;
