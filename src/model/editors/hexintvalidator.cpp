#include "model/editors/hexintvalidator.h"

HexIntValidator::HexIntValidator(int maxDigits, QObject *parent)
    : QValidator(parent)
    , m_maxDigits(maxDigits)
{}

void HexIntValidator::fixup(QString &input) const
{
    QString s = input;
    if (s.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        s.remove(0, 2);
    QString out;
    for (const QChar c : qAsConst(s)) {
        if (out.size() >= m_maxDigits)
            break;
        const bool hexLetter = (c >= QLatin1Char('a') && c <= QLatin1Char('f'))
                               || (c >= QLatin1Char('A') && c <= QLatin1Char('F'));
        if (c.isDigit() || hexLetter)
            out += c;
    }
    input = out;
}

QValidator::State HexIntValidator::validate(QString &input, int &pos) const
{
    fixup(input);
    pos = std::min(pos, int(input.size()));
    if (input.isEmpty())
        return Acceptable;
    bool ok = false;
    input.toULongLong(&ok, 16);
    return ok ? Acceptable : Invalid;
}
