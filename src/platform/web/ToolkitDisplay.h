#pragma once

namespace folio {

// Opens GTK on the display that DISPLAY or WAYLAND_DISPLAY names, the way
// every window and web view of the program needs it.
//
// Pages are drawn without composited layers and reach this process as
// pictures, and GTK 3 draws its windows with cairo: nothing here draws with
// GL. Mesa's driver, which GTK and the web engine would otherwise set up, is
// kept out of this process: it maps and initialises a compiler library of
// some 45 MB that nothing here would use. The page processes keep it (the
// web engine cannot start a page without it) and are started with the
// environment as it was.
class ToolkitDisplay {
public:
    // False when no display could be opened. Safe to call more than once.
    static bool open();

    // Whether pages are drawn with composited layers, the one case where this
    // process would need the GL driver: the user asked for them.
    static bool pagesComposited();
};

} // namespace folio
