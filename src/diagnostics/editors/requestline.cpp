#include "diagnostics/editors/requestline.h"

#include "can/abstractcanhandler.h"
#include "diagnostics/toolrequest.h"
#include "model/staticpgnj1939devicefunction.h"
#include "scheme/schemewindow.h"

#include <QDateTime>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace {

QString clockText(qint64 ms)
{
    return QDateTime::fromMSecsSinceEpoch(ms).toString(QStringLiteral("HH:mm:ss"));
}

} // namespace

RequestLine::RequestLine(StaticPgnJ1939DeviceFunction *function, DecodedAt decodedAt)
    : m_function(function)
    , m_decodedAt(std::move(decodedAt))
{}

QWidget *RequestLine::createWidget()
{
    auto *widget = new QWidget;
    auto *row = new QHBoxLayout(widget);
    row->setContentsMargins(0, 0, 0, 0);
    auto *button = new QPushButton(tr("Request"));
    button->setObjectName(QStringLiteral("requestButton"));
    button->setToolTip(tr("Ask the unit for this message now"));
    row->addWidget(button);
    auto *line = new QLabel;
    line->setObjectName(QStringLiteral("requestLine"));
    line->setWordWrap(true);
    line->setTextInteractionFlags(Qt::TextSelectableByMouse);
    row->addWidget(line, 1);
    m_lines.append(line);
    QObject::connect(button, &QPushButton::clicked, widget, [this, button] { ask(button); });
    refresh();
    return widget;
}

bool RequestLine::ask(QWidget *from)
{
    StaticPgnJ1939DeviceFunction *function = m_function;
    if (!function)
        return false;
    AbstractCanHandler *handler = function->handler();
    if (!handler || !handler->isOpen()) {
        m_refusal = tr("No bus connection: nothing was sent");
        refresh();
        return false;
    }
    m_refusal.clear();
    // The answer may be longer than a frame: someone at the tool's address must take it. When
    // no one can, a short answer still comes; the window says why in its status bar.
    if (SchemeWindow *window = SchemeWindow::of(from))
        window->ensureToolUnit();
    m_askedMs = QDateTime::currentMSecsSinceEpoch();
    QMetaObject::invokeMethod(function, [function] { ToolRequest::ask(function); });
    refresh();
    return true;
}

QString RequestLine::lineText(qint64 askedMs, qint64 decodedMs)
{
    if (askedMs == 0)
        return decodedMs == 0 ? tr("Not asked yet")
                              : tr("Last received at %1").arg(clockText(decodedMs));
    if (decodedMs < askedMs)
        return tr("Asked at %1, no answer yet").arg(clockText(askedMs));
    return tr("Asked at %1, answered at %2").arg(clockText(askedMs), clockText(decodedMs));
}

void RequestLine::refresh()
{
    m_lines.removeAll(QPointer<QLabel>());
    const qint64 decoded = m_decodedAt ? m_decodedAt() : 0;
    const QString text = m_refusal.isEmpty() ? lineText(m_askedMs, decoded) : m_refusal;
    for (QLabel *line : qAsConst(m_lines))
        line->setText(text);
}
