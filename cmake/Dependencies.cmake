# Third-party libraries, all from Debian packages (scripts/install-deps.sh).
find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)
find_package(ICU REQUIRED COMPONENTS uc i18n data)
find_package(ZLIB REQUIRED)
find_package(PNG REQUIRED)
find_package(JPEG REQUIRED)

pkg_check_modules(GLIB REQUIRED IMPORTED_TARGET glib-2.0 gobject-2.0 gio-2.0)
pkg_check_modules(LIBXML2 REQUIRED IMPORTED_TARGET libxml-2.0)
pkg_check_modules(LIBZIP REQUIRED IMPORTED_TARGET libzip)
# Zip entries are deflated with libdeflate before libzip writes them.
pkg_check_modules(LIBDEFLATE REQUIRED IMPORTED_TARGET libdeflate)
pkg_check_modules(LIBPLIST REQUIRED IMPORTED_TARGET libplist-2.0)
pkg_check_modules(UUID REQUIRED IMPORTED_TARGET uuid)
pkg_check_modules(CAIRO REQUIRED IMPORTED_TARGET cairo cairo-pdf cairo-png)
pkg_check_modules(GDKPIXBUF REQUIRED IMPORTED_TARGET gdk-pixbuf-2.0)
pkg_check_modules(PANGO REQUIRED IMPORTED_TARGET pango pangocairo pangoft2)
pkg_check_modules(FONTS REQUIRED IMPORTED_TARGET fontconfig freetype2 harfbuzz)
pkg_check_modules(POPPLER REQUIRED IMPORTED_TARGET poppler-glib)
# Only the printed PDF's fonts are cut down, so only the desktop module links it.
pkg_check_modules(HARFBUZZ_SUBSET REQUIRED IMPORTED_TARGET harfbuzz-subset)
pkg_check_modules(GTK3 REQUIRED IMPORTED_TARGET gtk+-3.0)
pkg_check_modules(WEBKIT REQUIRED IMPORTED_TARGET webkit2gtk-4.1)
# Only to keep the GL driver out of the program's own process.
pkg_check_modules(EGL REQUIRED IMPORTED_TARGET egl)
# The page processes' side of the web engine, for the module they load.
pkg_check_modules(WEBKIT_PAGE_PROCESS REQUIRED IMPORTED_TARGET webkit2gtk-web-extension-4.1)
pkg_check_modules(LOWDOWN REQUIRED IMPORTED_TARGET lowdown)
pkg_check_modules(SOUP REQUIRED IMPORTED_TARGET libsoup-3.0)
# Speech, text recognition, and sound and camera through GStreamer.
pkg_check_modules(ESPEAK REQUIRED IMPORTED_TARGET espeak-ng)
pkg_check_modules(TESSERACT REQUIRED IMPORTED_TARGET tesseract lept)
pkg_check_modules(GSTREAMER REQUIRED IMPORTED_TARGET gstreamer-1.0 gstreamer-app-1.0)

if(FOLIO_TESTS)
  find_package(GTest REQUIRED)
  include(GoogleTest)
endif()
if(FOLIO_BENCH)
  find_package(benchmark REQUIRED)
endif()
