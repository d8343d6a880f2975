#include "machine/editors/joystickpad.h"

#include <QMouseEvent>
#include <QPainter>

JoystickPad::JoystickPad(QWidget *parent)
    : QWidget(parent)
{
    // A narrow layout must not squash the field into an ellipse: it keeps its size, and draws
    // itself round in the middle of whatever it gets.
    setMinimumSize(sizeHint());
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QRectF JoystickPad::field() const
{
    const qreal side = qMin(width(), height()) - 4;
    QRectF square(0, 0, side, side);
    square.moveCenter(QRectF(rect()).center());
    return square;
}

void JoystickPad::setPosition(const QPointF &position)
{
    m_position = QPointF(qBound(-1.0, position.x(), 1.0), qBound(-1.0, position.y(), 1.0));
    update();
}

void JoystickPad::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area = field();
    painter.setPen(palette().color(QPalette::Mid));
    painter.setBrush(palette().color(QPalette::Base));
    painter.drawEllipse(area);
    painter.drawLine(QPointF(area.center().x(), area.top()),
                     QPointF(area.center().x(), area.bottom()));
    painter.drawLine(QPointF(area.left(), area.center().y()),
                     QPointF(area.right(), area.center().y()));
    const QPointF knob(area.center().x() + m_position.x() * area.width() / 2,
                       area.center().y() + m_position.y() * area.height() / 2);
    painter.setBrush(isEnabled() ? palette().color(QPalette::Highlight)
                                 : palette().color(QPalette::Mid));
    painter.drawEllipse(knob, 6, 6);
}

void JoystickPad::mousePressEvent(QMouseEvent *event)
{
    moveTo(event->pos());
}

void JoystickPad::mouseMoveEvent(QMouseEvent *event)
{
    if (event->buttons() & Qt::LeftButton)
        moveTo(event->pos());
}

void JoystickPad::moveTo(const QPoint &pixel)
{
    const QRectF area = field();
    if (area.width() <= 0 || area.height() <= 0)
        return;
    setPosition(QPointF((pixel.x() - area.center().x()) / (area.width() / 2),
                        (pixel.y() - area.center().y()) / (area.height() / 2)));
    emit moved(m_position);
}
