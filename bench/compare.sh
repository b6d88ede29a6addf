#!/usr/bin/env bash
# Times Folio beside the programs people would otherwise use on the shared
# benchmark documents, in one interleaved run (each round runs every command
# once, so that machine noise falls on both sides alike), and prints medians
# of wall-clock and processor time (user and system; the ratios are taken on
# it, as it is what a busy machine distorts least), peak memory and the
# ratios. Processor time is read from the kernel's accounting of each child
# (wait4), to the microsecond: /usr/bin/time rounds it to 10 ms, which makes
# ratios of runs of a few tens of milliseconds meaningless. A peer that is
# not installed is skipped; the peers are not needed to build or test Folio:
#
#   apt-get install abiword lowdown wkhtmltopdf
#
# The PDF case gives wkhtmltopdf the very page Folio's PDF export loads
# (written by the build's bench_print_page), so both print the same HTML.
#
#   bench/compare.sh [BUILD_DIR] [ROUNDS]
#
# FOLIO_BENCH_INPUTS names the folder of doc-1m.md, doc-1m.html, doc-1m.rtf
# (by default the shared folder beside the checkout, or beside the folder of
# worktrees it is in); COMPARE_ONLY restricts the run to a space-separated
# list of cases (startup rtf-html qv-rtfd page-rtf md-html pdf linear). The
# run ends with the five figures the project keeps watch on, beside their
# goals: RTF -> HTML, QV page -> RTFD, Markdown -> HTML, PDF, start-up. COMPARE_BASELINE names the
# build folder of an earlier Folio whose RTF -> HTML, page -> RTF, Markdown ->
# HTML and Markdown -> PDF commands run in the same rounds, for before and after
# figures from one run; their outputs are compared with this build's.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
rounds=${2:-5}
inputs=${FOLIO_BENCH_INPUTS:-}
if [ -z "$inputs" ]; then
  inputs=$root/../shared/bench-inputs
  [ -d "$inputs" ] || inputs=$root/../../shared/bench-inputs
fi
only=${COMPARE_ONLY:-startup rtf-html qv-rtfd page-rtf md-html pdf linear}
folio=$build/folio
page_to_rtf=$build/bench_page_to_rtf
print_page=$build/bench_print_page
baseline=${COMPARE_BASELINE:-}
if [ -n "$baseline" ] && [ ! -x "$baseline/bench_page_to_rtf" ]; then
  echo "compare.sh: $baseline/bench_page_to_rtf is missing" >&2
  exit 1
fi

for needed in "$folio" "$page_to_rtf" "$print_page"; do
  [ -x "$needed" ] || { echo "compare.sh: $needed is missing; build first" >&2; exit 1; }
done
for document in doc-1m.md doc-1m.html doc-1m.rtf; do
  [ -f "$inputs/$document" ] || { echo "compare.sh: $inputs/$document is missing; set FOLIO_BENCH_INPUTS" >&2; exit 1; }
done
command -v python3 >/dev/null || { echo "compare.sh: python3 is needed to measure the runs" >&2; exit 1; }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export FOLIO_HOME=$scratch/home
mkdir -p "$FOLIO_HOME"
# The PDF export needs a display; Folio starts its own when none is set, and
# wkhtmltopdf runs headless.

wants() { [[ " $only " == *" $1 "* ]]; }
have() { command -v "$1" >/dev/null 2>&1; }

