#include "qvtext/QVPaper.h"

#include "documents/PageSizes.h"
#include "engine/css/ColorHTML.h"
#include "foundation/color/ColorExpanded.h"
#include "platform/foundation/Log.h"
#include "webeditor/PageConnection.h"
#include "webeditor/PageScript.h"

namespace folio {

QVPaper::QVPaper(PageConnection& page, Host host) : m_page(page), m_host(std::move(host)) {}

std::string QVPaper::paperColorScript(const std::string& color)
{
    return PageScript::fill("tinymce.activeEditor.getBody().style.backgroundColor = {};", {color});
}

Size QVPaper::sizeFromPageSize(std::string_view name)
{
    return PageSizes::sizeFromPageSize(name);
}

void QVPaper::dirty()
{
    if (m_host.documentIsDirty)
        m_host.documentIsDirty();
}

void QVPaper::setPaperColor(const std::string& color)
{
    m_color = colorWithHTMLName(color);
    if (m_host.paintBackground)
        m_host.paintBackground(m_color);
    m_page.send(paperColorScript(color));
}

void QVPaper::userSelectedBackgroundColor(const std::string& color)
{
    if (m_host.leaveNightModes)
        m_host.leaveNightModes();
    setPaperColor(color);
    dirty();
}

void QVPaper::setCurrentBackgroundDocumentColor(const Color& color)
{
    std::optional<std::string> name = closestColorName(color);
    if (!name) {
        // Only an RGB colour has a nearest name; the page keeps its paper.
        TELog(TELogLevelWarning, "The paper colour is not an RGB colour; the page keeps its own");
        return;
    }
    if (m_host.leaveNightModes)
        m_host.leaveNightModes();
    setPaperColor(*name);
    dirty();
}

} // namespace folio
