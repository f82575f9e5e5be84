#!/usr/bin/env bash
# Medida del panel con 100.000 recortes, en un Xvfb propio con openbox (scripts/con-x11.sh):
# una vez sin compositor y otra con xcompmgr. Cada línea clave=valor lleva delante el caso
# (sin_compositor_…, con_compositor_…).
#
#   bench/panel.sh [BENCH_PANEL] [APERTURAS]
set -euo pipefail

raiz="$(cd "$(dirname "$0")/.." && pwd)"
bench="${1:-$raiz/build/release/bench/bench_panel}"
aperturas="${2:-360}"
bench="$(realpath "$bench")"

if [ -z "${REBISCO_X11_AISLADO:-}" ]; then
  exec "$raiz/scripts/con-x11.sh" "$0" "$bench" "$aperturas"
fi

pid_compositor=""
trap '[ -n "$pid_compositor" ] && kill "$pid_compositor" 2>/dev/null; true' EXIT

medir() {
  local caso="$1"
  "$bench" "$aperturas" | sed -u "s/^\([a-z_0-9]*=\)/${caso}_\1/"
}

medir sin_compositor
xcompmgr >/dev/null 2>&1 &
pid_compositor=$!
sleep 1
medir con_compositor
kill "$pid_compositor" 2>/dev/null || true
wait "$pid_compositor" 2>/dev/null || true
pid_compositor=""
