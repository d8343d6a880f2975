#pragma once

#include <QValidator>

// Accepts up to a fixed number of hexadecimal digits, with an optional "0x" that is dropped.
class HexIntValidator : public QValidator
{
    Q_OBJECT

public:
    HexIntValidator(int maxDigits, QObject *parent = nullptr);

    void fixup(QString &input) const override;
    State validate(QString &input, int &pos) const override;
    int maxDigits() const { return m_maxDigits; }

private:
    int m_maxDigits;
};
