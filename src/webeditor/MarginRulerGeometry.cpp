#include "webeditor/MarginRulerGeometry.h"

#include "platform/foundation/Localization.h"
#include "platform/foundation/StringFormat.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"

#include <array>

namespace folio {

namespace {

constexpr double kCentimetresPerInch = 2.54;
constexpr double kPortraitFactor = 0.905;
constexpr double kLandscapeFactor = 1.215;

struct MultitaskingWidth {
    double width;
    double divisor;
};

// The split-screen widths a tablet window takes, and how much narrower than
// the full screen each shows the sheet.
constexpr std::array<MultitaskingWidth, 5> kMultitaskingWidths{{
    {320, 4}, {438, 3.3}, {507, 3}, {678, 2.9}, {694, 2.8},
}};
constexpr double kOtherMultitaskingDivisor = 4;

} // namespace

double MarginRulerGeometry::screenFactor(int deviceClass, bool landscape, std::optional<double> multitaskingWidth)
{
    double base = landscape ? kLandscapeFactor : kPortraitFactor;
    if (multitaskingWidth) {
        for (const MultitaskingWidth& entry : kMultitaskingWidths) {
            if (entry.width == *multitaskingWidth)
                return base / entry.divisor;
        }
        return base / kOtherMultitaskingDivisor;
    }
    switch (deviceClass) {
    case 0:
        return base;
    case 2:
        return base / 3;
    default:
        return base / 4;
    }
}

bool MarginRulerGeometry::isMultitaskingWidth(double width)
{
    for (const MultitaskingWidth& entry : kMultitaskingWidths) {
        if (entry.width == width)
            return true;
    }
    return false;
}

std::string MarginRulerGeometry::marginScript(double left, double right)
{
    return formatInCLocale("document.getElementById('content').style.marginLeft='%.2fcm';"
                           "document.getElementById('content').style.marginRight='%.2fcm';",
                           left, right);
}

std::string MarginRulerGeometry::marginDeclarations(double left, double right)
{
    return formatInCLocale("margin-left:%.2fcm;margin-right:%.2fcm;", left, right);
}

std::u16string MarginRulerGeometry::bannerText(float lower, float upper)
{
    std::u16string format = toUtf16(Localization::localizedString("Margin Left %.1f - Margin Right %.1f"));
    return formatString(format, {lower / kCentimetresPerInch, upper / kCentimetresPerInch});
}

} // namespace folio
