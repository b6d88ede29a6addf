#!/usr/bin/env bash
# Installs every Debian package (and the npm page components) Folio needs.
# Idempotent: when everything is present it only runs dpkg-query and returns.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  clang libclang-rt-14-dev libomp-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libicu-dev libxml2-dev zlib1g-dev libzip-dev libdeflate-dev libplist-dev uuid-dev
  libglib2.0-dev libgtk-3-dev libwebkit2gtk-4.1-dev
  libcairo2-dev libpango1.0-dev libharfbuzz-dev libfreetype-dev libfontconfig-dev
  libpng-dev libjpeg62-turbo-dev libgdk-pixbuf-2.0-dev libpoppler-glib-dev
  liblowdown-dev libmd-dev libbsd-dev libssl-dev libsoup-3.0-dev
  xvfb x11-xkb-utils xauth xclip poppler-utils unzip epubcheck xdg-utils cups-client xdotool imagemagick libreoffice-writer-nogui
  libwmf-bin fonts-urw-base35 locales libxtst-dev libxext-dev libatspi2.0-dev at-spi2-core dbus-daemon
  libespeak-ng-dev espeak-ng-data libtesseract-dev libleptonica-dev tesseract-ocr-eng
  libgstreamer1.0-dev libgstreamer-plugins-base1.0-dev gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  fonts-croscore fonts-liberation2 fonts-dejavu-core fonts-noto-color-emoji fonts-wqy-microhei
  fonts-lohit-beng-bengali fonts-lohit-gujr fonts-lohit-taml fonts-symbola fonts-hosny-amiri
  hyphen-en-us hunspell-en-us libenchant-2-2
)
# Machines that already carry Node.js from elsewhere have npm with it.
command -v npm >/dev/null 2>&1 || packages+=(nodejs npm)

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null || true)
  [ "$status" = "installed" ] || missing+=("$package")
done

if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  echo "Installing: ${missing[*]}" >&2
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
fi

# A locale that writes numbers with a decimal comma, so the tests can show
# that documents are read and written the same way under it.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo localedef -i de_DE -f UTF-8 de_DE.UTF-8 >&2 \
    || echo "install-deps: no de_DE.UTF-8 locale could be made; the decimal-comma tests will be skipped" >&2
fi

root=$(cd "$(dirname "$0")/.." && pwd)
if [ -f "$root/web/package.json" ]; then
  stamp="$root/web/node_modules/.folio-installed"
  if [ ! -f "$stamp" ] || [ "$root/web/package-lock.json" -nt "$stamp" ]; then
    (cd "$root/web" && npm ci --no-audit --no-fund >&2)
    touch "$stamp"
  fi
fi
