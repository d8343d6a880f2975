#include "model/editors/errorcodeseditor.h"

#include "model/editors/hexintvalidator.h"

#include <QHBoxLayout>
#include <QLineEdit>

ErrorCodesEditor::ErrorCodesEditor(QWidget *parent)
    : QWidget(parent)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    for (int i = 0; i < CodeCount; ++i) {
        auto *field = new QLineEdit(this);
        field->setObjectName(QStringLiteral("code%1").arg(i));
        field->setValidator(new HexIntValidator(2, field));
        field->setMaximumWidth(40);
        connect(field, &QLineEdit::textChanged, this, [this] {
            if (!m_setting)
                emit valueChanged();
        });
        layout->addWidget(field);
        m_fields[size_t(i)] = field;
    }
}

void ErrorCodesEditor::setCodes(const unsigned char *codes)
{
    m_setting = true;
    for (int i = 0; i < CodeCount; ++i)
        m_fields[size_t(i)]->setText(QStringLiteral("%1").arg(codes[i], 2, 16, QLatin1Char('0')));
    m_setting = false;
}

void ErrorCodesEditor::codes(unsigned char *codes) const
{
    for (int i = 0; i < CodeCount; ++i) {
        bool ok = false;
        const uint v = m_fields[size_t(i)]->text().toUInt(&ok, 16);
        codes[i] = ok ? quint8(v) : 0xFF;
    }
}
