#include "diagnostics/editors/canflashingfunctionv1schemetreeitem.h"

#include "can/abstractcanhandler.h"
#include "diagnostics/canflashingfunctionv1.h"
#include "model/editors/targeteditor.h"
#include "model/zxboolparameter.h"
#include "model/zxintparameter.h"
#include "model/zxstringparameter.h"
#include "util/userfolders.h"

#include <QCheckBox>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

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
    static CanFlashingFunctionV1SchemeTreeItem::Confirmer c
        = [](QWidget *parent, const QString &question) {
              return QMessageBox::question(
                         parent, CanFlashingFunctionV1SchemeTreeItem::tr("Flashing"), question)
                     == QMessageBox::Yes;
          };
    return c;
}

constexpr int MaxAckDelayMs = 60000;
constexpr int RunRefreshMs = 100;

// One frame and its echo take 2 to 4 ms at 250 kbit/s; the unit is given 5 s to load.
constexpr int MsPerBlock = 4;
constexpr int BootLoadWaitMs = 5000;

} // namespace

CanFlashingFunctionV1SchemeTreeItem::CanFlashingFunctionV1SchemeTreeItem(
    CanFlashingFunctionV1 *function)
    : AbstractSchemeTreeItem(function)
    , m_function(function)
{
    m_runTimer.setInterval(RunRefreshMs);
    connect(&m_runTimer, &QTimer::timeout, this, &CanFlashingFunctionV1SchemeTreeItem::refreshRun);
}

void CanFlashingFunctionV1SchemeTreeItem::setFileChooser(FileChooser c)
{
    chooser() = std::move(c);
}

void CanFlashingFunctionV1SchemeTreeItem::setConfirmer(Confirmer c)
{
    confirmer() = std::move(c);
}

QWidget *CanFlashingFunctionV1SchemeTreeItem::createWidget()
{
    if (!m_function)
        return AbstractSchemeTreeItem::createWidget();
    using F = CanFlashingFunctionV1;
    Editor editor;
    auto *widget = new QWidget;
    editor.root = widget;
    auto *box = new QVBoxLayout(widget);
    box->setContentsMargins(0, 0, 0, 0);
    auto *grid = new QGridLayout;
    const auto label = [grid](const QString &text, const char *name, int row) {
        grid->addWidget(new QLabel(text), row, 0);
        auto *value = new QLabel;
        value->setObjectName(QLatin1String(name));
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        value->setWordWrap(true);
        grid->addWidget(value, row, 1);
        return value;
    };
    // The flasher's settings are the tool's own, editable in any state of the function, unlike
    // the values of a frame that only a sending item may change.
    grid->addWidget(new QLabel(tr("Address")), 0, 0);
    editor.target = new TargetEditor;
    editor.target->setObjectName(QStringLiteral("address"));
    grid->addWidget(editor.target, 0, 1);
    connect(editor.target, &TargetEditor::valueChanged, widget, [this, target = editor.target] {
        if (m_function && target)
            m_function->setTarget(int(target->target()));
        refreshRun();
    });
    grid->addWidget(new QLabel(tr("Ack to next delay")), 1, 0);
    editor.delay = new QSpinBox;
    editor.delay->setObjectName(QStringLiteral("delay"));
    editor.delay->setRange(0, MaxAckDelayMs);
    editor.delay->setSuffix(tr(" ms"));
    grid->addWidget(editor.delay, 1, 1);
    editor.idleOnly.append(editor.delay.data());
    connect(editor.delay, qOverload<int>(&QSpinBox::valueChanged), widget,
            [this](int ms) { setSetting(F::AckDelay, ms); });
    editor.ecuId = label(tr("ECU"), "ecuId", 2);
    editor.softId = label(tr("Software"), "softId", 3);
    editor.file = label(tr("Program file"), "file", 4);
    grid->setColumnStretch(1, 1);
    box->addLayout(grid);
    addButtons(widget, box, &editor);
    editor.progress = new QProgressBar;
    editor.progress->setObjectName(QStringLiteral("progress"));
    editor.progress->setRange(0, 100);
    box->addWidget(editor.progress);
    for (auto [member, name] :
         {std::pair{&Editor::block, "block"}, std::pair{&Editor::state, "state"},
          std::pair{&Editor::result, "result"}}) {
        auto *text = new QLabel;
        text->setObjectName(QLatin1String(name));
        text->setWordWrap(true);
        text->setTextInteractionFlags(Qt::TextSelectableByMouse);
        box->addWidget(text);
        editor.*member = text;
    }
    box->addStretch(1);
    m_editors.append(editor);
    refreshRun();
    return widget;
}

