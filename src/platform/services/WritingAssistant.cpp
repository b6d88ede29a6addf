#include "platform/services/WritingAssistant.h"

namespace folio {

namespace {

WritingAssistant* g_replacement = nullptr;

} // namespace

WritingAssistant& WritingAssistant::shared()
{
    static UnavailableWritingAssistant unavailable;
    return g_replacement ? *g_replacement : unavailable;
}

void WritingAssistant::setShared(WritingAssistant* assistant)
{
    g_replacement = assistant;
}

Status UnavailableWritingAssistant::open(ViewController&, int, const std::u16string&, AnswerHandler)
{
    return Error{kErrorDomain, NotAvailable, "The writing assistant is not available on this system."};
}

} // namespace folio
