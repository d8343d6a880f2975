#include "diagnostics/fmitexts.h"

#include <QCoreApplication>

namespace {

constexpr quint32 FmiCount = 32;
constexpr quint32 FirstReserved = 22;
constexpr quint32 LastReserved = 30;

const char *const Texts[] = {
    QT_TRANSLATE_NOOP("FmiTexts", "Data valid but above normal operational range, most severe level"),
    QT_TRANSLATE_NOOP("FmiTexts", "Data valid but below normal operational range, most severe level"),
    QT_TRANSLATE_NOOP("FmiTexts", "Data erratic, intermittent or incorrect"),
    QT_TRANSLATE_NOOP("FmiTexts", "Voltage above normal, or shorted to high source"),
    QT_TRANSLATE_NOOP("FmiTexts", "Voltage below normal, or shorted to low source"),
    QT_TRANSLATE_NOOP("FmiTexts", "Current below normal or open circuit"),
    QT_TRANSLATE_NOOP("FmiTexts", "Current above normal or grounded circuit"),
    QT_TRANSLATE_NOOP("FmiTexts", "Mechanical system not responding or out of adjustment"),
    QT_TRANSLATE_NOOP("FmiTexts", "Abnormal frequency or pulse width or period"),
    QT_TRANSLATE_NOOP("FmiTexts", "Abnormal update rate"),
    QT_TRANSLATE_NOOP("FmiTexts", "Abnormal rate of change"),
    QT_TRANSLATE_NOOP("FmiTexts", "Root cause not known"),
    QT_TRANSLATE_NOOP("FmiTexts", "Bad intelligent device or component"),
    QT_TRANSLATE_NOOP("FmiTexts", "Out of calibration"),
    QT_TRANSLATE_NOOP("FmiTexts", "Special instructions"),
    QT_TRANSLATE_NOOP("FmiTexts", "Data valid but above normal operating range, least severe level"),
    QT_TRANSLATE_NOOP("FmiTexts", "Data valid but above normal operating range, moderately severe level"),
    QT_TRANSLATE_NOOP("FmiTexts", "Data valid but below normal operating range, least severe level"),
    QT_TRANSLATE_NOOP("FmiTexts", "Data valid but below normal operating range, moderately severe level"),
    QT_TRANSLATE_NOOP("FmiTexts", "Received network data in error"),
    QT_TRANSLATE_NOOP("FmiTexts", "Data drifted high"),
    QT_TRANSLATE_NOOP("FmiTexts", "Data drifted low"),
};
const char *const Reserved = QT_TRANSLATE_NOOP("FmiTexts", "Reserved for SAE assignment");
const char *const ConditionExists = QT_TRANSLATE_NOOP("FmiTexts", "Condition exists");

static_assert(sizeof(Texts) / sizeof(Texts[0]) == FirstReserved, "one text per FMI below 22");

const char *source(quint32 fmi)
{
    if (fmi >= FmiCount)
        return nullptr;
    if (fmi < FirstReserved)
        return Texts[fmi];
    return fmi <= LastReserved ? Reserved : ConditionExists;
}

} // namespace

namespace FmiTexts {

QString text(quint32 fmi)
{
    const char *s = source(fmi);
    return s ? QCoreApplication::translate("FmiTexts", s) : QString();
}

QString englishText(quint32 fmi)
{
    const char *s = source(fmi);
    return s ? QString::fromLatin1(s) : QString();
}

} // namespace FmiTexts
