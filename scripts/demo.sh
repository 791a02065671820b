#!/usr/bin/env bash
# Builds the program, creates the demo data directory demo/ when it is missing, and starts the
# program in it: the desktop window when there is a display, otherwise the start-up runs through
# the script driver, which prints what the user would see.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
if [ ! -d demo ]; then
  build/tools/zelt-init --demo --minors 2000 --families 1200 --others 300 --institutions 40 --seed 1 demo
fi
cd demo
# A window system to show the program on: X11 or Wayland, or a Qt platform chosen by hand (vnc,
# eglfs, ...). The offscreen and minimal platforms show nothing, so they count as no display.
platform="${QT_QPA_PLATFORM:-}"
if [ -x ../build/src/ui/zelt ] && { [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] ||
  { [ -n "$platform" ] && [ "$platform" != offscreen ] && [ "$platform" != minimal ]; }; }; then
  exec ../build/src/ui/zelt
fi
../build/tools/zelt-script <<'SCRIPT'
start
show TForm1
state Table1
state Table9
state Table10
state Table33
table Table1 first
current Table1 N Sv F I O DR L Zan DKDN
table Table1 next
current Table1 N Sv F I O DR L Zan DKDN
table Table1 next
current Table1 N Sv F I O DR L Zan DKDN
exists ZELT\1.vrk
stop
SCRIPT
