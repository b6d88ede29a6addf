#include "platform/ui/PicturePicker.h"

namespace folio {

namespace {

std::shared_ptr<PicturePicker>& installed()
{
    static std::shared_ptr<PicturePicker> picker;
    return picker;
}

} // namespace

PicturePicker* PicturePicker::shared()
{
    return installed().get();
}

void PicturePicker::setShared(std::shared_ptr<PicturePicker> picker)
{
    installed() = std::move(picker);
}

} // namespace folio
