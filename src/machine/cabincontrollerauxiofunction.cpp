#include "machine/cabincontrollerauxiofunction.h"

#include "machine/editors/ccauxioschemetreeitem.h"
#include "machine/machinelists.h"
#include "machine/saebuttonparameter.h"
#include "model/buttonlistparameter.h"
#include "model/zxintparameter.h"

CabinControllerAuxIoFunction::CabinControllerAuxIoFunction(QObject *parent)
    : BitFieldFunction(0xFE, 0xD9, parent)
{
    setObjectName(QStringLiteral("CabinControllerAuxIoFunction"));
    setName(tr("Auxiliary input/output states"));
    for (int i = 0; i < 8; ++i) {
        auto *button = new SaeButtonParameter;
        addParameter(button, QStringLiteral("B%1").arg(13 + i));
        button->setDescription(tr("Button %1").arg(13 + i));
        addField(i, twoBitPos(i), 2);
    }
    addParameter(new ButtonListParameter(MachineLists::outputState()), QStringLiteral("LED1"));
    addParameter(new ButtonListParameter(MachineLists::outputState()), QStringLiteral("LED2"));
    addField(Led1, twoBitPos(8), 2);
    addField(Led2, twoBitPos(9), 2);
    addListParameter(QStringLiteral("OUT1"), MachineLists::outputState());
    addListParameter(QStringLiteral("OUT2"), MachineLists::outputState());
    addField(Out1, twoBitPos(12), 2);
    addField(Out2, twoBitPos(13), 2);
    addIntParameter(QStringLiteral("AUXIO1"));
    addIntParameter(QStringLiteral("AUXIO2"));
    addField(Auxio1, 32, 16);
    addField(Auxio2, 48, 16);
    setDeviceType(Continuous, 100);
}

QString CabinControllerAuxIoFunction::textDataImpl() const
{
    const QList<ZxParameter *> &p = parameters();
    QString buttons;
    for (int i = FirstButton; i < Led1; ++i)
        buttons += p.at(i)->toString();
    return QStringLiteral("B=%1 LED=%2%3 OUT=%4%5 AUXIO1=%6 AUXIO2=%7")
        .arg(buttons, p.at(Led1)->toString(), p.at(Led2)->toString(), p.at(Out1)->toString(),
             p.at(Out2)->toString(), p.at(Auxio1)->toString(), p.at(Auxio2)->toString());
}

AbstractSchemeTreeItem *CabinControllerAuxIoFunction::createTreeItem()
{
    return new CCAuxIoSchemeTreeItem(this);
}