void CanFlashingFunctionV1SchemeTreeItem::addButtons(QWidget *widget, QVBoxLayout *box,
                                                     Editor *editor)
{
    using F = CanFlashingFunctionV1;
    auto *requests = new QHBoxLayout;
    auto *run = new QHBoxLayout;
    const auto button = [](QHBoxLayout *row, const QString &text, const char *name) {
        auto *b = new QPushButton(text);
        b->setObjectName(QLatin1String(name));
        row->addWidget(b);
        return b;
    };
    const auto invoke = [this](const char *method) {
        if (m_function)
            QMetaObject::invokeMethod(m_function, method, Qt::QueuedConnection);
    };
    QPushButton *ecuid = button(requests, tr("Request ECUID"), "requestEcuid");
    QPushButton *soft = button(requests, tr("Request SOFT"), "requestSoft");
    QPushButton *hours = button(requests, tr("Request HOURS"), "requestHours");
    requests->addStretch(1);
    QPushButton *choose = button(run, tr("Choose…"), "choose");
    QPushButton *start = button(run, tr("Start"), "start");
    QPushButton *stop = button(run, tr("Stop"), "stop");
    run->addStretch(1);
    editor->idleOnly << ecuid << soft << hours << choose;
    box->addLayout(requests);
    box->addLayout(run);
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
        refreshRun();
    });
    editor->continuous = new QCheckBox(tr("Continuous Bootload RRs"));
    editor->continuous->setObjectName(QStringLiteral("continuous"));
    connect(editor->continuous, &QCheckBox::toggled, widget, [this](bool on) {
        if (m_function)
            QMetaObject::invokeMethod(m_function, "setContinuousBootload", Qt::QueuedConnection,
                                      Q_ARG(bool, on));
    });
    // One per line: the Details panel is narrow.
    auto *flags = new QVBoxLayout;
    flags->setSpacing(2);
    flags->addWidget(editor->continuous);
    const auto flag = [&](int index, const char *name) {
        auto *check = new QCheckBox(m_function->parameters().at(index)->description());
        check->setObjectName(QLatin1String(name));
        flags->addWidget(check);
        editor->idleOnly.append(check);
        connect(check, &QCheckBox::toggled, widget,
                [this, index](bool on) { setSetting(index, on); });
        return check;
    };
    editor->lowLatency = flag(F::LowLatency, "lowLatency");
    editor->retransmit = flag(F::RetransmitOnError, "retransmit");
    box->addLayout(flags);
}

void CanFlashingFunctionV1SchemeTreeItem::setSetting(int index, const QVariant &value)
{
    if (!m_function)
        return;
    ZxParameter *parameter = m_function->parameters().value(index);
    if (!parameter)
        return;
    if (value.type() == QVariant::Bool)
        static_cast<ZxBoolParameter *>(parameter)->setValue(value.toBool());
    else
        static_cast<ZxIntParameter *>(parameter)->setValue(value.toInt());
    parameter->setValid(true);
    m_function->setUpdateNeeded();
}

bool CanFlashingFunctionV1SchemeTreeItem::doUpdate()
{
    const bool changed = AbstractSchemeTreeItem::doUpdate();
    refreshRun();
    return changed;
}

QString CanFlashingFunctionV1SchemeTreeItem::blockText()
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    const bool flashing = m_function->isFlashing();
    if (!flashing)
        m_runStartMs = -1;
    else if (m_runStartMs < 0)
        m_runStartMs = now;
    const int n = m_function->frameCount();
    const int i = m_function->transmitIndex();
    if (!flashing || n <= 0)
        return QString();
    const qint64 elapsed = (now - m_runStartMs) / 1000;
    const qint64 remaining = i > 0 ? elapsed * (n - i) / i : qint64(n) * MsPerBlock / 1000;
    return tr("Block %1 of %2, %3 s elapsed, about %4 s left, %5 retransmissions")
        .arg(i + 1)
        .arg(n)
        .arg(elapsed)
        .arg(remaining)
        .arg(m_function->retransmitCount());
}

