#include "ui/editors/hexaddressdialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int MaxDigits = 8;

bool isHexDigit(QChar c)
{
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
           || (c >= QLatin1Char('a') && c <= QLatin1Char('f'))
           || (c >= QLatin1Char('A') && c <= QLatin1Char('F'));
}

int digitsFor(quint32 maximum)
{
    int digits = 2;
    while (digits < MaxDigits && (maximum >> (digits * 4)) != 0)
        digits += 2;
    return digits;
}

} // namespace

HexAddressDialog::HexAddressDialog(const QString &title, const QString &label, quint32 value,
                                   quint32 maximum, QWidget *parent)
    : QDialog(parent)
    , m_maximum(maximum)
{
    setWindowTitle(title);
    setObjectName(QStringLiteral("hexAddressDialog"));
    m_edit = new QLineEdit(format(std::min(value, maximum), maximum), this);
    m_edit->setObjectName(QStringLiteral("addressEdit"));
    m_edit->setMaxLength(MaxDigits + 4);
    m_edit->selectAll();
    m_range = new QLabel(
        tr("Hexadecimal, %1 to %2").arg(format(0, maximum), format(maximum, maximum)), this);
    m_range->setObjectName(QStringLiteral("addressRangeLabel"));
    auto *form = new QFormLayout;
    form->addRow(label, m_edit);
    form->addRow(QString(), m_range);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_edit, &QLineEdit::textChanged, this, &HexAddressDialog::textChanged);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    textChanged();
}

bool HexAddressDialog::parse(const QString &text, quint32 maximum, quint32 *value)
{
    QString digits = text.trimmed();
    if (digits.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        digits.remove(0, 2);
    if (digits.isEmpty() || digits.size() > MaxDigits)
        return false;
    for (const QChar c : qAsConst(digits)) {
        if (!isHexDigit(c))
            return false;
    }
    bool ok = false;
    const quint32 parsed = digits.toUInt(&ok, 16);
    if (!ok || parsed > maximum)
        return false;
    if (value)
        *value = parsed;
    return true;
}

QString HexAddressDialog::format(quint32 value, quint32 maximum)
{
    // Lower case, as the window writes addresses elsewhere.
    return QStringLiteral("0x%1").arg(value, digitsFor(maximum), 16, QLatin1Char('0'));
}

quint32 HexAddressDialog::value() const
{
    quint32 v = 0;
    return parse(m_edit->text(), m_maximum, &v) ? v : 0;
}

bool HexAddressDialog::hasAcceptableInput() const
{
    return parse(m_edit->text(), m_maximum, nullptr);
}

void HexAddressDialog::textChanged()
{
    const bool acceptable = hasAcceptableInput();
    m_ok->setEnabled(acceptable);
    // The range turns red while the text is no address inside it.
    m_range->setStyleSheet(acceptable ? QString() : QStringLiteral("color: red"));
}
