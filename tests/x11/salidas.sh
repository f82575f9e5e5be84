#!/usr/bin/env bash
# Arranques y salidas de un programa de rebisco sobre el X de las pruebas: cada ciclo
# arranca, copia un texto con xclip, espera a verlo capturado y manda SIGTERM, SIGINT o
# SIGHUP, por turnos; el programa debe terminar solo, pronto y con estado 0. rebisco-mirar cuenta sus capturas en
# la terminal; de rebisco se lee su historial con sqlite3, y antes de terminarlo se abre su
# panel con el atajo global (en los ciclos impares se vuelve a cerrar con Escape).
#
#   salidas.sh PROGRAMA CICLOS            los ciclos, tal cual
#   salidas.sh --valgrind PROGRAMA        un ciclo bajo memcheck: ningún acceso inválido
set -uo pipefail

valgrind=""
if [ "${1:-}" = "--valgrind" ]; then valgrind=1; shift; fi
programa="$1"
ciclos="${2:-1}"

# Fuera de scripts/con-x11.sh no se toca el portapapeles de una sesión de verdad.
if [ -z "${REBISCO_X11_AISLADO:-}" ] || [ -z "${DISPLAY:-}" ]; then
  echo "salidas: sin pantalla aislada, se salta"
  exit 77
fi

# shellcheck source=ensayo.sh
. "$(dirname "$0")/ensayo.sh"

temporal="$(mktemp -d "${TMPDIR:-/tmp}/salidas.XXXXXX")"
pid_xclip=""
trap '[ -n "$pid_xclip" ] && kill "$pid_xclip" 2>/dev/null; rm -rf "$temporal"' EXIT

falla() {
  echo "salidas: ciclo $1: $2" >&2
  sed 's/^/  | /' "$temporal/salida" >&2
  exit 1
}

conPanel=""
[ "$(basename "$programa")" = "rebisco" ] && conPanel=1
base="$temporal/datos/historial.sqlite"

# El programa ya arrancó ($1 vacío) o ya capturó el texto $1.
visto() {
  if [ -z "$conPanel" ]; then
    grep -qF -- "${1:-── 0 recortes}" "$temporal/salida"
    return
  fi
  [ -f "$base" ] || return 1
  local n
  n="$(sqlite3 -readonly "$base" \
    "SELECT count(*) FROM recortes WHERE vista = '${1:-}' OR '${1:-}' = ''" 2>/dev/null)" || return 1
  [ -n "$1" ] && [ "${n:-0}" -gt 0 ] && return 0
  [ -z "$1" ] && [ -n "$n" ]
}

# Espera hasta $2 décimas a que se vea $1 (vacío: el arranque).
esperar_texto() {
  for _ in $(seq "$2"); do
    visto "$1" && return 0
    sleep 0.1
  done
  return 1
}

# El panel del programa está (o no, con $1 = no) a la vista, esperando hasta $2 décimas.
esperar_panel() {
  for _ in $(seq "$2"); do
    if xdotool search --onlyvisible --pid "$pid" --name "Historial del portapapeles" >/dev/null 2>&1; then
      [ "$1" = si ] && return 0
    else
      [ "$1" = no ] && return 0
    fi
    sleep 0.1
  done
  return 1
}

limite_arranque=100
limite_salida=100
if [ -n "$valgrind" ]; then limite_arranque=900; limite_salida=600; fi

for ciclo in $(seq "$ciclos"); do
  # Un ensayo: registra el atajo global y mira la ventana activa, como el programa de verdad,
  # pero con su propia carpeta de datos y sus propias preferencias. Se copia cuando el
  # vigilante ya corre: lo que había antes cuenta como visto.
  rm -rf "$temporal/datos" "$temporal/config" "$temporal/run"
  orden=("$programa")
  if [ -n "$valgrind" ]; then
    orden=(valgrind --tool=memcheck --error-exitcode=0 --leak-check=no
      --suppressions="$(dirname "$0")/valgrind-qt.supp"
      --log-file="$temporal/valgrind" "$programa")
  fi
  # shellcheck disable=SC2046
  env $(entorno_de_ensayo "$temporal") QT_QPA_PLATFORM=xcb \
    "${orden[@]}" >"$temporal/salida" 2>&1 &
  pid=$!

  esperar_texto "" "$limite_arranque" || falla "$ciclo" "no arrancó"
  # Lo que se prueba es la salida: una copia que no llegue a capturarse se repite con otro
  # texto, y solo se falla si ninguna llega.
  capturada=""
  for intento in 1 2 3; do
    texto="ciclo-$ciclo-$intento-$RANDOM"
    [ -n "$pid_xclip" ] && { kill "$pid_xclip" 2>/dev/null; wait "$pid_xclip" 2>/dev/null; }
    printf '%s' "$texto" | xclip -quiet -selection clipboard -i >/dev/null 2>&1 &
    pid_xclip=$!
    if esperar_texto "$texto" "$((limite_arranque / 3))"; then capturada=1; break; fi
    echo "salidas: ciclo $ciclo: la copia $intento no se capturó; otra" >&2
  done
  [ -n "$capturada" ] || falla "$ciclo" "no capturó ninguna copia"

  if [ -n "$conPanel" ]; then
    xdotool key --clearmodifiers shift+super+v
    esperar_panel si "$limite_arranque" || falla "$ciclo" "el atajo no abrió el panel"
    if [ $((ciclo % 2)) -eq 1 ]; then
      xdotool key Escape
      esperar_panel no "$limite_arranque" || falla "$ciclo" "Escape no cerró el panel"
    fi
  fi

  senales=(TERM INT HUP)
  kill -"${senales[$((ciclo % 3))]}" "$pid"
  for _ in $(seq "$limite_salida"); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$pid" 2>/dev/null; then
    kill -KILL "$pid"
    falla "$ciclo" "se colgó al salir"
  fi
  wait "$pid"
  estado=$?
  [ "$estado" -eq 0 ] || falla "$ciclo" "salió con estado $estado"
  kill "$pid_xclip" 2>/dev/null; wait "$pid_xclip" 2>/dev/null; pid_xclip=""

  if [ -n "$valgrind" ]; then
    if grep -qE "Invalid (read|write|free)|Mismatched free|uninitialised value was created|Source and destination overlap" "$temporal/valgrind"; then
      cat "$temporal/valgrind" >&2
      falla "$ciclo" "memcheck vio accesos inválidos"
    fi
    grep -E "ERROR SUMMARY" "$temporal/valgrind"
  fi
done
echo "salidas: $ciclos ciclos, todos con estado 0"
