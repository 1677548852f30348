#!/usr/bin/env bash
# The text controls under Wine and Xvfb (best of three runs each): loading 1 MiB of one-line
# text into an edit that is being edited (SetText and the native window painting it), and
# typing 1,000 characters at the end of that text. Not part of bench/ui.sh's growth ratio.
#   bench/ui-text.sh   (builds first when needed)
set -euo pipefail
. "$(dirname "$0")/lib.sh"
bench_program ui-text-bench/ui_text_bench.exe
on_wine_display "$@"
load=$(best edit-load 1024)
echo "edit: load 1 MiB of text (1,048,576 characters) and show it: ${load} ms"
typed=$(best edit-type 1000)
echo "edit: type 1,000 characters into it: ${typed} ms"
