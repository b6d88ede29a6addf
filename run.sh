#!/usr/bin/env bash
# Installs what is missing, builds Folio (Release, incrementally) and runs it.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DFOLIO_TESTS=OFF -DFOLIO_BENCH=OFF >/dev/null
cmake --build "$root/build" --target folio folio_resources >&2
exec "$root/build/folio" "$@"
