#!/usr/bin/env bash
# rebisco instalado como cualquier programa de escritorio: cmake --install en un prefijo
# propio deja el programa, una entrada de escritorio válida con la ruta del programa y el
# icono; lanzado desde su entrada (gio launch, como un menú de aplicaciones) arranca, y
# lanzado otra vez enseña el panel del que ya corre; desinstalar con el manifiesto no deja
# nada. Instalado bajo una carpeta temporal, avisa antes de abrir nada, e Intro («Salir»)
# lo cierra sin haber abierto el historial.
#
#   instalacion.sh DIR_BUILD
set -uo pipefail
build="$(cd "$1" && pwd)"

if [ -z "${REBISCO_X11_AISLADO:-}" ] || [ -z "${DISPLAY:-}" ]; then
  echo "instalacion: sin pantalla aislada, se salta"
  exit 77
fi
# shellcheck source=ensayo.sh
. "$(dirname "$0")/ensayo.sh"

# El prefijo junto a la compilación: bajo una carpeta temporal, rebisco avisaría de que está
# fuera de sitio.
prefijo="$(mktemp -d "$build/instalado.XXXXXX")"
temporal="$(mktemp -d "${TMPDIR:-/tmp}/instalacion.XXXXXX")"
pid=""
trap '[ -n "$pid" ] && kill -KILL "$pid" 2>/dev/null; rm -rf "$temporal" "$prefijo"' EXIT
case "$prefijo" in
  /tmp/* | /var/tmp/* | "${TMPDIR:-/tmp}"/*)
    echo "instalacion: la compilación está en una carpeta temporal; se salta"
    exit 77
    ;;
esac

falla() {
  echo "instalacion: $1" >&2
  for f in "$temporal"/*.log; do [ -f "$f" ] && sed "s#^#  $(basename "$f"): #" "$f" >&2; done
  exit 1
}

cmake --install "$build" --prefix "$prefijo" --component programa >"$temporal/instalar.log" 2>&1 ||
  falla "cmake --install falló"
entrada="$prefijo/share/applications/rebisco.desktop"
for f in bin/rebisco share/applications/rebisco.desktop share/icons/hicolor/scalable/apps/rebisco.svg; do
  [ -e "$prefijo/$f" ] || falla "no se instaló $f"
done
[ -x "$prefijo/bin/rebisco" ] || falla "el programa instalado no es ejecutable"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$entrada" >"$temporal/validar.log" 2>&1 || falla "la entrada no es válida"
fi
grep -qxF "Exec=\"$prefijo/bin/rebisco\"" "$entrada" || falla "Exec no lleva la ruta instalada: $(grep ^Exec "$entrada")"
grep -qx "Icon=rebisco" "$entrada" || falla "la entrada no nombra el icono"
grep -qx "StartupWMClass=rebisco" "$entrada" || falla "la entrada no nombra la clase de ventana"
echo "instalacion: programa, entrada válida e icono en $prefijo"

# Desde la entrada, como lo lanzaría el menú de aplicaciones.
# shellcheck disable=SC2046
env $(entorno_de_ensayo "$temporal") QT_QPA_PLATFORM=xcb gio launch "$entrada" \
  >"$temporal/lanzar.log" 2>&1 || falla "gio launch falló"
for _ in $(seq 150); do
  pid="$(pgrep -f -x "$prefijo/bin/rebisco" | head -n1)"
  [ -n "$pid" ] && [ -f "$temporal/datos/historial.sqlite" ] && break
  sleep 0.1
done
[ -n "$pid" ] || falla "lanzado desde su entrada, no arrancó"
[ -f "$temporal/datos/historial.sqlite" ] || falla "lanzado desde su entrada, no abrió el historial"
echo "instalacion: arranca desde su entrada de escritorio"

# Otra vez desde la entrada: el que corre enseña su panel; el nuevo se va.
# shellcheck disable=SC2046
env $(entorno_de_ensayo "$temporal") QT_QPA_PLATFORM=xcb gio launch "$entrada" \
  >>"$temporal/lanzar.log" 2>&1 || falla "gio launch falló la segunda vez"
visto=""
for _ in $(seq 50); do
  if xdotool search --onlyvisible --pid "$pid" --name "Historial del portapapeles" >/dev/null 2>&1; then
    visto=1
    break
  fi
  sleep 0.1
done
[ -n "$visto" ] || falla "lanzado otra vez, no enseñó el panel del que corre"
sleep 0.5
[ "$(pgrep -c -f -x "$prefijo/bin/rebisco")" -eq 1 ] || falla "quedaron dos rebisco en marcha"
echo "instalacion: lanzado otra vez, enseña el panel del que corre"

kill -TERM "$pid"
for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && falla "no terminó con SIGTERM"
pid=""

# Desinstalar es borrar lo que dice el manifiesto.
manifiesto="$build/install_manifest_programa.txt"
[ -f "$manifiesto" ] || falla "no hay manifiesto de la instalación"
xargs rm -f <"$manifiesto"
restos="$(find "$prefijo" -type f | wc -l)"
[ "$restos" -eq 0 ] || falla "desinstalar dejó $restos archivos: $(find "$prefijo" -type f)"
echo "instalacion: desinstalar con el manifiesto no deja archivos"

# Bajo una carpeta temporal: el aviso, y con «Salir» (el botón propuesto) nada más.
temporalPrefijo="$temporal/prefijo"
cmake --install "$build" --prefix "$temporalPrefijo" --component programa >"$temporal/instalar.log" 2>&1 ||
  falla "cmake --install en la carpeta temporal falló"
# Un arranque normal (un ensayo no avisa), con las carpetas XDG en la temporal.
mkdir -p "$temporal/fuera/config" && mkdir -m 700 -p "$temporal/fuera/run"
XDG_DATA_HOME="$temporal/fuera/datos" XDG_CONFIG_HOME="$temporal/fuera/config" \
  XDG_RUNTIME_DIR="$temporal/fuera/run" QT_QPA_PLATFORM=xcb "$temporalPrefijo/bin/rebisco" \
  >"$temporal/fuera.log" 2>&1 &
pid=$!
aviso=""
for _ in $(seq 100); do
  aviso="$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | head -n1)"
  [ -n "$aviso" ] && break
  sleep 0.1
done
[ -n "$aviso" ] || falla "fuera de sitio, no avisó"
[ -e "$temporal/fuera/datos" ] && falla "fuera de sitio, abrió el historial antes de preguntar"
xdotool windowactivate --sync "$aviso" key Return
for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && falla "fuera de sitio, Intro no lo cerró"
wait "$pid"
estado=$?
pid=""
[ "$estado" -eq 0 ] || falla "fuera de sitio, salió con $estado"
[ -e "$temporal/fuera/datos" ] && falla "fuera de sitio, abrió el historial al salir"
echo "instalacion: desde una carpeta temporal avisa y sale sin abrir nada"
