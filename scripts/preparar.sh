#!/usr/bin/env bash
# Instala, solo si faltan, los paquetes de Debian 12 que necesitan la compilación y las pruebas.
# Se puede ejecutar cuantas veces se quiera.
set -euo pipefail

paquetes=(
  g++ cmake ninja-build pkg-config git
  libsqlite3-dev sqlite3 libicu-dev liburiparser-dev libssl-dev libvips-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang clang-format libclang-rt-14-dev
  qt6-base-dev qt6-base-dev-tools qt6-image-formats-plugins qt6-l10n-tools qt6-svg-dev
  libxcb1-dev libxcb-xtest0-dev libxcb-xfixes0-dev libxcb-xkb-dev
  libxkbcommon-dev libxkbcommon-x11-dev libgl-dev
  libglib2.0-dev libglib2.0-bin gsettings-desktop-schemas xkb-data x11-xkb-utils
  xvfb xauth openbox xcompmgr xclip xdotool x11-utils x11-xserver-utils valgrind
  trayer dbus-daemon
  mousepad featherpad desktop-file-utils
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
