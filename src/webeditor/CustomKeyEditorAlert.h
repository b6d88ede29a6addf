#pragma once

#include <functional>
#include <memory>
#include <string>

namespace folio {

class AlertController;
class Button;

// The alert a long press on a custom key opens: a field holding the key's
// title, Cancel and OK. OK tells `confirmed` the key's tag and the field's
// text (which may be empty); Cancel tells `cancelled`.
std::shared_ptr<AlertController> makeCustomKeyEditorAlert(const Button& key,
                                                          std::function<void(long tag, const std::u16string& text)> confirmed,
                                                          std::function<void()> cancelled);

} // namespace folio
