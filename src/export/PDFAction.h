#pragma once

namespace folio {

// What happens with a PDF once it is made: the action code an export carries
// to the code that acts on the finished file. Codes 13 to 16 mark PDFs of
// ".marquent" files and act like 1, 3, 4 and 12. The numbers are the ones
// the document browser's requests use.
enum class PDFAction : int {
    Open = 0,
    Preview = 1,
    SendToApp = 2,
    Mail = 3,
    Print = 4,
    FileWrapper = 5,
    Dropbox = 6,
    GoogleDrive = 7,
    None = 10,
    // A conversion that opens its copy: only the progress overlay goes.
    DismissProgress = 12,
    MarquentPreview = 13,
    MarquentMail = 14,
    MarquentPrint = 15,
    MarquentDismissProgress = 16,
    iCloudDrive = 20,
    WebDAV = 22,
    // The copy joins the listing of another maker's synced project folder.
    AddToFolder = 55,
};

} // namespace folio
