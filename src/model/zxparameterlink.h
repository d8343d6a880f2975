#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

class AbstractDisplayableItem;
class QWidget;
class ZxParameter;

// Ties one parameter of one item to its editor widgets: fills them, takes edits back, transmits
// at once for committing items in Send, and keeps the widgets read-only otherwise. GUI thread.
class ZxParameterLink : public QObject
{
    Q_OBJECT

public:
    static constexpr int RefreshEventType = 184;

    ZxParameterLink(ZxParameter *parameter, QObject *parent);

    void setDisplayable(AbstractDisplayableItem *item);
    AbstractDisplayableItem *displayable() const { return m_item; }
    ZxParameter *parameter() const { return m_parameter; }
    QWidget *createWidget(bool *ok, const char **changedSignal);
    QWidget *createWidget(const char **changedSignal);
    void doUpdate();
    int widgetCount() const;
    static ZxParameterLink *get(QObject *widget);

    bool eventFilter(QObject *watched, QEvent *event) override;

    virtual void updateWidgetValue(QWidget *widget);
    virtual void updateFromWidget(QWidget *widget);

public slots:
    void slotUpdateParameterFromValue();

protected:
    virtual QWidget *createWidgetImpl(bool *ok, const char **changedSignal);

private:
    bool itemIsSending() const;
    bool itemAwaitsData() const;

    ZxParameter *m_parameter;
    AbstractDisplayableItem *m_item = nullptr;
    int m_lastState = 0;
    Qt::FocusPolicy m_savedFocusPolicy = Qt::StrongFocus;
    QList<QPointer<QWidget>> m_widgets;
    bool m_updating = false;
};
