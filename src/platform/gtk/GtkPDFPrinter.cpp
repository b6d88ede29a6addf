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

} // namespace

Status GtkPDFPrinter::printPDFFile(const std::string& path, const std::string& jobName, GtkWindow* parent)
{
    Result<std::shared_ptr<ReaderDocument>> document = ReaderDocument::withDocumentFilePath(path);
    if (!document)
        return Error{kErrorDomain, UnreadablePDF, document.error().message};
    GtkPrintOperation* operation = gtk_print_operation_new();
    gtk_print_operation_set_job_name(operation, jobName.c_str());
    g_signal_connect(operation, "begin-print", G_CALLBACK(beginPrint), document->get());
    g_signal_connect(operation, "draw-page", G_CALLBACK(drawPage), document->get());
    GError* error = nullptr;
    GtkPrintOperationResult result =
        gtk_print_operation_run(operation, GTK_PRINT_OPERATION_ACTION_PRINT_DIALOG, parent, &error);
    g_object_unref(operation);
    if (result == GTK_PRINT_OPERATION_RESULT_ERROR) {
        std::string reason = error ? error->message : "the printer refused the job";
        if (error)
            g_error_free(error);
        return Error{kErrorDomain, PrintFailed, "Cannot print " + path + ": " + reason};
    }
    return Status::success();
}

} // namespace folio
