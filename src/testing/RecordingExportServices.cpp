#include "testing/RecordingExportServices.h"

#include <filesystem>

namespace folio {

namespace {

RecordingExportServices::Call wrapperCall(RecordingExportServices::Kind kind, const DKZipArchive::FileWrapper& file)
{
    RecordingExportServices::Call call{kind, file.name, {}, {}, std::nullopt, 0};
    call.byteCount = file.contents.length();
    return call;
}

std::string fileNameOf(const std::string& path)
{
    return std::filesystem::path(path).filename().string();
}

} // namespace

Status RecordingExportServices::record(Call call)
{
    m_calls.push_back(std::move(call));
    if (m_failure)
        return *m_failure;
    return Status::success();
}

Status RecordingExportServices::sendEmailWithFileWrapper(const DKZipArchive::FileWrapper& file,
                                                         const std::string& exportType)
{
    Call call = wrapperCall(Kind::Mail, file);
    call.exportType = exportType;
    return record(std::move(call));
}

Result<std::string> RecordingExportServices::sendFileWrapper(const DKZipArchive::FileWrapper& file,
                                                             CloudDestination destination, const std::string& exportType)
{
    Call call = wrapperCall(Kind::Cloud, file);
    call.exportType = exportType;
    call.destination = destination;
    Status status = record(std::move(call));
    if (!status)
        return status.error();
    return "/outbox/" + std::string(cloudDestinationName(destination)) + "/" + file.name;
}

Status RecordingExportServices::printPDFDocumentFromURL(const std::string& path, const std::string& printName)
{
    return record(Call{Kind::Print, printName, path, {}, std::nullopt, 0});
}

Status RecordingExportServices::presentPDFPreview(const std::string& path, const std::string& name)
{
    return record(Call{Kind::Preview, name, path, {}, std::nullopt, 0});
}

Status RecordingExportServices::sendPDFDocumenttoApp(const DKZipArchive::FileWrapper& file)
{
    return record(wrapperCall(Kind::SendPDFToApp, file));
}

Status RecordingExportServices::sendJPEGDocumenttoApp(const DKZipArchive::FileWrapper& file)
{
    return record(wrapperCall(Kind::SendJPEGToApp, file));
}

Status RecordingExportServices::sendDocumenttoApp(const DKZipArchive::FileWrapper& file)
{
    return record(wrapperCall(Kind::SendDocumentToApp, file));
}

Status RecordingExportServices::insertNewItemWithFilePath(const std::string& path)
{
    return record(Call{Kind::InsertItem, fileNameOf(path), path, {}, std::nullopt, 0});
}

Result<std::string> RecordingExportServices::savePicture(const DKZipArchive::FileWrapper& picture)
{
    Status status = record(wrapperCall(Kind::SavePicture, picture));
    if (!status)
        return status.error();
    return picture.name;
}

} // namespace folio
