#!/usr/bin/env bash
# Ejecuta una orden dentro de un servidor X virtual propio (Xvfb) con un gestor de ventanas
# EWMH (openbox), y devuelve el estado de la orden. Así las pruebas de X11 nunca tocan el
# portapapeles ni las ventanas del escritorio de quien las lanza.
#
#   scripts/con-x11.sh ctest --preset ci
#   REBISCO_X11_PANTALLA=2048x768 scripts/con-x11.sh ORDEN    otro tamaño de pantalla
set -euo pipefail

if [ $# -eq 0 ]; then
  echo "uso: $0 ORDEN [ARGUMENTOS...]" >&2
  exit 2
fi

temporal="$(mktemp -d "${TMPDIR:-/tmp}/con-x11.XXXXXX")"
pid_xvfb=""
pid_openbox=""

# Primero el gestor de ventanas, luego el servidor; cada uno por su pid.
terminar() {
  detener
  rm -rf "$temporal"
}
trap terminar EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

detener() {
  if [ -n "$pid_openbox" ]; then kill "$pid_openbox" 2>/dev/null || true; wait "$pid_openbox" 2>/dev/null || true; fi
  if [ -n "$pid_xvfb" ]; then kill "$pid_xvfb" 2>/dev/null || true; wait "$pid_xvfb" 2>/dev/null || true; fi
  pid_openbox=""
  pid_xvfb=""
}

# Arranca Xvfb y openbox; falla si alguno no responde a tiempo.
arrancar() {
  : >"$temporal/pantalla"
  # -displayfd elige una pantalla libre y escribe su número cuando ya acepta conexiones.
  Xvfb -displayfd 3 -screen 0 "${REBISCO_X11_PANTALLA:-1280x800}x24" -nolisten tcp 3>"$temporal/pantalla" 2>"$temporal/xvfb.log" &
  pid_xvfb=$!

  local numero=""
  for _ in $(seq 100); do
    if grep -q . "$temporal/pantalla" 2>/dev/null; then
      numero="$(head -n1 "$temporal/pantalla" | tr -d '[:space:]')"
      break
    fi
    kill -0 "$pid_xvfb" 2>/dev/null || break
    sleep 0.1
  done
  [ -n "$numero" ] || { echo "con-x11: Xvfb no arrancó" >&2; return 1; }
  export DISPLAY=":$numero"

  local responde=""
  for _ in $(seq 50); do
    if xprop -root >/dev/null 2>&1; then responde=1; break; fi
    sleep 0.1
  done
  [ -n "$responde" ] || { echo "con-x11: $DISPLAY no acepta conexiones" >&2; return 1; }

  openbox --sm-disable >"$temporal/openbox.log" 2>&1 &
  pid_openbox=$!

  # El gestor está listo cuando anuncia su ventana de comprobación EWMH.
  for _ in $(seq 100); do
    if xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; then return 0; fi
    kill -0 "$pid_openbox" 2>/dev/null || break
    sleep 0.1
  done
  echo "con-x11: openbox no arrancó en $DISPLAY" >&2
  return 1
}

# Otro servidor que arranca a la vez puede estorbar; se reintenta desde cero.
listo=""
for intento in 1 2 3; do
  if arrancar; then listo=1; break; fi
  cat "$temporal/xvfb.log" "$temporal/openbox.log" >&2 2>/dev/null || true
  detener
  echo "con-x11: reintento $intento" >&2
done
[ -n "$listo" ] || exit 1

# Las pruebas de X11 solo se ejecutan cuando ven esta variable: fuera de aquí se saltan
# para no vaciar el portapapeles de una sesión de verdad.
export REBISCO_X11_AISLADO=1
unset WAYLAND_DISPLAY

estado=0
"$@" || estado=$?
exit "$estado"
