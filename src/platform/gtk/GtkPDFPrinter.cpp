#include "platform/gtk/GtkPDFPrinter.h"

#include "platform/docframework/ReaderDocument.h"

#include <algorithm>

namespace folio {

namespace {

void beginPrint(GtkPrintOperation* operation, GtkPrintContext*, gpointer data)
{
    auto* document = static_cast<ReaderDocument*>(data);
    gtk_print_operation_set_n_pages(operation, std::max<int>(1, int(document->pageCount())));
}

// A landscape page, such as a turned section of a document, is printed on
// turned paper rather than shrunk onto upright paper.
void requestPageSetup(GtkPrintOperation*, GtkPrintContext*, gint index, GtkPageSetup* setup, gpointer data)
{
    auto* document = static_cast<ReaderDocument*>(data);
    Result<Size> size = document->pageSize(std::size_t(index));
    if (!size)
        return;
    gtk_page_setup_set_orientation(setup, size->width > size->height ? GTK_PAGE_ORIENTATION_LANDSCAPE
                                                                     : GTK_PAGE_ORIENTATION_PORTRAIT);
}

void drawPage(GtkPrintOperation*, GtkPrintContext* context, gint index, gpointer data)
{
    auto* document = static_cast<ReaderDocument*>(data);
    Result<Size> size = document->pageSize(std::size_t(index));
    if (!size || size->width <= 0 || size->height <= 0)
        return;
    cairo_t* cairo = gtk_print_context_get_cairo_context(context);
    // Fitted to the printable area, keeping the page's proportions.
    double scale = std::min(gtk_print_context_get_width(context) / size->width,
                            gtk_print_context_get_height(context) / size->height);
    cairo_scale(cairo, scale, scale);
    document->drawPage(std::size_t(index), cairo, ReaderDocument::Purpose::Printing);
}

Status print(const std::string& path, const std::string& jobName, GtkWindow* parent, const std::string* exportPath)
{
    Result<std::shared_ptr<ReaderDocument>> document = ReaderDocument::withDocumentFilePath(path);
    if (!document)
        return Error{GtkPDFPrinter::kErrorDomain, GtkPDFPrinter::UnreadablePDF, document.error().message};
    GtkPrintOperation* operation = gtk_print_operation_new();
    gtk_print_operation_set_job_name(operation, jobName.c_str());
    if (exportPath)
        gtk_print_operation_set_export_filename(operation, exportPath->c_str());
    g_signal_connect(operation, "begin-print", G_CALLBACK(beginPrint), document->get());
    g_signal_connect(operation, "request-page-setup", G_CALLBACK(requestPageSetup), document->get());
    g_signal_connect(operation, "draw-page", G_CALLBACK(drawPage), document->get());
    GError* error = nullptr;
    GtkPrintOperationResult result = gtk_print_operation_run(
        operation, exportPath ? GTK_PRINT_OPERATION_ACTION_EXPORT : GTK_PRINT_OPERATION_ACTION_PRINT_DIALOG, parent,
        &error);
    g_object_unref(operation);
    if (result == GTK_PRINT_OPERATION_RESULT_ERROR) {
        std::string reason = error ? error->message : "the printer refused the job";
        if (error)
            g_error_free(error);
        return Error{GtkPDFPrinter::kErrorDomain, GtkPDFPrinter::PrintFailed, "Cannot print " + path + ": " + reason};
    }
    return Status::success();
}

} // namespace

Status GtkPDFPrinter::printPDFFile(const std::string& path, const std::string& jobName, GtkWindow* parent)
{
    return print(path, jobName, parent, nullptr);
}

Status GtkPDFPrinter::printPDFFileToFile(const std::string& path, const std::string& outputPath)
{
    return print(path, "Folio", nullptr, &outputPath);
}

} // namespace folio
