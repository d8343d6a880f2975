#pragma once

#include "model/zxlistparameter.h"

// State of one controller output, from its 3-bit field.
class Zx3BitIOStateParameter : public ZxListParameter
{
public:
    Zx3BitIOStateParameter();
    static const QStringList &stateTexts();
};
