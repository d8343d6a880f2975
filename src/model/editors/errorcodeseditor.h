#pragma once

#include <QWidget>

#include <array>

class QLineEdit;

// Six hexadecimal byte fields of a controller's error codes; 0xFF ends the list.
class ErrorCodesEditor : public QWidget
{
    Q_OBJECT

public:
    static constexpr int CodeCount = 6;

    explicit ErrorCodesEditor(QWidget *parent = nullptr);

    void setCodes(const unsigned char *codes);
    void codes(unsigned char *codes) const;

signals:
    void valueChanged();

private:
    std::array<QLineEdit *, CodeCount> m_fields{};
    bool m_setting = false;
};
