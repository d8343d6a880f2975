#include "model/zxparameter.h"

#include "can/canmessage.h"
#include "model/zxparameterlink.h"

#include <QCoreApplication>
#include <QWidget>

ZxParameter::~ZxParameter() = default;

QString ZxParameter::notAvailableText()
{
    return QCoreApplication::translate("ZxParameter", "n/a");
}

QString ZxParameter::errorText()
{
    return QCoreApplication::translate("ZxParameter", "error");
}

bool ZxParameter::save(QDataStream &) const
{
    return false;
}

bool ZxParameter::restore(QDataStream &)
{
    return false;
}

QVariant ZxParameter::variantValue() const
{
    return {};
}

bool ZxParameter::setVariantValue(const QVariant &)
{
    return false;
}

ZxParameterLink *ZxParameter::createDefaultLink()
{
    return new ZxParameterLink(this, nullptr);
}

QWidget *ZxParameter::createWidget(const char **changedSignal)
{
    return createWidget(nullptr, changedSignal);
}

QWidget *ZxParameter::createWidget(bool *ok, const char **changedSignal)
{
    bool dummyOk;
    const char *dummySignal;
    prepareEditorOutArgs(ok, changedSignal, &dummyOk, &dummySignal);
    QWidget *widget = createWidgetImpl(ok, changedSignal);
    if (widget)
        widget->setToolTip(toolTipText());
    return widget;
}

void prepareEditorOutArgs(bool *&ok, const char **&changedSignal, bool *okStandIn,
                          const char **signalStandIn)
{
    if (!ok)
        ok = okStandIn;
    if (!changedSignal)
        changedSignal = signalStandIn;
    *ok = false;
    *changedSignal = nullptr;
}

QString bytesToHex(const unsigned char *data, unsigned int length)
{
    QString out;
    out.reserve(int(length) * 3);
    appendHexBytes(out, data, int(length));
    return out;
}

QString bytesToHex(const QByteArray &data)
{
    return bytesToHex(reinterpret_cast<const unsigned char *>(data.constData()),
                      unsigned(data.size()));
}
