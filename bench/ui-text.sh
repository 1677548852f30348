#!/usr/bin/env bash
# The text controls under Wine and Xvfb: loading 1 MiB of one-line text into an edit that is
# being edited (SetText and the native window painting it) and typing 1,000 characters into an
# edit, best of three each. Typing at the end of the 1 MiB text costs Wine's own edit about a
# second a key, so that is timed for 10 keys, once with the control and once with a bare system
# edit for comparison. Not part of bench/ui.sh's growth ratio.
#   bench/ui-text.sh   (builds first when needed)
set -euo pipefail
. "$(dirname "$0")/lib.sh"
bench_program ui-text-bench/ui_text_bench.exe
on_wine_display "$@"
load=$(best edit-load 1024)
echo "edit: load 1 MiB of text (1,048,576 characters) and show it: ${load} ms"
typed=$(best edit-type 1000)
echo "edit: type 1,000 characters into it: ${typed} ms"
BEST_OF=1
large=$(best edit-type-1mib 10)
bare=$(best bare-type-1mib 10)
echo "edit: type 10 characters at the end of 1 MiB of text: ${large} ms (bare system edit: ${bare} ms)"
