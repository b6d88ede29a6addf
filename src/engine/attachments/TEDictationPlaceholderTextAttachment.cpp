#include "engine/attachments/TEDictationPlaceholderTextAttachment.h"

namespace folio {

TEDictationPlaceholderTextAttachment::TEDictationPlaceholderTextAttachment()
{
    setDisplaySize(kPlaceholderSize);
    setOriginalSize(kPlaceholderSize);
}

} // namespace folio
