#!/usr/bin/env bash
# Sourced: starts a virtual X display when none is set (TV_DISPLAY_NUMBER picks its number),
# and stops it on exit.
if [ -z "${DISPLAY:-}" ]; then
  for n in ${TV_DISPLAY_NUMBER:-$(seq 90 120)}; do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || { TV_DISPLAY_NUMBER=$n; break; }
  done
  Xvfb ":$TV_DISPLAY_NUMBER" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  TV_XVFB_PID=$!
  export DISPLAY=":$TV_DISPLAY_NUMBER"
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
fi
