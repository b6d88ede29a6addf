#include "platform/gtk/GtkPDFPrinter.h"


#include <poppler.h>

#include <algorithm>

namespace folio {

namespace {

struct PrintJob {
    PopplerDocument* document = nullptr;
};

void beginPrint(GtkPrintOperation* operation, GtkPrintContext*, gpointer data)
{
    auto* job = static_cast<PrintJob*>(data);
    gtk_print_operation_set_n_pages(operation, std::max(1, poppler_document_get_n_pages(job->document)));
}

void drawPage(GtkPrintOperation*, GtkPrintContext* context, gint index, gpointer data)
{
    auto* job = static_cast<PrintJob*>(data);
    PopplerPage* page = poppler_document_get_page(job->document, index);
    if (!page)
        return;
    cairo_t* cairo = gtk_print_context_get_cairo_context(context);
    double width = 0;
    double height = 0;
    poppler_page_get_size(page, &width, &height);
    // Fitted to the printable area, keeping the page's proportions.
    double scale = std::min(gtk_print_context_get_width(context) / width, gtk_print_context_get_height(context) / height);
    cairo_scale(cairo, scale, scale);
    poppler_page_render_for_printing(page, cairo);
    g_object_unref(page);
}

} // namespace

Status GtkPDFPrinter::printPDFFile(const std::string& path, const std::string& jobName, GtkWindow* parent)
{
    GError* error = nullptr;
    gchar* uri = g_filename_to_uri(path.c_str(), nullptr, &error);
    PrintJob job;
    job.document = uri ? poppler_document_new_from_file(uri, nullptr, &error) : nullptr;
    g_free(uri);
    if (!job.document) {
        std::string reason = error ? error->message : "not a PDF file";
        if (error)
            g_error_free(error);
        return Error{kErrorDomain, UnreadablePDF, "Cannot print " + path + ": " + reason};
    }
    GtkPrintOperation* operation = gtk_print_operation_new();
    gtk_print_operation_set_job_name(operation, jobName.c_str());
    gtk_print_operation_set_use_full_page(operation, FALSE);
    g_signal_connect(operation, "begin-print", G_CALLBACK(beginPrint), &job);
    g_signal_connect(operation, "draw-page", G_CALLBACK(drawPage), &job);
    GtkPrintOperationResult result =
        gtk_print_operation_run(operation, GTK_PRINT_OPERATION_ACTION_PRINT_DIALOG, parent, &error);
    g_object_unref(operation);
    g_object_unref(job.document);
    if (result == GTK_PRINT_OPERATION_RESULT_ERROR) {
        std::string reason = error ? error->message : "the printer refused the job";
        if (error)
            g_error_free(error);
        return Error{kErrorDomain, PrintFailed, "Cannot print " + path + ": " + reason};
    }
    return Status::success();
}

} // namespace folio
