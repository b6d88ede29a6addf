#include "platform/ui/Slider.h"

namespace folio {

bool Slider::slideTo(double value)
{
    if (!isEnabled() || isHidden())
        return false;
    changeValueByUser(value);
    return true;
}

} // namespace folio