# The 10m tier: the 1m Markdown ten times, and the bodies of the 1m RTF and of
# the 1m page each ten times in one document.
make_tenfold() {
  for copy in $(seq 10); do cat "$inputs/doc-1m.md"; printf '\n\n'; done >"$scratch/doc-10m.md"
  python3 - "$inputs/doc-1m.rtf" "$scratch/doc-10m.rtf" <<'EOF'
import sys
rtf = open(sys.argv[1], encoding="latin-1").read()
depth, index, start = 0, 0, -1
while index < len(rtf) and start < 0:
    c = rtf[index]
    if c == "\\" and rtf[index + 1:index + 2] in ("{", "}", "\\"):
        index += 1
    elif c == "{":
        depth += 1
    elif c == "}":
        depth -= 1
    elif depth == 1 and rtf.startswith("\\pard", index):
        start = index
    index += 1
end = rtf.rindex("}")
open(sys.argv[2], "w", encoding="latin-1").write(rtf[:start] + rtf[start:end] * 10 + "}")
EOF
  python3 - "$inputs/doc-1m.html" "$scratch/doc-10m.html" <<'EOF'
import sys
page = open(sys.argv[1], encoding="utf-8").read()
start = page.index(">", page.index("<body")) + 1
end = page.rindex("</body>")
open(sys.argv[2], "w", encoding="utf-8").write(page[:start] + page[start:end] * 10 + page[end:])
EOF
}

# Runs a command as a child and prints "wall-us cpu-us peak-kB own-peak-kB"
# of that child, from wait4's resource usage; the command's status is its
# own. wait4's peak is the largest of the child and the children it reaped
# (Folio's PDF export reaps the web engine's processes when they end before
# it), so the child's own peak is
# also read from /proc while it runs (its high-water mark, last seen at most
# 20 ms before it ended).
cat >"$scratch/measure.py" <<'EOF_MEASURE'
import os, sys, threading, time
start = time.monotonic_ns()
pid = os.fork()
if pid == 0:
    try:
        os.execvp(sys.argv[1], sys.argv[1:])
    finally:
        os._exit(127)
own_peak = 0
ended = threading.Event()
def watch():
    global own_peak
    while not ended.is_set():
        try:
            with open("/proc/%d/status" % pid) as status:
                for line in status:
                    if line.startswith("VmHWM:"):
                        own_peak = max(own_peak, int(line.split()[1]))
        except (OSError, ValueError):
            pass
        ended.wait(0.02)
watcher = threading.Thread(target=watch, daemon=True)
watcher.start()
_, status, usage = os.wait4(pid, 0)
wall = (time.monotonic_ns() - start) // 1000
ended.set()
watcher.join()
cpu = round((usage.ru_utime + usage.ru_stime) * 1e6)
print(wall, cpu, usage.ru_maxrss, own_peak, file=sys.stderr)
sys.exit(os.waitstatus_to_exitcode(status))
EOF_MEASURE

# run NAME COMMAND...: one timed run; appends "wall-us cpu-us peak-kB own-peak-kB" to $scratch/NAME.runs.
run() {
  local name=$1
  shift
  # The measurement is the wrapper's last line on standard error, after the command's own.
  if ! python3 "$scratch/measure.py" "$@" >/dev/null 2>"$scratch/$name.err"; then
    echo "compare.sh: '$*' failed:" >&2
    cat "$scratch/$name.err" >&2
    exit 1
  fi
  tail -1 "$scratch/$name.err" >>"$scratch/$name.runs"
}

# median NAME: "wall-us cpu-us peak-kB" (median times, largest peak).
median() {
  local wall cpu
  wall=$(awk '{ print $1 }' "$scratch/$1.runs" | sort -n | awk '{ t[NR] = $1 } END { print t[int((NR + 1) / 2)] }')
  cpu=$(awk '{ print $2 }' "$scratch/$1.runs" | sort -n | awk '{ t[NR] = $1 } END { print t[int((NR + 1) / 2)] }')
  echo "$wall $cpu $(awk '$3 > m { m = $3 } END { print m }' "$scratch/$1.runs")"
}

# own_peak NAME: the largest peak of the program alone, without the children it reaped, in MB.
own_peak() {
  awk '$4 > m { m = $4 } END { printf "%.1f", m / 1024 }' "$scratch/$1.runs"
}

