#!/usr/bin/env bash
# Instala lo que falte, compila rebisco en Release y lo ejecuta sobre el escritorio actual.
# Mientras no exista el panel, lo que se ejecuta es rebisco-mirar: el estado de la
# aplicación sobre el portapapeles de verdad, contado en la terminal.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/preparar.sh
cmake --preset programa >/dev/null
cmake --build --preset programa -j "$(nproc)" --target rebisco-mirar
if [ -z "${DISPLAY:-}" ]; then
  echo "ejecutar: no hay DISPLAY; rebisco necesita una sesión X11 (o XWayland)." >&2
  exit 1
fi
exec build/programa/app/rebisco-mirar "$@"
