#pragma once

#include <QPointF>
#include <QWidget>

// A square field with a knob: dragging the mouse moves the knob and reports its position in
// screen coordinates, each axis in [-1, 1] (x to the right, y downwards).
class JoystickPad : public QWidget
{
    Q_OBJECT

public:
    explicit JoystickPad(QWidget *parent = nullptr);

    QPointF position() const { return m_position; }
    // Moves the knob without reporting it.
    void setPosition(const QPointF &position);
    QSize sizeHint() const override { return QSize(96, 96); }

signals:
    void moved(const QPointF &position);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    void moveTo(const QPoint &pixel);
    // The round field: the largest square that fits, centred.
    QRectF field() const;

    QPointF m_position;
};
