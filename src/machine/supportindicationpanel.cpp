#include "machine/supportindicationpanel.h"

#include "diagnostics/tunefunction.h"
#include "machine/supportindicationpanelstatefunction.h"

SupportIndicationPanel::SupportIndicationPanel(QObject *parent)
    : J1939Device(0x9C, parent)
{
    new SupportIndicationPanelStateFunction(this);
    new TuneFunction(this);
}
