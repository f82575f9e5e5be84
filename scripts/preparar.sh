#!/usr/bin/env bash
# Instala, solo si faltan, los paquetes de Debian 12 que necesitan la compilación y las pruebas.
# Se puede ejecutar cuantas veces se quiera.
set -euo pipefail

paquetes=(
  g++ cmake ninja-build pkg-config git
  libsqlite3-dev libicu-dev liburiparser-dev libssl-dev libvips-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
)

faltan=()
for p in "${paquetes[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    faltan+=("$p")
  fi
done

if [ ${#faltan[@]} -eq 0 ]; then
  echo "preparar: no falta ningún paquete"
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
echo "preparar: instalando ${faltan[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${faltan[@]}"
