#!/usr/bin/env bash
# Medida: rebisco-mirar frente a dueños de CLIPBOARD hostiles (tests/x11/DuenoHostil.cpp).
# Para cada caso, el tiempo desde una copia normal con xclip hasta verla capturada, y la
# memoria residente del programa antes y después del dueño hostil; medianas de VECES
# repeticiones, como clave=valor. Dentro de scripts/con-x11.sh:
#
#   scripts/con-x11.sh bench/hostiles.sh REBISCO_MIRAR DUENO_HOSTIL [VECES] [DESTINOS] [LIMITE_S]
set -uo pipefail

mirar="$1"
hostil="$2"
veces="${3:-3}"
destinos="${4:-1000000}"
limite="${5:-120}"

if [ -z "${REBISCO_X11_AISLADO:-}" ] || [ -z "${DISPLAY:-}" ]; then
  echo "hostiles: solo dentro de scripts/con-x11.sh" >&2
  exit 77
fi

temporal="$(mktemp -d "${TMPDIR:-/tmp}/hostiles.XXXXXX")"
pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done; rm -rf "$temporal"' EXIT

ahora() { date +%s.%N; }
residente() { awk '/^VmRSS:/ { printf "%.1f", $2 / 1024 }' "/proc/$1/status"; }

# Espera hasta $2 segundos a que la salida de mirar contenga $1.
esperar_texto() {
  local fin
  fin=$(echo "$(ahora) + $2" | bc)
  while (($(echo "$(ahora) < $fin" | bc))); do
    grep -qF -- "$1" "$temporal/salida" && return 0
    sleep 0.02
  done
  return 1
}

# Un dueño hostil con sus argumentos; vuelve cuando ya es el dueño.
hostil_toma() {
  "$hostil" "$@" >"$temporal/hostil" 2>/dev/null &
  pids+=($!)
  for _ in $(seq 600); do
    grep -q listo "$temporal/hostil" && break
    sleep 0.05
  done
  ultimo_hostil=$!
}

mediana() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

medir() {
  local caso="$1" duenos="$2"
  shift 2
  : >"$temporal/tiempos"
  : >"$temporal/antes"
  : >"$temporal/despues"
  : >"$temporal/todas"
  for vez in $(seq "$veces"); do
    rm -rf "$temporal/datos" "$temporal/config"
    REBISCO_ENSAYO="$temporal/datos" XDG_CONFIG_HOME="$temporal/config" QT_QPA_PLATFORM=xcb \
      "$mirar" >"$temporal/salida" 2>&1 &
    local pid=$!
    pids+=("$pid")
    esperar_texto "── 0 recortes" 20 || { echo "hostiles: rebisco-mirar no arrancó" >&2; exit 1; }
    residente "$pid" >>"$temporal/antes"
    echo >>"$temporal/antes"
    for _ in $(seq "$duenos"); do
      hostil_toma "$@"
      sleep 0.5 # un tic del vigilante: rebisco ya está leyendo al dueño hostil
      kill "$ultimo_hostil" 2>/dev/null
      wait "$ultimo_hostil" 2>/dev/null
    done
    if [ "$duenos" -eq 1 ]; then hostil_toma "$@"; sleep 0.5; fi
    local texto="copia normal $caso $vez $RANDOM"
    local t0
    t0=$(ahora)
    printf '%s' "$texto" | xclip -selection clipboard -i
    if esperar_texto "$texto" "$limite"; then
      echo "$(ahora) - $t0" | bc >>"$temporal/tiempos"
    else
      echo ">$limite" >>"$temporal/tiempos"
    fi
    residente "$pid" >>"$temporal/despues"
    echo >>"$temporal/despues"
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    cat "$temporal/salida" >>"$temporal/todas"
    [ "$duenos" -eq 1 ] && kill "$ultimo_hostil" 2>/dev/null
  done
  if grep -q '>' "$temporal/tiempos"; then
    echo "${caso}_captura_s=>$limite"
  else
    echo "${caso}_captura_s=$(mediana <"$temporal/tiempos")"
  fi
  if grep -qF 'hola!!!!' "$temporal/todas"; then echo "${caso}_entero_guardado_como_texto=1"; fi
  echo "${caso}_residente_antes_mib=$(grep . "$temporal/antes" | mediana)"
  echo "${caso}_residente_despues_mib=$(grep . "$temporal/despues" | mediana)"
}

medir "destinos_$destinos" 1 destinos "$destinos"
medir nombres_30x20000 30 nombres 20000
medir entero 1 entero
