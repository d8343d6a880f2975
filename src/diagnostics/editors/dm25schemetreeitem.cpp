#include "diagnostics/editors/dm25schemetreeitem.h"

#include "descriptions/spnnames.h"
#include "diagnostics/dm24function.h"
#include "diagnostics/dm25function.h"
#include "diagnostics/dtcarrayparameter.h"
#include "diagnostics/fmitexts.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

int DM25SchemeTreeItem::s_answerTimeoutMs = 5000;

namespace {

constexpr quint32 Dm1Pgn = 0xFECA;
constexpr quint32 Dm2Pgn = 0xFECB;
constexpr int MaxSpn = 0x7FFFF;
constexpr int MaxFmi = 31;
constexpr int MaxOc = 126; // 127: not available
// The code box's width, in characters: enough for the kind and the SPN.
constexpr int CodeCharacters = 16;

DtcArrayParameter *codesOf(const AbstractDisplayableItem *function)
{
    if (!function)
        return nullptr;
    for (ZxParameter *p : function->parameters()) {
        if (auto *codes = dynamic_cast<DtcArrayParameter *>(p))
            return codes;
    }
    return nullptr;
}

} // namespace

DM25SchemeTreeItem::DM25SchemeTreeItem(DM25Function *function)
    : FreezeFrameSchemeTreeItem(function)
    , m_dm25(function)
{}

QVector<DM25SchemeTreeItem::KnownCode> DM25SchemeTreeItem::knownCodes() const
{
    QVector<KnownCode> known;
    if (!m_dm25)
        return known;
    const std::pair<quint32, QString> lists[] = {{Dm1Pgn, tr("Active")},
                                                 {Dm2Pgn, tr("Previously active")}};
    for (const auto &[pgn, kind] : lists) {
        const DtcArrayParameter *codes = codesOf(m_dm25->sibling(pgn));
        if (!codes)
            continue;
        // Read under the parameter's lock: the bus thread writes the list.
        for (const DtcArrayParameter::DtcItem &item : codes->codes()) {
            KnownCode k;
            k.code.spn = item.spn;
            k.code.fmi = int(item.fmi & 0x1F);
            k.code.oc = int(item.oc & 0x7F);
            const QString name = SpnNames::translatedName(item.spn);
            k.text = tr("%1: SPN %2 FMI %3 OC %4").arg(kind).arg(k.code.spn).arg(k.code.fmi).arg(
                k.code.oc);
            k.text += QStringLiteral(" – ") + (name.isEmpty() ? QString() : name + QStringLiteral(", "))
                      + FmiTexts::text(quint32(k.code.fmi));
            known.append(k);
        }
    }
    return known;
}

void DM25SchemeTreeItem::addSections(QWidget *widget, QVBoxLayout *box)
{
    Q_UNUSED(widget)
    auto *group = new QGroupBox(tr("Freeze frame of a code"));
    auto *form = new QFormLayout(group);
    CodeEditor e;
    e.codes = new QComboBox;
    e.codes->setObjectName(QStringLiteral("codeCombo"));
    // A code's text is long: sized by it, the box would widen the panel past its fields. The
    // list opens as wide as its texts, and the chosen one is whole in the tool tip.
    e.codes->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    e.codes->setMinimumContentsLength(CodeCharacters);
    QComboBox *combo = e.codes;
    connect(combo, qOverload<int>(&QComboBox::currentIndexChanged), combo,
            [combo] { combo->setToolTip(combo->currentText()); });
    form->addRow(tr("Code"), e.codes);
    auto *typed = new QHBoxLayout;
    const auto spin = [typed](const char *name, const QString &label, int minimum, int maximum) {
        auto *s = new QSpinBox;
        s->setObjectName(QLatin1String(name));
        s->setRange(minimum, maximum);
        typed->addWidget(new QLabel(label));
        typed->addWidget(s, 1);
        return s;
    };
    e.spn = spin("spnSpin", tr("SPN"), 0, MaxSpn);
    e.fmi = spin("fmiSpin", tr("FMI"), 0, MaxFmi);
    e.oc = spin("ocSpin", tr("OC"), -1, MaxOc);
    e.oc->setSpecialValueText(tr("any"));
    e.oc->setValue(-1);
    form->addRow(typed);
    e.button = new QPushButton(tr("Request freeze frame"));
    e.button->setObjectName(QStringLiteral("requestFreezeFrameButton"));
    form->addRow(e.button);
    e.result = new QLabel;
    e.result->setObjectName(QStringLiteral("freezeFrameResult"));
    e.result->setWordWrap(true);
    e.result->setTextInteractionFlags(Qt::TextSelectableByMouse);
    form->addRow(e.result);
    e.values = new QTableWidget;
    e.values->setObjectName(QStringLiteral("freezeFrameValues"));
    e.values->setEditTriggers(QAbstractItemView::NoEditTriggers);
    form->addRow(e.values);
    box->addWidget(group, 1);

    QComboBox *codes = e.codes;
    QSpinBox *spnBox = e.spn;
    QSpinBox *fmiBox = e.fmi;
    QSpinBox *ocBox = e.oc;
    connect(codes, qOverload<int>(&QComboBox::activated), group,
            [codes, spnBox, fmiBox, ocBox](int index) {
                const QVariantList code = codes->itemData(index).toList();
                if (code.size() != 3)
                    return;
                spnBox->setValue(code.at(0).toInt());
                fmiBox->setValue(code.at(1).toInt());
                ocBox->setValue(code.at(2).toInt());
            });
    QPushButton *button = e.button;
    connect(button, &QPushButton::clicked, this, [=] {
        start({quint32(spnBox->value()), fmiBox->value(), ocBox->value()}, button);
    });
    m_codeEditors.append(e);
}

