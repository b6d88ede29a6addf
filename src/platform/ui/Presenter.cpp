#include "platform/ui/Presenter.h"

namespace folio {

namespace {
Presenter s_headless;
Presenter* s_current = &s_headless;
}

Presenter& Presenter::current() { return *s_current; }

void Presenter::setCurrent(Presenter* presenter) { s_current = presenter ? presenter : &s_headless; }

} // namespace folio
