#include "machine/supportcontrollerauxiofunction.h"

#include "machine/cabincontrollerauxiofunction.h"
#include "machine/editors/scauxioschemetreeitem.h"
#include "machine/machinelists.h"
#include "model/zxintparameter.h"
#include "model/zxlistparameter.h"

SupportControllerAuxIoFunction::SupportControllerAuxIoFunction(QObject *parent)
    : BitFieldFunction(0xFE, 0xD9, parent)
{
    setObjectName(QStringLiteral("SupportControllerAuxIoFunction"));
    setName(tr("Auxiliary input/output states"));
    for (int i = 0; i < 12; ++i) {
        addListParameter(QStringLiteral("OUT%1").arg(i + 1), MachineLists::outputState());
        addField(i, CabinControllerAuxIoFunction::twoBitPos(i), 2);
    }
    for (int i = 0; i < 4; ++i) {
        addListParameter(QStringLiteral("IN%1").arg(i + 1), MachineLists::inputState());
        addField(FirstInput + i, CabinControllerAuxIoFunction::twoBitPos(FirstInput + i), 2);
    }
    addIntParameter(QStringLiteral("AUXIO1"));
    addIntParameter(QStringLiteral("AUXIO2"));
    addField(Auxio1, 32, 16);
    addField(Auxio2, 48, 16);
    setDeviceType(Continuous, 100);
}

QString SupportControllerAuxIoFunction::textDataImpl() const
{
    const QList<ZxParameter *> &p = parameters();
    QString outputs;
    for (int i = FirstOutput; i < FirstInput; ++i)
        outputs += p.at(i)->toString();
    QString inputs;
    for (int i = FirstInput; i < Auxio1; ++i)
        inputs += p.at(i)->toString();
    return QStringLiteral("OUT=%1 IN=%2 AUXIO1=%3 AUXIO2=%4")
        .arg(outputs, inputs, p.at(Auxio1)->toString(), p.at(Auxio2)->toString());
}

AbstractSchemeTreeItem *SupportControllerAuxIoFunction::createTreeItem()
{
    return new SCAuxIoSchemeTreeItem(this);
}
