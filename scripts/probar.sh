#!/usr/bin/env bash
# Todo lo necesario para probar rebisco desde un clon limpio: instala lo que falte,
# configura, compila y ejecuta todas las pruebas.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/preparar.sh
cmake --preset ci
cmake --build --preset ci -j "$(nproc)"
# Las pruebas de X11 necesitan un servidor propio: todo ctest corre dentro de uno.
scripts/con-x11.sh ctest --preset ci -j "$(nproc)"
