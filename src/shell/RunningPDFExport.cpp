#include "shell/RunningPDFExport.h"

namespace folio {

RunningPDFExport::RunningPDFExport(ExportServices services, PDFResultActions::Hooks hooks, Finished onFinished)
    : m_actions(services, std::move(hooks))
    , m_onFinished(std::move(onFinished))
{
}

void RunningPDFExport::HTMLtoPDFDidSucceed(NDHTMLtoPDF& converter)
{
    if (m_finished)
        return;
    m_action = converter.PDFaction();
    m_actions.conversionSucceeded(converter.PDFaction(), converter.PDFpath(), converter.PDFname());
    m_outcome = m_actions.lastStatus();
    finish();
}

void RunningPDFExport::HTMLtoPDFDidFail(NDHTMLtoPDF& converter)
{
    if (m_finished)
        return;
    m_action = converter.PDFaction();
    m_actions.conversionFailed();
    m_outcome = converter.error() ? Status(*converter.error())
                                  : Status(Error{NDHTMLtoPDF::kErrorDomain, 0, "The PDF conversion failed"});
    finish();
}

void RunningPDFExport::finish()
{
    m_finished = true;
    if (m_onFinished)
        m_onFinished(*this);
}

} // namespace folio
