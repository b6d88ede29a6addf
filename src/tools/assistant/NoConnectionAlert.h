#pragma once

#include <memory>

namespace folio {

class AlertController;

// What the editors show when a tool that needs the network is asked for
// while the desktop has none.
std::shared_ptr<AlertController> noConnectionAvailableAlert();

} // namespace folio
