#pragma once

#include <functional>
#include <memory>
#include <string>

namespace folio {

class AlertController;
class Button;
class ViewController;

// The alert a long press on a custom key opens: a field holding the key's
// title, Cancel and OK. OK tells `confirmed` the key's tag and the field's
// text (which may be empty); Cancel tells `cancelled`.
std::shared_ptr<AlertController> makeCustomKeyEditorAlert(const Button& key,
                                                          std::function<void(long tag, const std::u16string& text)> confirmed,
                                                          std::function<void()> cancelled);

// Opens that alert for a long-pressed key through `present`, once: a press
// reports its beginning, its moves and its end, and `displaying` keeps the
// later reports from opening more alerts until this one closes.
void presentCustomKeyEditor(const Button& key, bool& displaying,
                            const std::function<void(std::shared_ptr<ViewController>)>& present,
                            std::function<void(long tag, const std::u16string& text)> confirmed);

} // namespace folio
