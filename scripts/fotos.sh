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
  build/ci/tests/interfaz/llenar_muestra "$datos"
  mkdir -p "$datos/fotos"
  apariencia=""
  [ "$tema" = oscuro ] && apariencia=oscura
  # Una ejecución de prueba: preferencias en memoria, nada del usuario a la vista.
  LANGUAGE=es LANG=es_ES.UTF-8 REBISCO_DATOS="$datos" XDG_DATA_HOME="$datos/apps" \
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
