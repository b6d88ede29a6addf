#include "export/ExportNaming.h"

#include <cstdio>
#include <filesystem>

namespace folio {

namespace {

bool endsWith(std::string_view text, std::string_view suffix)
{
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

bool contains(std::string_view text, std::string_view part)
{
    return text.find(part) != std::string_view::npos;
}

} // namespace

std::string ExportNaming::copyPath(std::string_view itemPath, std::string_view extension)
{
    std::filesystem::path path(itemPath);
    std::filesystem::path copy = path.parent_path() / (path.stem().string() + "-Copy");
    copy += ".";
    copy += std::string(extension);
    return copy.string();
}

std::string ExportNaming::timedCopyPath(std::string_view itemPath, int minutes, int seconds)
{
    std::filesystem::path path(itemPath);
    char time[16];
    std::snprintf(time, sizeof time, "%02d-%02d", minutes, seconds);
    return (path.parent_path() / (path.filename().string() + "-" + time + ".pdf")).string();
}

std::string ExportNaming::temporaryPath(std::string_view temporaryFolder, std::string_view itemPath)
{
    std::filesystem::path path(itemPath);
    return (std::filesystem::path(temporaryFolder) / (path.filename().string() + ".pdf")).string();
}

bool ExportNaming::isLegacyDocument(std::string_view path)
{
    return endsWith(path, ".marquent");
}

PDFAction ExportNaming::actionForBrowserRequest(std::string_view path, PDFAction action)
{
    if (!isLegacyDocument(path))
        return action;
    if (action == PDFAction::Open)
        return PDFAction::MarquentPreview;
    if (action == PDFAction::Mail)
        return PDFAction::MarquentMail;
    return action;
}

PDFAction ExportNaming::actionForConvertAndOpen(std::string_view path, Scope scope)
{
    bool projectFolder = false;
    if (scope == Scope::Dropbox)
        projectFolder = contains(path, "/Files/Docs/") || contains(path, "/Files/Data/");
    else if (scope == Scope::iCloud)
        projectFolder = contains(path, ".scriv/Files/Docs/") || contains(path, ".scriv/Files/Data/");
    if (projectFolder)
        return PDFAction::AddToFolder;
    return isLegacyDocument(path) ? PDFAction::MarquentDismissProgress : PDFAction::DismissProgress;
}

PDFAction ExportNaming::actionForPreview(std::string_view path)
{
    return isLegacyDocument(path) ? PDFAction::MarquentPreview : PDFAction::Preview;
}

} // namespace folio