report() {  # report LABEL FOLIO_NAME PEER_NAME PEER_LABEL
  local label=$1 ours=$2 theirs=$3 peer=$4
  read -r ow oc om <<<"$(median "$ours")"
  if [ -f "$scratch/$theirs.runs" ]; then
    read -r pw pc pm <<<"$(median "$theirs")"
    awk -v l="$label" -v p="$peer" -v ow="$ow" -v oc="$oc" -v om="$om" -v pw="$pw" -v pc="$pc" -v pm="$pm" 'BEGIN {
      printf "%-26s folio %8.1f ms (cpu %8.1f) %6.1f MB | %-11s %8.1f ms (cpu %8.1f) %6.1f MB | folio %.2fx faster (wall %.2fx), %.2fx the memory\n",
        l, ow / 1000, oc / 1000, om / 1024, p, pw / 1000, pc / 1000, pm / 1024, pc / oc, pw / ow, om / pm }'
  else
    awk -v l="$label" -v ow="$ow" -v oc="$oc" -v om="$om" -v p="$peer" 'BEGIN {
      printf "%-26s folio %8.1f ms (cpu %8.1f) %6.1f MB | %s not installed\n", l, ow / 1000, oc / 1000, om / 1024, p }'
  fi
}

if wants linear; then make_tenfold; fi
# The QV page: the shared editor page as a QV text file (raw DEFLATE).
if wants qv-rtfd; then
  python3 - "$inputs/doc-1m.html" "$scratch/doc-1m.qvtext" <<'EOF'
import sys, zlib
packer = zlib.compressobj(6, zlib.DEFLATED, -15)
page = open(sys.argv[1], "rb").read()
open(sys.argv[2], "wb").write(packer.compress(page) + packer.flush())
EOF
fi
if wants pdf && have wkhtmltopdf; then
  "$print_page" "$inputs/doc-1m.md" "$scratch/doc-1m-print.html"
fi

# The commands of one case: this build, the baseline build and the peer. A
# command run first in a round runs slower (the caches hold the previous
# case's data), so in_turn starts each round at the next one.
folio_rtf_html() { run folio-rtf-html "$folio" export "$inputs/doc-1m.rtf" --format html --output "$scratch/rtf.html"; }
baseline_rtf_html() {
  if [ -n "$baseline" ]; then
    run baseline-rtf-html "$baseline/folio" export "$inputs/doc-1m.rtf" --format html --output "$scratch/baseline-rtf.html"
  fi
}
abiword_rtf_html() {
  if have abiword; then run abiword-rtf-html abiword --to=html --to-name="$scratch/abiword.html" "$inputs/doc-1m.rtf"; fi
}
folio_qv_rtfd() { run folio-qv-rtfd "$folio" export "$scratch/doc-1m.qvtext" --format rtfd --output "$scratch/qv.rtfd"; }
baseline_qv_rtfd() {
  if [ -n "$baseline" ]; then
    run baseline-qv-rtfd "$baseline/folio" export "$scratch/doc-1m.qvtext" --format rtfd --output "$scratch/baseline-qv.rtfd"
  fi
}
folio_page_rtf() { run folio-page-rtf "$page_to_rtf" "$inputs/doc-1m.html" "$scratch/page.rtf"; }
baseline_page_rtf() {
  if [ -n "$baseline" ]; then
    run baseline-page-rtf "$baseline/bench_page_to_rtf" "$inputs/doc-1m.html" "$scratch/baseline-page.rtf"
  fi
}
abiword_page_rtf() {
  if have abiword; then run abiword-page-rtf abiword --to=rtf --to-name="$scratch/abiword.rtf" "$inputs/doc-1m.html"; fi
}
folio_md_html() { run folio-md-html "$folio" export "$inputs/doc-1m.md" --format html --output "$scratch/md.html"; }
baseline_md_html() {
  if [ -n "$baseline" ]; then
    run baseline-md-html "$baseline/folio" export "$inputs/doc-1m.md" --format html --output "$scratch/baseline-md.html"
  fi
}
lowdown_md_html() {
  if have lowdown; then run lowdown-md-html lowdown -Thtml -o "$scratch/lowdown.html" "$inputs/doc-1m.md"; fi
}
folio_pdf() { run folio-pdf "$folio" export "$inputs/doc-1m.md" --format pdf --output "$scratch/folio.pdf"; }
baseline_pdf() {
  if [ -n "$baseline" ]; then
    run baseline-pdf "$baseline/folio" export "$inputs/doc-1m.md" --format pdf --output "$scratch/baseline.pdf"
  fi
}
wkhtmltopdf_pdf() {
  if have wkhtmltopdf; then run wkhtmltopdf-pdf wkhtmltopdf --quiet "$scratch/doc-1m-print.html" "$scratch/wkhtmltopdf.pdf"; fi
}

