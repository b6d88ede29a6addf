#pragma once

namespace folio {

class CloudService;
class MailService;
class PrintService;
class ShareService;

// Where finished exports go. Not owned; a missing service skips its actions.
struct ExportServices {
    MailService* mail = nullptr;
    CloudService* cloud = nullptr;
    PrintService* print = nullptr;
    ShareService* share = nullptr;
};

} // namespace folio