void DM25SchemeTreeItem::refreshCodes(CodeEditor *editor, const QVector<KnownCode> &known)
{
    QStringList texts;
    for (const KnownCode &k : known)
        texts << k.text;
    if (texts == editor->shownCodes && editor->codes->count() > 0)
        return;
    editor->shownCodes = texts;
    const QString current = editor->codes->currentText();
    editor->codes->clear();
    editor->codes->addItem(known.isEmpty() ? tr("No codes known: type SPN, FMI and OC")
                                           : tr("Choose a code, or type SPN, FMI and OC"));
    for (const KnownCode &k : known) {
        editor->codes->addItem(k.text, QVariantList{k.code.spn, k.code.fmi, k.code.oc});
        editor->codes->setItemData(editor->codes->count() - 1, k.text, Qt::ToolTipRole);
    }
    editor->codes->setCurrentIndex(std::max(0, editor->codes->findText(current)));
}

QString DM25SchemeTreeItem::codeText() const
{
    return tr("SPN %1 FMI %2").arg(m_code.spn).arg(m_code.fmi);
}

void DM25SchemeTreeItem::start(const Code &code, QWidget *from)
{
    if (m_step != Idle || !m_dm25)
        return;
    m_code = code;
    m_valueRows.clear();
    auto *dm24 = qobject_cast<DM24Function *>(m_dm25->sibling(DM25Function::Dm24Pgn));
    if (dm24 && !dm24->hasList()) {
        // The records are laid out by the unit's SPN support: that comes first.
        m_step = AskingDm24;
        m_startGeneration = dm24->generation();
        m_waiting.start();
        request(dm24, from);
        m_codeResult = tr("Asking %1 for its SPN support (DM24)…").arg(unitName());
    } else {
        askDm25(from);
    }
    ++m_resultSerial;
    keepRefreshing();
    refresh();
}

void DM25SchemeTreeItem::askDm25(QWidget *from)
{
    m_step = AskingDm25;
    m_startGeneration = m_dm25->generation();
    m_waiting.start();
    if (!request(m_dm25, from)) {
        m_step = Idle;
        m_codeResult = tr("%1 has no unit to ask").arg(m_dm25->name());
        return;
    }
    m_codeResult = tr("Asking %1 for the freeze frame of %2…").arg(unitName(), codeText());
}

void DM25SchemeTreeItem::finish()
{
    m_step = Idle;
    const QVector<FreezeFrame::Dm25Record> records = m_dm25->records();
    const int index = FreezeFrame::findRecord(records, m_code.spn, quint8(m_code.fmi), m_code.oc);
    if (index < 0) {
        m_codeResult = tr("No freeze frame for SPN %1 FMI %2").arg(m_code.spn).arg(m_code.fmi);
        return;
    }
    const FreezeFrame::Dm25Record &record = records.at(index);
    const std::optional<QVector<FreezeFrame::SpnSupport>> list = m_dm25->supportList();
    bool consistent = true;
    m_valueRows = DM25Function::valueRows(record, list, &consistent);
    m_codeResult = tr("Freeze frame of SPN %1 FMI %2, occurrence %3: %4 values")
                       .arg(record.dtc.spn)
                       .arg(record.dtc.fmi)
                       .arg(record.dtc.oc)
                       .arg(m_valueRows.size());
    if (!list)
        m_codeResult += QLatin1Char(' ') + tr("(raw bytes: no SPN support list from the unit)");
    else if (!consistent)
        m_codeResult += QLatin1Char(' ')
                        + tr("(the record's length does not match the unit's SPN support list)");
}

void DM25SchemeTreeItem::refresh()
{
    FreezeFrameSchemeTreeItem::refresh();
    const bool late = m_waiting.isValid() && m_waiting.elapsed() > s_answerTimeoutMs;
    if (m_step == AskingDm24 && m_dm25) {
        auto *dm24 = qobject_cast<DM24Function *>(m_dm25->sibling(DM25Function::Dm24Pgn));
        if (!dm24 || dm24->generation() != m_startGeneration || late) {
            askDm25(nullptr);
            ++m_resultSerial;
        }
    } else if (m_step == AskingDm25 && m_dm25) {
        if (m_dm25->generation() != m_startGeneration) {
            finish();
            ++m_resultSerial;
        } else if (late) {
            m_step = Idle;
            m_codeResult = tr("No answer from %1 to the freeze frame request (DM25)")
                               .arg(unitName());
            ++m_resultSerial;
        }
    }
    m_codeEditors.erase(std::remove_if(m_codeEditors.begin(), m_codeEditors.end(),
                                       [](const CodeEditor &e) { return !e.codes; }),
                        m_codeEditors.end());
    if (m_codeEditors.isEmpty())
        return;
    const QVector<KnownCode> known = knownCodes();
    for (CodeEditor &e : m_codeEditors) {
        refreshCodes(&e, known);
        e.button->setEnabled(m_step == Idle);
        if (e.shownSerial == m_resultSerial)
            continue;
        e.shownSerial = m_resultSerial;
        e.result->setText(m_codeResult);
        fillTable(e.values, DM25Function::valueHeaders(), m_valueRows);
    }
}
