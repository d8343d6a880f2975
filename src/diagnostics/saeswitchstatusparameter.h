#pragma once

#include "model/zxlistparameter.h"

// An SAE two-bit switch status (lamps of DM1): the value is the field itself, 0 to 3.
class SaeSwitchStatusParameter : public ZxListParameter
{
public:
    SaeSwitchStatusParameter();
    static const QStringList &statusTexts();
};
