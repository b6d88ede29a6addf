#include "webeditor/StyleValueRules.h"

#include "platform/graphics/Color.h"

#include <cmath>

namespace folio {

double StyleValueRules::convertLineSpacing(double spacing, double fontSize)
{
    if (spacing == 0 || spacing == 1 || spacing == 500)
        return 1.0;
    if (spacing <= 5)
        return spacing;
    if (!(fontSize > 0))
        return 1.0;
    return std::round(spacing / fontSize * 10) / 10;
}

bool StyleValueRules::colorsEqual(const Color& a, const Color& b, double tolerance)
{
    return std::fabs(a.red() - b.red()) <= tolerance && std::fabs(a.green() - b.green()) <= tolerance &&
           std::fabs(a.blue() - b.blue()) <= tolerance && std::fabs(a.alpha() - b.alpha()) <= tolerance;
}

} // namespace folio