# in_turn ROUND FUNCTION...: calls every function once, starting at the
# ROUND-th (cyclically).
in_turn() {
  local round=$1
  shift
  local steps=("$@") count=$# index
  for ((index = 0; index < count; index++)); do
    "${steps[(round - 1 + index) % count]}"
  done
}

for round in $(seq "$rounds"); do
  echo "round $round of $rounds" >&2
  if wants startup; then
    run version "$folio" --version
    run new "$folio" new rtf "$scratch/new-$round.rtf"
    run txt-10k "$folio" export "$inputs/doc-10k.md" --format txt --output "$scratch/10k.txt"
  fi
  if wants rtf-html; then
    in_turn "$round" folio_rtf_html baseline_rtf_html abiword_rtf_html
  fi
  if wants qv-rtfd; then
    in_turn "$round" folio_qv_rtfd baseline_qv_rtfd abiword_page_rtf
  fi
  if wants page-rtf; then
    # abiword's HTML -> RTF ran with the QV page already.
    if wants qv-rtfd; then
      in_turn "$round" folio_page_rtf baseline_page_rtf
    else
      in_turn "$round" folio_page_rtf baseline_page_rtf abiword_page_rtf
    fi
  fi
  if wants md-html; then
    in_turn "$round" folio_md_html baseline_md_html lowdown_md_html
  fi
  if wants pdf; then
    in_turn "$round" folio_pdf baseline_pdf wkhtmltopdf_pdf
  fi
  if wants linear; then
    run rtf-html-10m "$folio" export "$scratch/doc-10m.rtf" --format html --output "$scratch/rtf10.html"
    run md-html-10m "$folio" export "$scratch/doc-10m.md" --format html --output "$scratch/md10.html"
    run md-txt-1m "$folio" export "$inputs/doc-1m.md" --format txt --output "$scratch/md1.txt"
    run md-txt-10m "$folio" export "$scratch/doc-10m.md" --format txt --output "$scratch/md10.txt"
    run page-rtf-10m "$page_to_rtf" "$scratch/doc-10m.html" "$scratch/page10.rtf"
    # The 1m runs of the other cases are not always wanted; time them here too.
    wants rtf-html || folio_rtf_html
    wants md-html || folio_md_html
    wants page-rtf || folio_page_rtf
  fi
done

echo
if wants startup; then
  for name in version new txt-10k; do
    read -r w c m <<<"$(median "$name")"
    awk -v l="start-up: $name" -v w="$w" -v c="$c" -v m="$m" 'BEGIN { printf "%-26s folio %8.1f ms (cpu %8.1f) %6.1f MB\n", l, w / 1000, c / 1000, m / 1024 }'
  done
fi
wants rtf-html && report "RTF -> HTML (1m)" folio-rtf-html abiword-rtf-html abiword
if wants rtf-html && [ -n "$baseline" ]; then
  report "  the same, baseline build" baseline-rtf-html abiword-rtf-html abiword
  cmp -s "$scratch/rtf.html" "$scratch/baseline-rtf.html" || echo "RTF -> HTML: the baseline build wrote different HTML"
fi
wants qv-rtfd && report "QV page -> RTFD (1m)" folio-qv-rtfd abiword-page-rtf abiword
if wants qv-rtfd && [ -n "$baseline" ]; then
  report "  the same, baseline build" baseline-qv-rtfd abiword-page-rtf abiword
fi
wants page-rtf && report "editor page -> RTF (1m)" folio-page-rtf abiword-page-rtf abiword
if wants page-rtf && [ -n "$baseline" ]; then
  report "  the same, baseline build" baseline-page-rtf abiword-page-rtf abiword
  cmp -s "$scratch/page.rtf" "$scratch/baseline-page.rtf" || echo "page -> RTF: the baseline build wrote different RTF"
