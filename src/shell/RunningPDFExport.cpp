#include "shell/RunningPDFExport.h"

namespace folio {

RunningPDFExport::RunningPDFExport(ExportServices services, PDFResultActions::Hooks hooks, PDFAction action,
                                   std::string name, Finished onFinished)
    : m_actions(services, std::move(hooks))
    , m_action(action)
    , m_name(std::move(name))
    , m_onFinished(std::move(onFinished))
{
}

void RunningPDFExport::conversionFinished(Result<std::string> file)
{
    if (m_finished)
        return;
    if (file) {
        m_actions.conversionSucceeded(m_action, *file, m_name);
        m_outcome = m_actions.lastStatus();
    } else {
        m_actions.conversionFailed();
        m_outcome = file.error();
    }
    m_finished = true;
    if (m_onFinished)
        m_onFinished(*this);
}

} // namespace folio
