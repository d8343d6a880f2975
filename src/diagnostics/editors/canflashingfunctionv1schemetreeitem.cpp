#include "diagnostics/editors/canflashingfunctionv1schemetreeitem.h"

#include "can/abstractcanhandler.h"
#include "diagnostics/canflashingfunctionv1.h"
#include "model/zxboolparameter.h"
#include "model/zxintparameter.h"
#include "model/zxstringparameter.h"

#include <QCheckBox>
#include <QCryptographicHash>
#include <QDir>
#include <QDateTime>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QSettings>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

CanFlashingFunctionV1SchemeTreeItem::FileChooser &chooser()
{
    static CanFlashingFunctionV1SchemeTreeItem::FileChooser c = [](QWidget *parent) {
        return QFileDialog::getOpenFileName(
            parent, CanFlashingFunctionV1SchemeTreeItem::tr("Program file"), QString(),
            CanFlashingFunctionV1SchemeTreeItem::tr("Program data file (*.prg)"));
    };
    return c;
}

CanFlashingFunctionV1SchemeTreeItem::Confirmer &confirmer()
{
    static CanFlashingFunctionV1SchemeTreeItem::Confirmer c = [](QWidget *parent,
                                                                 const QString &question) {
        return QMessageBox::question(parent, CanFlashingFunctionV1SchemeTreeItem::tr("Flashing"),
                                     question)
               == QMessageBox::Yes;
    };
    return c;
}

// One frame and its echo take 2 to 4 ms at 250 kbit/s; the unit is given 5 s to load.
constexpr int MsPerBlock = 4;
constexpr int BootLoadWaitMs = 5000;

} // namespace

CanFlashingFunctionV1SchemeTreeItem::CanFlashingFunctionV1SchemeTreeItem(
    CanFlashingFunctionV1 *function)
    : AbstractSchemeTreeItem(function)
    , m_function(function)
{}

void CanFlashingFunctionV1SchemeTreeItem::setFileChooser(FileChooser c)
{
    chooser() = std::move(c);
}

void CanFlashingFunctionV1SchemeTreeItem::setConfirmer(Confirmer c)
{
    confirmer() = std::move(c);
}

QWidget *CanFlashingFunctionV1SchemeTreeItem::createWidget(unsigned int kind)
{
    if (kind != 1 || !m_function)
        return AbstractSchemeTreeItem::createWidget(kind);
    using F = CanFlashingFunctionV1;
    auto *widget = new QWidget;
    auto *box = new QVBoxLayout(widget);
    box->setContentsMargins(0, 0, 0, 0);
    auto *grid = new QGridLayout;
    grid->addWidget(new QLabel(tr("Address")), 0, 0);
    m_target = createParameterWidget(F::TargetDevice);
    if (m_target)
        grid->addWidget(m_target, 0, 1);
    grid->addWidget(new QLabel(tr("Ack to next delay")), 1, 0);
    if (QWidget *delay = createParameterWidget(F::AckDelay)) {
        grid->addWidget(delay, 1, 1);
        m_idleOnly.append(delay);
    }
    box->addLayout(grid);
    auto *row = new QHBoxLayout;
    const auto button = [row](const QString &text, const char *name) {
        auto *b = new QPushButton(text);
        b->setObjectName(QLatin1String(name));
        row->addWidget(b);
        return b;
    };
    const auto invoke = [this](const char *method) {
        if (m_function)
            QMetaObject::invokeMethod(m_function, method, Qt::QueuedConnection);
    };
    QPushButton *ecuid = button(tr("Request ECUID"), "requestEcuid");
    QPushButton *soft = button(tr("Request SOFT"), "requestSoft");
    QPushButton *hours = button(tr("Request HOURS"), "requestHours");
    QPushButton *choose = button(tr("Choose…"), "choose");
    QPushButton *start = button(tr("Start"), "start");
    QPushButton *stop = button(tr("Stop"), "stop");
    m_idleOnly << ecuid << soft << hours << choose;
    box->addLayout(row);
    connect(ecuid, &QPushButton::clicked, widget, [invoke] { invoke("slotRequestEcuid"); });
    connect(soft, &QPushButton::clicked, widget, [invoke] { invoke("slotRequestSoft"); });
    connect(hours, &QPushButton::clicked, widget, [invoke] { invoke("slotRequestHours"); });
    connect(stop, &QPushButton::clicked, widget, [this, widget, invoke] {
        if (m_function && m_function->isFlashing()
            && !confirmer()(widget, tr("Stopping now leaves the unit in its boot loader without "
                                       "a complete program. Stop?")))
            return;
        invoke("slotStop");
    });
    connect(start, &QPushButton::clicked, widget, [this, widget] { requestStart(widget); });
    connect(choose, &QPushButton::clicked, widget, [this, widget] {
        const QString path = chooser()(widget);
        // Read here, in the GUI thread, so the bus thread never waits for a disk.
        if (!path.isEmpty() && m_function)
            m_function->loadFile(path);
    });
    auto *cont = new QCheckBox(tr("Continuous Bootload RRs"));
    cont->setObjectName(QStringLiteral("continuous"));
    cont->setChecked(m_function->boolParameter(F::Continuous)->value());
    connect(cont, &QCheckBox::toggled, widget, [this](bool on) {
        if (m_function)
            QMetaObject::invokeMethod(m_function, "setContinuousBootload", Qt::QueuedConnection,
                                      Q_ARG(bool, on));
    });
    auto *flags = new QHBoxLayout;
    flags->addWidget(cont);
    for (int index : {int(F::LowLatency), int(F::RetransmitOnError)}) {
        if (QWidget *editor = createParameterWidget(index)) {
            flags->addWidget(editor);
            m_idleOnly.append(editor);
        }
    }
    box->addLayout(flags);
    m_progress = new QProgressBar;
    m_progress->setObjectName(QStringLiteral("progress"));
    m_progress->setRange(0, 100);
    box->addWidget(m_progress);
    m_block = new QLabel;
    m_block->setObjectName(QStringLiteral("block"));
    box->addWidget(m_block);
    if (QWidget *state = createParameterWidget(F::StateText))
        box->addWidget(state);
    m_result = new QLabel;
    m_result->setObjectName(QStringLiteral("result"));
    m_result->setWordWrap(true);
    box->addWidget(m_result);
    refreshRun();
    return widget;
}

