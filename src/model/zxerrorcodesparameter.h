#pragma once

#include "model/zxparameter.h"

#include <QList>
#include <QPair>

// Six error-code bytes of a controller; codes up to the first 0xFF are active.
class ZxErrorCodesParameter : public ZxParameter
{
public:
    static constexpr int CodeCount = 6;

    ZxErrorCodesParameter();

    Type type() const override { return ErrorCodes; }
    QString toString() const override;
    void updateWidgetValue(QWidget *widget) override;
    void updateFromWidget(QWidget *widget) override;
    bool save(QDataStream &stream) const override;
    bool restore(QDataStream &stream) override;

    void setCodes(const unsigned char *codes);
    void getCodes(unsigned char *codes) const;
    // Known codes with their texts (from the translation catalogue).
    static const QList<QPair<int, QString>> &texts();

protected:
    QWidget *createWidgetImpl(bool *ok, const char **changedSignal) override;

private:
    // The six bytes packed into one word, so readers on another thread see them whole.
    std::atomic<quint64> m_codes;
};
