#include "qvtext/QVPagePlaceholders.h"

namespace folio {

namespace {

std::string placeholder(const std::string& element, const char* id, const char* marginAttribute, const char* text)
{
    return "<" + element + " id=\"" + id
           + "\" contenteditable=false style=\"visibility:hidden;display: none;height:1.0;overflow: hidden; "
             "font-family:Helvetica;font-size:12;text-align:right; color:black;\" "
           + marginAttribute + "=\"0.5\" data-enabled=\"NO\">" + text + "</" + element + ">";
}

} // namespace

std::string QVPagePlaceholders::getCurrentPageHeaderControl(const std::string& element)
{
    return placeholder(element, "pageHeader", "data-topMargin",
                       "Header Author: Mara Quillet [date] - Page [pagenumber] of [totalpages]");
}

std::string QVPagePlaceholders::getCurrentPageFooterControl(const std::string& element)
{
    return placeholder(element, "pageFooter", "data-bottomMargin",
                       " Footer Author: Mara Quillet [date] - Page [pagenumber] of [totalpages]");
}

} // namespace folio
