#pragma once

#include "model/zxparameter.h"

#include <QStringList>

// Index into a list of texts. Editor: combo box.
class ZxListParameter : public ZxTemplateParameter<int>
{
public:
    explicit ZxListParameter(const QStringList &items = QStringList(),
                             int minimumContentsLength = 0);

    Type type() const override { return List; }
    QString toString() const override
    {
        return isValid() ? QString::number(value()) : invalidText();
    }
    bool appendNumberText(QByteArray *out) const override;
    void updateWidgetValue(QWidget *widget) override;
    void updateFromWidget(QWidget *widget) override;
    bool save(QDataStream &stream) const override;
    bool restore(QDataStream &stream) override;
    QVariant variantValue() const override { return value(); }
    bool setVariantValue(const QVariant &value) override;
    bool setNumber(double value) override;
    bool toNumber(double *value) const override
    {
        *value = double(this->value());
        return true;
    }

    QStringList items() const { return m_items; }
    void setItems(const QStringList &items) { m_items = items; }
    // Text of the current entry, or the index when it is outside the list.
    QString currentText() const;
    int minimumContentsLength() const { return m_minimumContentsLength; }
    void setMinimumContentsLength(int length) { m_minimumContentsLength = length; }

protected:
    QWidget *createWidgetImpl(bool *ok, const char **changedSignal) override;

private:
    int m_minimumContentsLength = 0;
    QStringList m_items;
};
