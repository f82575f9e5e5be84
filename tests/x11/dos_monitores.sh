#!/usr/bin/env bash
# El panel de rebisco se abre en el monitor que tiene el puntero: un servidor X propio de
# 2048 × 768 partido en dos monitores de RandR (xrandr --setmonitor), como los ve Qt en un
# escritorio con dos pantallas. El atajo global se pulsa con el puntero en cada mitad.
#
#   dos_monitores.sh PROGRAMA
set -uo pipefail
programa="$1"
raiz="$(cd "$(dirname "$0")/../.." && pwd)"

if [ -z "${DOS_MONITORES_DENTRO:-}" ]; then
  DOS_MONITORES_DENTRO=1 REBISCO_X11_PANTALLA=2048x768 exec "$raiz/scripts/con-x11.sh" "$0" "$@"
fi

# shellcheck source=ensayo.sh
. "$(dirname "$0")/ensayo.sh"

temporal="$(mktemp -d "${TMPDIR:-/tmp}/dos-monitores.XXXXXX")"
pid=""
trap '[ -n "$pid" ] && kill -KILL "$pid" 2>/dev/null; rm -rf "$temporal"' EXIT

falla() {
  echo "dos_monitores: $1" >&2
  sed 's/^/  | /' "$temporal/salida" >&2
  exit 1
}

xrandr --setmonitor izquierdo 1024/271x768/203+0+0 screen >/dev/null || falla "sin RandR 1.5"
xrandr --setmonitor derecho 1024/271x768/203+1024+0 none >/dev/null || falla "sin RandR 1.5"

# shellcheck disable=SC2046
env $(entorno_de_ensayo "$temporal") QT_QPA_PLATFORM=xcb "$programa" >"$temporal/salida" 2>&1 &
pid=$!
for _ in $(seq 100); do
  [ -f "$temporal/datos/historial.sqlite" ] && break
  sleep 0.1
done
sleep 0.5

# El centro del panel visible, en x; vacío si no está a la vista.
centro_del_panel() {
  local ventana
  ventana="$(xdotool search --onlyvisible --pid "$pid" --name "Historial del portapapeles" 2>/dev/null | head -n1)"
  [ -n "$ventana" ] || return 1
  eval "$(xdotool getwindowgeometry --shell "$ventana")"
  echo $((X + WIDTH / 2))
}

for caso in "300 0 1024" "1700 1024 2048" "500 0 1024"; do
  read -r x desde hasta <<<"$caso"
  xdotool mousemove "$x" 400
  xdotool key --clearmodifiers shift+super+v
  centro=""
  for _ in $(seq 50); do
    centro="$(centro_del_panel)" && break
    sleep 0.1
  done
  [ -n "$centro" ] || falla "con el puntero en x=$x el atajo no abrió el panel"
  if [ "$centro" -lt "$desde" ] || [ "$centro" -ge "$hasta" ]; then
    falla "con el puntero en x=$x el panel se abrió centrado en x=$centro, fuera de [$desde, $hasta)"
  fi
  echo "dos_monitores: puntero en x=$x, panel centrado en x=$centro"
  xdotool key Escape
  for _ in $(seq 50); do
    centro_del_panel >/dev/null || break
    sleep 0.1
  done
done

kill -TERM "$pid"
wait "$pid"
estado=$?
pid=""
[ "$estado" -eq 0 ] || falla "salió con estado $estado"
echo "dos_monitores: el panel siguió al puntero en los dos monitores"
