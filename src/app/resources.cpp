#include "app/resources.h"

#include <QtGlobal>

void initTarvikResources()
{
    Q_INIT_RESOURCE(tarvik);
    Q_INIT_RESOURCE(tarvik_translations);
}