void CanFlashingFunctionV1SchemeTreeItem::refreshRun()
{
    if (!m_function)
        return;
    m_editors.erase(std::remove_if(m_editors.begin(), m_editors.end(),
                                   [](const Editor &e) { return e.root.isNull(); }),
                    m_editors.end());
    const QString block = blockText();
    for (const Editor &editor : qAsConst(m_editors))
        refreshEditor(editor, block);
    const bool follow = !m_editors.isEmpty() && m_function->isFlashing();
    if (follow && !m_runTimer.isActive())
        m_runTimer.start();
    else if (!follow)
        m_runTimer.stop();
}

void CanFlashingFunctionV1SchemeTreeItem::refreshEditor(const Editor &editor,
                                                        const QString &blockText)
{
    using F = CanFlashingFunctionV1;
    const bool flashing = m_function->isFlashing();
    // The target is latched at Start; its editor stays locked until the run ends.
    if (editor.target) {
        editor.target->setEnabled(m_function->flasherState() == F::FlasherIdle);
        // Not while the engineer types into it.
        const QString shown = QString::number(m_function->target(), 16);
        if (!editor.target->hasFocus() && editor.target->text() != shown) {
            const QSignalBlocker quiet(editor.target);
            editor.target->setTarget(quint32(m_function->target()));
        }
    }
    if (editor.delay && !editor.delay->hasFocus()) {
        const QSignalBlocker quiet(editor.delay);
        editor.delay->setValue(m_function->intParameter(F::AckDelay)->value());
    }
    for (auto [check, index] : {std::pair{editor.continuous.data(), int(F::Continuous)},
                                std::pair{editor.lowLatency.data(), int(F::LowLatency)},
                                std::pair{editor.retransmit.data(), int(F::RetransmitOnError)}}) {
        if (check) {
            const QSignalBlocker quiet(check);
            check->setChecked(m_function->boolParameter(index)->value());
        }
    }
    for (const QPointer<QWidget> &w : editor.idleOnly) {
        if (w)
            w->setEnabled(!flashing);
    }
    const QString unknown = tr("unknown");
    const auto show = [&unknown](QLabel *label, const QString &text) {
        if (label)
            label->setText(text.isEmpty() ? unknown : text);
    };
    show(editor.ecuId, m_function->stringParameter(F::EcuId)->value());
    show(editor.softId, m_function->stringParameter(F::SoftId)->value());
    const QString file = m_function->programName();
    if (editor.file) {
        editor.file->setText(
            file.isEmpty() ? tr("none: press Choose…")
                           : tr("%1, %2 bytes").arg(file).arg(m_function->programData().size()));
    }
    if (editor.progress)
        editor.progress->setValue(m_function->intParameter(F::Progress)->value());
    if (editor.block)
        editor.block->setText(blockText);
    if (editor.state)
        editor.state->setText(m_function->stateText());
    if (editor.result)
        editor.result->setText(m_function->lastResult());
}

QString CanFlashingFunctionV1SchemeTreeItem::startQuestion(QString *refusal) const
{
    using F = CanFlashingFunctionV1;
    if (!m_function) {
        *refusal = tr("The flasher is gone");
        return QString();
    }
    AbstractCanHandler *handler = m_function->handler();
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
    // Each line names the button that fills it in.
    const QString unknownEcu = tr("not read yet (Request ECUID reads it)");
    const QString unknownSoft = tr("not read yet (Request SOFT reads it)");
    const QString ecu = m_function->stringParameter(F::EcuId)->value();
    const QString soft = m_function->stringParameter(F::SoftId)->value();
    const qint64 seconds
        = (qint64(blocks)
               * (MsPerBlock + std::max(0, m_function->intParameter(F::AckDelay)->value()))
           + BootLoadWaitMs)
          / 1000;
    return tr("Replace the program of unit 0x%1?\n\nECU: %2\nSoftware: %3\n\nFile: %4\n"
              "Size: %5 bytes, %6 blocks\nSHA-256: %7\nEstimated time: about %8 s\n\n"
              "A transfer that stops half-way leaves the unit without a program.")
        .arg(target, 2, 16, QLatin1Char('0'))
        .arg(ecu.isEmpty() ? unknownEcu : ecu, soft.isEmpty() ? unknownSoft : soft,
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
        if (m_function) {
            m_function->stringParameter(CanFlashingFunctionV1::StateText)->setValue(refusal);
            refreshRun();
        }
        return false;
    }
    if (!confirmer()(parent, question))
        return false;
    // Each run is logged beside the parameter logs.
    m_function->setLogDirectory(UserFolders::logDirectory());
    QMetaObject::invokeMethod(m_function, "slotStart", Qt::QueuedConnection);
    return true;
}
