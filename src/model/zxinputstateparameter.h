#pragma once

#include "model/zxlistparameter.h"

// State of one controller input, from its 2-bit field.
class ZxInputStateParameter : public ZxListParameter
{
public:
    ZxInputStateParameter();
    static const QStringList &stateTexts();
};
