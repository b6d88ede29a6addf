#pragma once

#include "delivery/PDFResultActions.h"
#include "export/Exporter.h"

#include <functional>
#include <memory>
#include <string>

namespace folio {

// One PDF conversion the browser asked for, with the actions that take its
// finished file where it was meant to go. Both must outlive the conversion,
// which reports long after the request returned, so the owner keeps this
// object until the one outcome has arrived and been acted on.
class RunningPDFExport final {
public:
    // Runs after the actions have handled the outcome; the owner may let go
    // of this object then, though not destroy it inside the call.
    using Finished = std::function<void(RunningPDFExport& running)>;

    RunningPDFExport(ExportServices services, PDFResultActions::Hooks hooks, PDFAction action, std::string name,
                     Finished onFinished);

    void setTask(std::shared_ptr<ExportTask> task) { m_task = std::move(task); }
    const PDFResultActions& actions() const { return m_actions; }

    // The action code the finished file is handled with.
    PDFAction action() const { return m_action; }
    bool isFinished() const { return m_finished; }
    // Why the conversion failed, or what the receiving service answered.
    const Status& outcome() const { return m_outcome; }

    // The exporter's outcome: the finished file, or why there is none.
    void conversionFinished(Result<std::string> file);

private:
    PDFResultActions m_actions;
    PDFAction m_action;
    std::string m_name;
    Finished m_onFinished;
    std::shared_ptr<ExportTask> m_task;
    bool m_finished = false;
    Status m_outcome;
};

} // namespace folio
