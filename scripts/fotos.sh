#!/usr/bin/env bash
# Las fotos del README, hechas por el propio programa (REBISCO_INSTANTANEA) con un historial de
# muestra, en un X virtual: el panel en claro y en oscuro y cada pestaña de los ajustes.
#
#   scripts/fotos.sh [CARPETA]      por omisión, docs/fotos
set -euo pipefail
cd "$(dirname "$0")/.."
destino="${1:-docs/fotos}"

cmake --preset ci >/dev/null
cmake --build --preset ci -j "$(nproc)" --target rebisco llenar_muestra
mkdir -p "$destino"
temporal="$(mktemp -d "${TMPDIR:-/tmp}/fotos.XXXXXX")"
trap 'rm -rf "$temporal"' EXIT

for tema in claro oscuro; do
  datos="$temporal/$tema"
  build/ci/tests/interfaz/llenar_muestra "$datos/rebisco"
  mkdir -p "$datos/fotos" "$datos/config"
  mkdir -m 700 -p "$datos/run"
  apariencia=""
  [ "$tema" = oscuro ] && apariencia=oscura
  # Una ejecución normal, pero con todas las carpetas XDG en la temporal: ni el historial ni
  # las preferencias de quien las saca, y el pegado disponible como en un escritorio.
  LANGUAGE=es LANG=es_ES.UTF-8 XDG_DATA_HOME="$datos" XDG_CONFIG_HOME="$datos/config" \
    XDG_RUNTIME_DIR="$datos/run" XDG_DATA_DIRS="$datos/rebisco/apps:/usr/local/share:/usr/share" \
    REBISCO_APARIENCIA="$apariencia" REBISCO_INSTANTANEA="$datos/fotos/rebisco.png" \
    QT_QPA_PLATFORM=xcb scripts/con-x11.sh build/ci/programa/rebisco
  cp "$datos/fotos/rebisco.png" "$destino/panel-$tema.png"
  if [ "$tema" = claro ]; then
    for pestana in general historial privacidad; do
      cp "$datos/fotos/rebisco-$pestana.png" "$destino/ajustes-$pestana.png"
    done
  fi
done
ls -l "$destino"
