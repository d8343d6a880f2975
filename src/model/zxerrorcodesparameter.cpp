#include "model/zxerrorcodesparameter.h"

#include "model/editorcast.h"
#include "model/editors/errorcodeseditor.h"

#include <QCoreApplication>
#include <QDebug>

namespace {

quint64 pack(const unsigned char *codes)
{
    quint64 word = 0;
    for (int i = 0; i < ZxErrorCodesParameter::CodeCount; ++i)
        word |= quint64(codes[i]) << (8 * i);
    return word;
}

void unpack(quint64 word, unsigned char *codes)
{
    for (int i = 0; i < ZxErrorCodesParameter::CodeCount; ++i)
        codes[i] = quint8(word >> (8 * i));
}

constexpr quint64 NoCodes = 0xFFFFFFFFFFFFull;

} // namespace

ZxErrorCodesParameter::ZxErrorCodesParameter()
    : m_codes(NoCodes)
{}

QString ZxErrorCodesParameter::toString() const
{
    unsigned char codes[CodeCount];
    getCodes(codes);
    QString out;
    for (unsigned char code : codes) {
        if (code == 0xFF)
            break;
        if (!out.isEmpty())
            out += QLatin1Char(' ');
        out += QStringLiteral("0x%1").arg(code, 2, 16, QLatin1Char('0'));
    }
    return out;
}

void ZxErrorCodesParameter::setCodes(const unsigned char *codes)
{
    m_codes.store(pack(codes), std::memory_order_relaxed);
    setValid(true);
}

void ZxErrorCodesParameter::getCodes(unsigned char *codes) const
{
    unpack(m_codes.load(std::memory_order_relaxed), codes);
}

void ZxErrorCodesParameter::updateWidgetValue(QWidget *widget)
{
    auto *editor
        = editorCast<ErrorCodesEditor>(widget, "ZxErrorCodesParameter", EditorCast::ToEditor);
    if (!editor)
        return;
    unsigned char codes[CodeCount];
    getCodes(codes);
    editor->setCodes(codes);
}

void ZxErrorCodesParameter::updateFromWidget(QWidget *widget)
{
    auto *editor
        = editorCast<ErrorCodesEditor>(widget, "ZxErrorCodesParameter", EditorCast::FromEditor);
    if (!editor)
        return;
    unsigned char codes[CodeCount];
    editor->codes(codes);
    setCodes(codes);
}

bool ZxErrorCodesParameter::save(QDataStream &stream) const
{
    unsigned char codes[CodeCount];
    getCodes(codes);
    stream.writeRawData(reinterpret_cast<const char *>(codes), CodeCount);
    return streamOk(stream);
}

bool ZxErrorCodesParameter::restore(QDataStream &stream)
{
    unsigned char codes[CodeCount];
    if (stream.readRawData(reinterpret_cast<char *>(codes), CodeCount) != CodeCount
        || !streamOk(stream))
        return false;
    setCodes(codes);
    return true;
}

const QList<QPair<int, QString>> &ZxErrorCodesParameter::texts()
{
    static const QList<QPair<int, QString>> table = [] {
        QList<QPair<int, QString>> list;
        auto add = [&list](int code) {
            const QByteArray key = QStringLiteral("ERROR_%1_PH")
                                       .arg(code, 2, 16, QLatin1Char('0'))
                                       .toUpper()
                                       .toLatin1();
            list.append(
                qMakePair(code, QCoreApplication::translate("ErrorCodes", key.constData())));
        };
        for (int code = 0x00; code <= 0x0D; ++code)
            add(code);
        for (int code = 0xFA; code <= 0xFF; ++code)
            add(code);
        return list;
    }();
    return table;
}

QWidget *ZxErrorCodesParameter::createWidgetImpl(bool *ok, const char **changedSignal)
{
    auto *editor = new ErrorCodesEditor;
    updateWidgetValue(editor);
    *changedSignal = SIGNAL(valueChanged());
    *ok = true;
    return editor;
}
