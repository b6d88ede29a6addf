#pragma once

#include "platform/docframework/DKDocumentAppController.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace folio {

// The application's picture of a file, as an editor's Tools menu asks for
// it: records whom it was asked for and answers the outcome set.
class SnapshotTakingApp final : public DKDocumentAppController {
public:
    explicit SnapshotTakingApp(std::string picture) : outcome(std::move(picture)) {}

    std::shared_ptr<DKDocument> makeDocumentForURL(const std::string&) override { return nullptr; }
    void takeSnapshotFromURL(const std::string& url, std::function<void(Result<std::string>)> completion) override
    {
        asked.push_back(url);
        completion(outcome);
    }

    std::vector<std::string> asked;
    Result<std::string> outcome;
};

} // namespace folio
