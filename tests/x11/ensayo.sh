# Para los guiones que arrancan el rebisco de verdad: un ensayo aislado dentro de la carpeta
# $1, con sus datos, su configuración y su carpeta de ejecución (la del cerrojo de una sola
# instancia), para que dos pruebas a la vez no se tomen por el mismo rebisco. Con $2 = si
# (lo normal), el programa ya se abrió otras veces y no enseña el panel él solo.
# Escribe las variables, una por palabra: env $(entorno_de_ensayo "$dir") programa
entorno_de_ensayo() {
  local carpeta="$1" abierto="${2:-si}"
  mkdir -p "$carpeta/config/rebisco"
  mkdir -m 700 -p "$carpeta/run"
  if [ "$abierto" = si ]; then
    printf '{"yaSeAbrio":{"bool":true}}\n' >"$carpeta/config/rebisco/preferencias.json"
  fi
  echo "REBISCO_ENSAYO=$carpeta/datos XDG_CONFIG_HOME=$carpeta/config XDG_RUNTIME_DIR=$carpeta/run"
}
