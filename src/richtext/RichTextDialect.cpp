#include "richtext/RichTextDialect.h"

#include "webeditor/ReadyPoller.h"

namespace folio {

std::string RichTextDialect::readySignal() const
{
    return ReadyPoller::kDOMLoadedSignal;
}

} // namespace folio
