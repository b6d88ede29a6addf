#!/usr/bin/env bash
# Checks that a build writes the same conversions as an earlier one, for a
# change meant to make them faster and nothing else: Markdown -> HTML over
# every Markdown file of the tests and the benchmark inputs, QV page ->
# RTFD (the text inside the package, byte for byte; the package must open)
# over the tests' QV files and every HTML page of the tests and the
# benchmark inputs, packed as QV text; RTF -> HTML over every RTF file
# of the tests, the benchmark inputs and the shared folder of other
# programs' files; and the rich-text editor's open and save (RTF -> page ->
# RTF, bench_rtf_to_page and bench_page_to_rtf) over the same RTF files,
# and its save alone over every HTML page.
#
#   bench/same_outputs.sh BASELINE_BUILD [BUILD]
#
# FOLIO_BENCH_INPUTS names the benchmark inputs' folder as for compare.sh,
# FOLIO_CORPUS the folder of other programs' files (by default the shared
# one beside the checkout, when there is one); SAME_ONLY restricts the run
# to a space-separated list of cases (md qv rtf rich).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
baseline=$(cd "$1" && pwd)
build=$(cd "${2:-$root/build-tests}" && pwd)
inputs=${FOLIO_BENCH_INPUTS:-$root/../shared/bench-inputs}
[ -d "$inputs" ] || inputs=$root/../../shared/bench-inputs
corpus=${FOLIO_CORPUS:-$root/../shared/corpus-open}
[ -d "$corpus" ] || corpus=$root/../../shared/corpus-open
[ -d "$corpus" ] || corpus=
only=${SAME_ONLY:-md qv rtf rich}
wants() { [[ " $only " == *" $1 "* ]]; }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export FOLIO_HOME=$scratch/home
mkdir -p "$FOLIO_HOME"
checked=0
differing=0

differs() {
  echo "DIFFERS: $1" >&2
  differing=$((differing + 1))
}

# Markdown -> HTML.
if wants md; then
  while IFS= read -r -d '' document; do
    checked=$((checked + 1))
    "$baseline/folio" export "$document" --format html --output "$scratch/before.html" 2>/dev/null || echo failed >"$scratch/before.html"
    "$build/folio" export "$document" --format html --output "$scratch/after.html" 2>/dev/null || echo failed >"$scratch/after.html"
    cmp -s "$scratch/before.html" "$scratch/after.html" || differs "$document -> html"
  done < <(find "$root/tests/data" "$inputs" -name '*.md' -print0 | sort -z)
fi

# QV page -> RTFD: the tests' QV files, and every HTML page packed as one.
if wants qv; then
  mkdir -p "$scratch/qv"
  find "$root/tests/data" -name '*.qvtext' -o -name '*.qvoutline' | while read -r document; do
    cp "$document" "$scratch/qv/$(echo "$document" | md5sum | cut -c1-8)-$(basename "$document")"
  done
  find "$root/tests/data" "$inputs" -name '*.html' -print0 | python3 -c '
import sys, zlib, hashlib, os
for path in sys.stdin.buffer.read().split(b"\0"):
    if not path:
        continue
    packer = zlib.compressobj(6, zlib.DEFLATED, -15)
    page = open(path, "rb").read()
    name = hashlib.md5(path).hexdigest()[:8] + "-" + os.path.basename(path).decode() + ".qvtext"
    open(os.path.join(sys.argv[1], name), "wb").write(packer.compress(page) + packer.flush())
  ' "$scratch/qv"
  for document in "$scratch"/qv/*; do
    checked=$((checked + 1))
    name=$(basename "$document")
    for side in before after; do
      program=$build/folio
      [ "$side" = before ] && program=$baseline/folio
      rm -rf "$scratch/$side.rtfd" "$scratch/$side"
      if "$program" export "$document" --format rtfd --output "$scratch/$side.rtfd" 2>/dev/null; then
        unzip -tq "$scratch/$side.rtfd" >/dev/null || differs "$name: the $side package does not open"
        mkdir "$scratch/$side"
        (cd "$scratch/$side" && unzip -q "$scratch/$side.rtfd")
      else
        mkdir "$scratch/$side"
        echo failed >"$scratch/$side/failed"
      fi
    done
    diff -r "$scratch/before" "$scratch/after" >/dev/null || differs "$name -> rtfd"
  done
fi

# RTF -> HTML. A file's pictures go beside the page under names made anew
# for each export: the pages are compared with those names set aside, and
# the pictures by their bytes.
without_picture_names() {
  sed -E 's/[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}/picture/g' "$1"
}
pictures_in() {
  find "$1" -type f ! -name page.html -exec md5sum {} + | cut -d' ' -f1 | sort
}
if wants rtf; then
  while IFS= read -r -d '' document; do
    checked=$((checked + 1))
    for side in before after; do
      program=$build/folio
      [ "$side" = before ] && program=$baseline/folio
      rm -rf "${scratch:?}/$side"
      mkdir "$scratch/$side"
      "$program" export "$document" --format html --output "$scratch/$side/page.html" 2>/dev/null || echo failed >"$scratch/$side/page.html"
    done
    cmp -s <(without_picture_names "$scratch/before/page.html") <(without_picture_names "$scratch/after/page.html") \
      && cmp -s <(pictures_in "$scratch/before") <(pictures_in "$scratch/after") \
      || differs "$document -> html"
  done < <(find "$root/tests/data" "$inputs" ${corpus:+"$corpus"} -iname '*.rtf' -print0 | sort -z)
fi

# The rich-text editor's open and save, where the builds have them. A page
# names its notes and pictures afresh each time it is made: those names are
# set aside in the comparison, and both saves read the same page.
if wants rich && [ -x "$baseline/bench_page_to_rtf" ] && [ -x "$build/bench_page_to_rtf" ]; then
  mkdir -p "$scratch/rich"
  while IFS= read -r -d '' document; do
    checked=$((checked + 1))
    rm -f "$scratch/rich/"*
    page=$document
    case "$document" in
      *.rtf|*.RTF)
        for side in before after; do
          program=$build
          [ "$side" = before ] && program=$baseline
          "$program/bench_rtf_to_page" "$document" "$scratch/rich/$side.html" 2>/dev/null || echo failed >"$scratch/rich/$side.html"
        done
        cmp -s <(without_picture_names "$scratch/rich/before.html") <(without_picture_names "$scratch/rich/after.html") || differs "$document -> page"
        page=$scratch/rich/before.html ;;
    esac
    "$baseline/bench_page_to_rtf" "$page" "$scratch/rich/before.rtf" 2>/dev/null || echo failed >"$scratch/rich/before.rtf"
    "$build/bench_page_to_rtf" "$page" "$scratch/rich/after.rtf" 2>/dev/null || echo failed >"$scratch/rich/after.rtf"
    cmp -s "$scratch/rich/before.rtf" "$scratch/rich/after.rtf" || differs "$document -> page -> rtf"
  done < <(find "$root/tests/data" "$inputs" ${corpus:+"$corpus"} \( -iname '*.rtf' -o -name '*.html' \) -print0 | sort -z)
fi

echo "$checked conversions checked, $differing differ"
[ "$differing" -eq 0 ]
