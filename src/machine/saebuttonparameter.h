#pragma once

#include "model/zxlistparameter.h"

// Two-bit SAE status of a button: off, on, error, disabled.
class SaeButtonParameter : public ZxListParameter
{
public:
    SaeButtonParameter();
    static QStringList stateTexts();
};