bool CanFlashingFunctionV1SchemeTreeItem::doUpdate()
{
    const bool changed = AbstractSchemeTreeItem::doUpdate();
    refreshRun();
    return changed;
}

void CanFlashingFunctionV1SchemeTreeItem::refreshRun()
{
    if (!m_function)
        return;
    using F = CanFlashingFunctionV1;
    const bool flashing = m_function->isFlashing();
    const bool idle = m_function->flasherState() == F::FlasherIdle;
    // The target is latched at Start; its editor stays locked until the run ends.
    if (m_target)
        m_target->setEnabled(idle);
    for (const QPointer<QWidget> &w : qAsConst(m_idleOnly)) {
        if (w)
            w->setEnabled(!flashing);
    }
    if (m_progress)
        m_progress->setValue(m_function->intParameter(F::Progress)->value());
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (!flashing)
        m_runStartMs = -1;
    else if (m_runStartMs < 0)
        m_runStartMs = now;
    if (m_block) {
        const int n = m_function->frameCount();
        const int i = m_function->transmitIndex();
        QString text;
        if (flashing && n > 0) {
            const qint64 elapsed = (now - m_runStartMs) / 1000;
            const qint64 remaining = i > 0 ? elapsed * (n - i) / i : qint64(n) * MsPerBlock / 1000;
            text = tr("Block %1 of %2, %3 s elapsed, about %4 s left, %5 retransmissions")
                       .arg(i + 1)
                       .arg(n)
                       .arg(elapsed)
                       .arg(remaining)
                       .arg(m_function->retransmitCount());
        }
        m_block->setText(text);
    }
    if (m_result)
        m_result->setText(m_function->lastResult());
}

QString CanFlashingFunctionV1SchemeTreeItem::startQuestion(QString *refusal) const
{
    using F = CanFlashingFunctionV1;
    if (!m_function) {
        *refusal = tr("The flasher is gone");
        return QString();
    }
    AbstractCanHandler *handler = AbstractCanHandler::instance();
    if (!handler || !handler->isOpen()) {
        *refusal = tr("No bus connection");
        return QString();
    }
    if (m_function->flasherState() != F::FlasherIdle) {
        *refusal = tr("A run is in progress; press Stop first");
        return QString();
    }
    const QByteArray program = m_function->programData();
    if (program.isEmpty()) {
        *refusal = tr("No program file loaded");
        return QString();
    }
    const int target = m_function->target();
    const int blocks = int((program.size() + F::PieceSize - 1) / F::PieceSize);
    const QString unknown = tr("unknown: press Request SOFT");
    const QString ecu = m_function->stringParameter(F::EcuId)->value();
    const QString soft = m_function->stringParameter(F::SoftId)->value();
    const qint64 seconds = (qint64(blocks) * (MsPerBlock
                                               + std::max(0, m_function->intParameter(F::AckDelay)
                                                                 ->value()))
                            + BootLoadWaitMs)
                           / 1000;
    return tr("Replace the program of unit 0x%1?\n\nECU: %2\nSoftware: %3\n\nFile: %4\n"
              "Size: %5 bytes, %6 blocks\nSHA-256: %7\nEstimated time: about %8 s\n\n"
              "A transfer that stops half-way leaves the unit without a program.")
        .arg(target, 2, 16, QLatin1Char('0'))
        .arg(ecu.isEmpty() ? unknown : ecu, soft.isEmpty() ? unknown : soft,
             m_function->programName())
        .arg(program.size())
        .arg(blocks)
        .arg(QString::fromLatin1(
            QCryptographicHash::hash(program, QCryptographicHash::Sha256).toHex()))
        .arg(seconds);
}

bool CanFlashingFunctionV1SchemeTreeItem::requestStart(QWidget *parent)
{
    QString refusal;
    const QString question = startQuestion(&refusal);
    if (question.isEmpty()) {
        if (m_function)
            m_function->stringParameter(CanFlashingFunctionV1::StateText)->setValue(refusal);
        if (m_result)
            m_result->setText(refusal);
        return false;
    }
    if (!confirmer()(parent, question))
        return false;
    // Each run is logged beside the parameter logs.
    m_function->setLogDirectory(
        QSettings().value(QStringLiteral("ParameterLog/Directory"), QDir::currentPath()).toString());
    QMetaObject::invokeMethod(m_function, "slotStart", Qt::QueuedConnection);
    return true;
}
