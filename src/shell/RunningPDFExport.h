#pragma once

#include "export/pdf/NDHTMLtoPDF.h"
#include "delivery/PDFResultActions.h"

#include <functional>
#include <memory>

namespace folio {

// One PDF conversion the browser asked for, with the actions that take its
// finished file where it was meant to go. Both must outlive the conversion,
// which reports long after the request returned, so the owner keeps this
// object until the one outcome has arrived and been acted on.
class RunningPDFExport final : public NDHTMLtoPDFDelegate {
public:
    // Runs after the actions have handled the outcome; the owner may let go
    // of this object then, though not destroy it inside the call.
    using Finished = std::function<void(RunningPDFExport& running)>;

    RunningPDFExport(ExportServices services, PDFResultActions::Hooks hooks, Finished onFinished);

    void setConverter(std::shared_ptr<NDHTMLtoPDF> converter) { m_converter = std::move(converter); }
    const std::shared_ptr<NDHTMLtoPDF>& converter() const { return m_converter; }
    const PDFResultActions& actions() const { return m_actions; }

    // The action code the finished file was handled with.
    int action() const { return m_action; }
    bool isFinished() const { return m_finished; }
    // Why the conversion failed, or what the receiving service answered.
    const Status& outcome() const { return m_outcome; }

    // NDHTMLtoPDFDelegate
    void HTMLtoPDFDidSucceed(NDHTMLtoPDF& converter) override;
    void HTMLtoPDFDidFail(NDHTMLtoPDF& converter) override;

private:
    void finish();

    PDFResultActions m_actions;
    Finished m_onFinished;
    std::shared_ptr<NDHTMLtoPDF> m_converter;
    int m_action = 0;
    bool m_finished = false;
    Status m_outcome;
};

} // namespace folio
