#!/usr/bin/env bash
# El arranque del rebisco de verdad sobre el X de las pruebas: --quitar-inicio sale antes de
# todo; el primer arranque normal enseña el panel una sola vez; una prueba o un modo de fotos
# nunca; un segundo arranque enseña el panel del primero y sale; los modos de fotos dejan sus
# PNG y terminan solos; un arranque normal trae el historial y los ajustes de olvane.
#
#   arranque.sh PROGRAMA LLENAR_MUESTRA
set -uo pipefail
programa="$1"
llenar="$2"

if [ -z "${REBISCO_X11_AISLADO:-}" ] || [ -z "${DISPLAY:-}" ]; then
  echo "arranque: sin pantalla aislada, se salta"
  exit 77
fi
# shellcheck source=ensayo.sh
. "$(dirname "$0")/ensayo.sh"

temporal="$(mktemp -d "${TMPDIR:-/tmp}/arranque.XXXXXX")"
pids=()
trap 'for p in "${pids[@]}"; do kill -KILL "$p" 2>/dev/null; done; rm -rf "$temporal"' EXIT

falla() {
  echo "arranque: $1" >&2
  for f in "$temporal"/*.log; do [ -f "$f" ] && sed "s#^#  $(basename "$f"): #" "$f" >&2; done
  exit 1
}

# Arranca el programa en segundo plano con las variables dadas; deja su pid en $pid.
arrancar() {
  local registro="$1"; shift
  env "$@" QT_QPA_PLATFORM=xcb "$programa" >"$temporal/$registro.log" 2>&1 &
  pid=$!
  pids+=("$pid")
}

# Su panel está (o no, con $2 = no) a la vista, esperando hasta $3 décimas.
panel_de() {
  for _ in $(seq "$3"); do
    if xdotool search --onlyvisible --pid "$1" --name "Historial del portapapeles" >/dev/null 2>&1; then
      [ "$2" = si ] && return 0
    else
      [ "$2" = no ] && return 0
    fi
    sleep 0.1
  done
  return 1
}

# Termina con SIGTERM y espera un estado 0.
terminar() {
  kill -TERM "$1" 2>/dev/null
  terminado "$1" 100 || falla "$2: no terminó"
}

# Espera hasta $2 décimas a que el proceso $1 acabe con estado 0.
terminado() {
  for _ in $(seq "$2"); do
    if ! kill -0 "$1" 2>/dev/null; then
      wait "$1"
      return $?
    fi
    sleep 0.1
  done
  return 1
}

# Espera a que el ensayo de $1 tenga su historial abierto.
abierto() {
  for _ in $(seq 150); do
    [ -f "$1/datos/historial.sqlite" ] && return 0
    sleep 0.1
  done
  return 1
}

# Un PNG de verdad, con ancho y alto mayores que cero.
png() {
  [ -s "$1" ] || return 1
  [ "$(head -c 8 "$1" | od -An -tx1 | tr -d ' \n')" = "89504e470d0a1a0a" ] || return 1
  local ancho
  ancho="$(od -An -j16 -N4 -tu1 "$1" | awk '{print $1*16777216+$2*65536+$3*256+$4}')"
  [ "${ancho:-0}" -gt 0 ]
}

# 1. --quitar-inicio: sale con 0 sin abrir el historial, haya entrada o no.
uno="$temporal/quitar"
mkdir -p "$uno/config/autostart"
printf '[Desktop Entry]\nType=Application\nName=rebisco\nExec=%s\n' "$programa" \
  >"$uno/config/autostart/rebisco.desktop"
for vez in con-entrada sin-entrada; do
  env XDG_CONFIG_HOME="$uno/config" XDG_DATA_HOME="$uno/datos" "$programa" --quitar-inicio \
    >"$temporal/quitar.log" 2>&1
  estado=$?
  [ "$estado" -eq 0 ] || falla "--quitar-inicio $vez salió con $estado"
  [ -e "$uno/config/autostart/rebisco.desktop" ] && falla "--quitar-inicio no borró la entrada"
  [ -e "$uno/datos/rebisco" ] && falla "--quitar-inicio $vez abrió el historial"
done
echo "arranque: --quitar-inicio sale con 0 sin abrir nada"

# 2. El primer arranque normal enseña el panel y lo anota; el segundo, no.
dos="$temporal/primero"
# shellcheck disable=SC2046
arrancar primero $(entorno_de_ensayo "$dos" no)
panel_de "$pid" si 150 || falla "el primer arranque no enseñó el panel"
grep -q '"yaSeAbrio"' "$dos/config/rebisco/preferencias.json" 2>/dev/null ||
  falla "el primer arranque no anotó yaSeAbrio"
terminar "$pid" "primer arranque"
# shellcheck disable=SC2046
# El archivo ya existe del arranque anterior: entorno_de_ensayo con "no" no lo pisa.
arrancar segundo $(entorno_de_ensayo "$dos" no)
abierto "$dos" || falla "el segundo arranque no abrió el historial"
sleep 1.5
panel_de "$pid" no 1 || falla "el segundo arranque enseñó el panel otra vez"
terminar "$pid" "segundo arranque"
echo "arranque: el panel se enseña solo una vez"

# 3. Una prueba nunca lo enseña ni anota nada.
tres="$temporal/prueba"
mkdir -p "$tres/config"
arrancar prueba REBISCO_DATOS="$tres/datos" XDG_CONFIG_HOME="$tres/config" \
  XDG_RUNTIME_DIR="$(mkdir -m 700 -p "$tres/run" && echo "$tres/run")"
for _ in $(seq 150); do [ -f "$tres/datos/historial.sqlite" ] && break; sleep 0.1; done
sleep 1.5
panel_de "$pid" no 1 || falla "una prueba enseñó el panel"
[ -e "$tres/config/rebisco/preferencias.json" ] && falla "una prueba escribió preferencias"
terminar "$pid" "prueba"
echo "arranque: una prueba no enseña el panel"

# 4. Un segundo rebisco enseña el panel del primero y sale con 0.
cuatro="$temporal/dos"
# shellcheck disable=SC2046
arrancar unico $(entorno_de_ensayo "$cuatro")
primero=$pid
abierto "$cuatro" || falla "el primero no abrió el historial"
panel_de "$primero" no 1 || falla "el primero enseñó el panel sin pedirlo"
# shellcheck disable=SC2046
arrancar otro $(entorno_de_ensayo "$cuatro")
terminado "$pid" 50 || falla "el segundo rebisco no salió con 0"
panel_de "$primero" si 50 || falla "el segundo rebisco no enseñó el panel del primero"
terminar "$primero" "el primero"
echo "arranque: el segundo enseña el panel del primero y sale"

# 5. Los modos de fotos: sus PNG, sin enseñar el panel del primer arranque, y salen solos.
cinco="$temporal/fotos"
mkdir -p "$cinco/salida"
# shellcheck disable=SC2046
arrancar instantanea $(entorno_de_ensayo "$cinco" no) REBISCO_INSTANTANEA="$cinco/salida/foto.png"
terminado "$pid" 150 || falla "REBISCO_INSTANTANEA no terminó solo con 0"
for f in foto foto-general foto-historial foto-privacidad; do
  png "$cinco/salida/$f.png" || falla "REBISCO_INSTANTANEA no dejó $f.png"
done
grep -q '"yaSeAbrio"' "$cinco/config/rebisco/preferencias.json" 2>/dev/null &&
  falla "REBISCO_INSTANTANEA anotó el primer arranque"
rm -rf "$cinco/salida" && mkdir -p "$cinco/salida"
# shellcheck disable=SC2046
arrancar captura $(entorno_de_ensayo "$cinco" no) REBISCO_CAPTURA="$cinco/salida/captura.png"
terminado "$pid" 150 || falla "REBISCO_CAPTURA no terminó solo con 0"
for f in captura captura-fondo captura-barra; do
  png "$cinco/salida/$f.png" || falla "REBISCO_CAPTURA no dejó $f.png"
done
echo "arranque: los modos de fotos dejan sus imágenes y salen"

# 6. Un arranque normal (ni prueba ni ensayo, con las carpetas XDG en la temporal) trae el
#    historial de olvane y sus ajustes, una sola vez.
seis="$temporal/mudanza"
case "$(realpath "$programa")" in
  /tmp/* | /var/tmp/* | "${TMPDIR:-/tmp}"/*)
    # Fuera de un ensayo, un programa bajo una carpeta temporal pregunta antes de arrancar.
    echo "arranque: la compilación está en una carpeta temporal; el arranque normal se salta"
    exit 0
    ;;
esac
mkdir -p "$seis/config/olvane" "$seis/datos" && mkdir -m 700 -p "$seis/run"
"$llenar" "$seis/muestra" >"$temporal/llenar.log" 2>&1 || falla "no se pudo hacer el historial de olvane"
mkdir -p "$seis/datos/olvane"
cp "$seis/muestra/historial.sqlite" "$seis/datos/olvane/historial.sqlite"
printf '{"pegarAlElegir":{"bool":false},"maximoRecortes":{"entero":200},"huellaConocida":{"texto":"x"}}\n' \
  >"$seis/config/olvane/preferencias.json"
recortes_de() { sqlite3 -readonly "$1" "SELECT count(*) FROM recortes" 2>/dev/null; }
esperados="$(recortes_de "$seis/datos/olvane/historial.sqlite")"
[ "${esperados:-0}" -gt 0 ] || falla "el historial de olvane está vacío"
arrancar normal XDG_DATA_HOME="$seis/datos" XDG_CONFIG_HOME="$seis/config" \
  XDG_RUNTIME_DIR="$seis/run" HOME="$seis"
nuestro="$seis/datos/rebisco/historial.sqlite"
for _ in $(seq 150); do [ -f "$nuestro" ] && break; sleep 0.1; done
sleep 1
[ "$(recortes_de "$nuestro")" = "$esperados" ] || falla "no trajo los $esperados recortes de olvane"
prefs="$seis/config/rebisco/preferencias.json"
grep -q '"mudanzaDeOlvane"' "$prefs" 2>/dev/null || falla "no anotó la mudanza"
grep -q '"maximoRecortes"' "$prefs" || falla "no trajo maximoRecortes"
grep -q '"huellaConocida": *{ *"texto": *"x"' "$prefs" && falla "trajo la huella de olvane"
terminar "$pid" "arranque normal"
echo "arranque: un arranque normal trae el historial y los ajustes de olvane"
