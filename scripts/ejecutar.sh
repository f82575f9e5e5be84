#!/usr/bin/env bash
# Instala lo que falte, compila rebisco en Release y lo arranca sobre el escritorio actual.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/preparar.sh
cmake --preset programa >/dev/null
cmake --build --preset programa -j "$(nproc)" --target rebisco
if [ -z "${DISPLAY:-}" ]; then
  echo "ejecutar: no hay DISPLAY; rebisco necesita una sesión X11 (o XWayland)." >&2
  exit 1
fi
exec build/programa/programa/rebisco "$@"