fi
wants md-html && report "Markdown -> HTML (1m)" folio-md-html lowdown-md-html lowdown
if wants md-html && [ -n "$baseline" ]; then
  report "  the same, baseline build" baseline-md-html lowdown-md-html lowdown
  cmp -s "$scratch/md.html" "$scratch/baseline-md.html" || echo "Markdown -> HTML: the baseline build wrote different HTML"
fi
if wants pdf; then
  report "Markdown -> PDF (1m)" folio-pdf wkhtmltopdf-pdf wkhtmltopdf
  echo "  (the web engine's processes outlive folio and are not in its processor time: compare PDF by wall time)"
  echo "  (memory: the largest of folio and the page process it reaps; folio alone peaks at $(own_peak folio-pdf) MB)"
  if [ -n "$baseline" ]; then
    report "  the same, baseline build" baseline-pdf wkhtmltopdf-pdf wkhtmltopdf
    echo "  (the baseline's folio alone peaks at $(own_peak baseline-pdf) MB)"
    echo "PDF size: this build $(stat -c %s "$scratch/folio.pdf") bytes, baseline $(stat -c %s "$scratch/baseline.pdf") bytes"
  fi
  if [ -f "$scratch/wkhtmltopdf.pdf" ]; then
    echo "PDF size: folio $(stat -c %s "$scratch/folio.pdf") bytes, wkhtmltopdf $(stat -c %s "$scratch/wkhtmltopdf.pdf") bytes"
  fi
fi
if wants linear; then
  for pair in "rtf-html-10m folio-rtf-html" "md-html-10m folio-md-html" "md-txt-10m md-txt-1m" "page-rtf-10m folio-page-rtf"; do
    read -r ten one <<<"$pair"
    read -r tw tc tm <<<"$(median "$ten")"
    read -r ow oc om <<<"$(median "$one")"
    awk -v l="x10 input: $ten" -v tc="$tc" -v oc="$oc" 'BEGIN { printf "%-26s %.2fx the processor time of the 1m run (linear: at most 11x)\n", l, tc / oc }'
  done
fi

# The five figures, as the project states them: how many times faster than
# the peer (processor time; PDF by wall time) and the start-up's own time.
ratio() {  # ratio FOLIO_NAME PEER_NAME FIELD (1 = wall, 2 = processor)
  if [ -f "$scratch/$1.runs" ] && [ -f "$scratch/$2.runs" ]; then
    local ours theirs
    ours=$(median "$1" | awk -v f="$3" '{ print $f }')
    theirs=$(median "$2" | awk -v f="$3" '{ print $f }')
    awk -v o="$ours" -v p="$theirs" 'BEGIN { printf "%.2fx (folio/peer %.2f)", p / o, o / p }'
  else
    printf "n/a (peer not installed)"
  fi
}
echo
echo "The five figures (peer time / folio time: above 1 is folio faster):"
if wants rtf-html; then
  printf "  %-44s %-30s goal 20x, then 30x\n" "RTF -> HTML vs abiword (cpu)" "$(ratio folio-rtf-html abiword-rtf-html 2)"
fi
if wants qv-rtfd; then
  printf "  %-44s %-30s goal 5x\n" "QV page -> RTFD vs abiword HTML->RTF (cpu)" "$(ratio folio-qv-rtfd abiword-page-rtf 2)"
fi
if wants md-html; then
  printf "  %-44s %-30s goal folio/peer 1.1\n" "Markdown -> HTML vs lowdown (cpu)" "$(ratio folio-md-html lowdown-md-html 2)"
fi
if wants pdf; then
  printf "  %-44s %-30s goal folio/peer 0.6\n" "Markdown -> PDF vs wkhtmltopdf (wall)" "$(ratio folio-pdf wkhtmltopdf-pdf 1)"
fi
if wants startup; then
  read -r w c _ <<<"$(median txt-10k)"
  awk -v w="$w" -v c="$c" 'BEGIN { printf "  %-44s %.1f ms wall, cpu %.1f ms (keep)\n", "start-up: tiny export", w / 1000, c / 1000 }'
fi
