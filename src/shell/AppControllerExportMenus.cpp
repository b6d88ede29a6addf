#include "shell/AppController.h"

#include "delivery/MailService.h"
#include "delivery/PNGResultActions.h"
#include "delivery/ShareService.h"
#include "export/ExportSource.h"
#include "platform/docframework/TypeIdentifiers.h"
#include "platform/foundation/Data.h"
#include "platform/foundation/Unicode.h"
#include "platform/foundation/ZipArchive.h"
#include "platform/ui/Action.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/Menu.h"
#include "platform/ui/ProgressHUD.h"
#include "platform/ui/ViewController.h"

#include <filesystem>

namespace folio {

namespace {

// A format the browser and the share menu hand on as a file.
struct FileExportFormat {
    std::u16string title;
    const char* extension;
    const char* typeIdentifier;
    // The exported file, made from the saved document at the path.
    std::function<Result<DKZipArchive::FileWrapper>(ExportActions&, const std::string& path)> make;
};

Result<DKZipArchive::FileWrapper> fileOfText(Result<std::string> text, const std::string& path, const char* extension)
{
    if (!text)
        return text.error();
    return DKZipArchive::FileWrapper::regularFile(ExportSource(path).displayedName() + "." + extension,
                                                  Data::fromString(*text));
}

Result<DKZipArchive::FileWrapper> fileAt(Result<std::string> made)
{
    if (!made)
        return made.error();
    Result<DKZipArchive::FileWrapper> file = DKZipArchive::FileWrapper::fromPath(*made);
    if (file)
        file->name = std::filesystem::path(*made).filename().string();
    return file;
}

std::vector<FileExportFormat> fileExportFormats()
{
    return {
        {u"HTML", "html", "public.html",
         [](ExportActions& exports, const std::string& path) {
             return fileOfText(exports.HTMLDataForFileItem(path), path, "html");
         }},
        {u"Plain Text", "txt", "public.plain-text",
         [](ExportActions& exports, const std::string& path) {
             return fileOfText(exports.TXTDataForFileItem(path), path, "txt");
         }},
        {u"ePub", "epub", "org.idpf.epub-container",
         [](ExportActions& exports, const std::string& path) { return fileAt(exports.ePubURLForFileItem(path)); }},
        {u"RTFD", "rtfd.zip", "com.apple.rtfd",
         [](ExportActions& exports, const std::string& path) { return fileAt(exports.RTFDURLForFileItem(path)); }},
    };
}

} // namespace

void AppController::presentExportAlert(const std::u16string& title, const std::string& message)
{
    if (documentWindow()) {
        presentDocumentAlert(title, message);
        return;
    }
    // From the browser: over whatever it shows, one alert at a time.
    std::shared_ptr<ViewController> top = topViewController();
    if (!top || std::dynamic_pointer_cast<AlertController>(top))
        return;
    auto alert = AlertController::make(title, toUtf16(message), AlertControllerStyle::Alert);
    alert->addAction(AlertAction::make(u"OK", AlertActionStyle::Default, {}));
    top->presentViewController(alert, true);
}

std::vector<std::shared_ptr<MenuElement>> AppController::otherExportMenus(std::function<std::string()> pathWhenChosen)
{
    std::weak_ptr<int> alive = m_lifetime;
    auto row = [this, alive, pathWhenChosen](std::u16string title, FileTask task) {
        return Action::make(std::move(title), {}, [this, alive, pathWhenChosen, task](Action&) {
            if (alive.expired())
                return;
            if (std::string path = pathWhenChosen(); !path.empty())
                runOnSavedFile(path, task);
        });
    };
    std::vector<std::shared_ptr<MenuElement>> menus;
    for (FileExportFormat format : fileExportFormats()) {
        auto handOn = [this, format](bool mail) {
            return [this, format, mail](const std::string& path) -> Status {
                Result<DKZipArchive::FileWrapper> file = format.make(m_exports, path);
                if (!file)
                    return file.error();
                ExportServices services = m_exports.exportServices();
                if (mail) {
                    if (!services.mail)
                        return Error{kExportErrorDomain, NothingToShow, "There is no mail program to hand the file to"};
                    return services.mail->sendEmailWithFileWrapper(*file, format.typeIdentifier);
                }
                if (!services.share)
                    return Error{kExportErrorDomain, NothingToShow, "There is no program to hand the file to"};
                return services.share->sendDocumenttoApp(*file);
            };
        };
        std::vector<std::shared_ptr<MenuElement>> rows;
        if (format.title == u"HTML")
            rows.push_back(row(u"Preview HTML", [this](const std::string& path) {
                m_previews.previewHTMLFileItem(path);
                return Status::success();
            }));
        rows.push_back(row(u"Mail as " + format.title + u"…", handOn(true)));
        rows.push_back(row(u"Open " + format.title + u" in Another Application", handOn(false)));
        menus.push_back(Menu::make(u"Export as " + format.title, std::move(rows)));
    }
    auto picture = [this, row](std::u16string title, PNGAction action) {
        return row(std::move(title), [this, action](const std::string& path) {
            ProgressHUD::show();
            Status started = m_exports.PNGDataForFileItem(path, action, [this](Result<std::string> outcome) {
                if (!outcome)
                    presentExportAlert(u"The Picture Could Not Be Made", outcome.error().message);
            });
            if (!started)
                ProgressHUD::dismiss();
            return started;
        });
    };
    menus.push_back(Menu::make(u"Export as Picture (PNG)", {
        picture(u"Mail Picture…", PNGAction::Mail),
        picture(u"Open Picture in Another Application", PNGAction::SendToApp),
        picture(u"Save Picture", PNGAction::SaveToPictures),
        picture(u"Send Picture to Dropbox", PNGAction::Dropbox),
        picture(u"Send Picture to Google Drive", PNGAction::GoogleDrive),
        picture(u"Send Picture to iCloud Drive", PNGAction::iCloudDrive),
        picture(u"Send Picture to WebDAV", PNGAction::WebDAV),
    }));
    return menus;
}

std::shared_ptr<Menu> AppController::exportMenuForFile(const std::string& path)
{
    std::shared_ptr<Menu> pdf = PDFMenuForFile(path);
    // A PDF is only ever copied; the other formats are made from documents.
    if (TypeIdentifiers::typeIdentifierForPath(path) == TypeIdentifiers::kPDF)
        return pdf;
    std::vector<std::shared_ptr<MenuElement>> rows = pdf->children();
    for (auto& menu : otherExportMenus([path] { return path; }))
        rows.push_back(std::move(menu));
    return Menu::make(u"", std::move(rows));
}

} // namespace folio
