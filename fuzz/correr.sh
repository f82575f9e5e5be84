#!/usr/bin/env bash
# Ejecuta cada fuzzer SEGUNDOS segundos sobre un corpus nuevo sembrado con fuzz/semillas.
# Sale con error si alguno encuentra un fallo, una fuga, un agotamiento de memoria o un
# bloqueo; en ese caso deja la carpeta temporal con las entradas y los registros.
set -euo pipefail

if [ $# -ne 2 ]; then
  echo "uso: $0 DIR_BUILD SEGUNDOS" >&2
  exit 2
fi
build="$(cd "$1" && pwd)"
segundos="$2"
binarios="$build/fuzz"

trabajo="$(mktemp -d "${TMPDIR:-/tmp}/rebisco-fuzz-XXXXXX")"
semillas="$trabajo/semillas"
"$binarios/semillas" "$semillas"

export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=1"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:+$UBSAN_OPTIONS:}print_stacktrace=1:halt_on_error=1"
if [ -z "${ASAN_SYMBOLIZER_PATH:-}" ] && command -v llvm-symbolizer >/dev/null; then
  export ASAN_SYMBOLIZER_PATH="$(command -v llvm-symbolizer)"
fi

# Las imágenes necesitan entradas más largas que el resto.
declare -A largo_maximo=([fuzz_captura]=16384 [fuzz_imagenes]=65536 [fuzz_atajos]=8192)

fallidos=()
for fuzzer in fuzz_captura fuzz_imagenes fuzz_atajos; do
  corpus="$trabajo/corpus-$fuzzer"
  hallazgos="$trabajo/hallazgos-$fuzzer"
  mkdir -p "$corpus" "$hallazgos"
  echo "== $fuzzer: $segundos s"
  estado=0
  # El primer directorio recibe el corpus nuevo; las semillas solo se leen.
  "$binarios/$fuzzer" \
    -max_total_time="$segundos" -timeout=10 -rss_limit_mb=2048 \
    -max_len="${largo_maximo[$fuzzer]}" -print_final_stats=1 \
    -artifact_prefix="$hallazgos/" \
    "$corpus" "$semillas" >"$trabajo/$fuzzer.log" 2>&1 || estado=$?
  grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb|Done [0-9]+ runs)' \
    "$trabajo/$fuzzer.log" || true
  echo "   corpus: $(find "$corpus" -type f | wc -l) entradas"
  if [ "$estado" -ne 0 ] || [ -n "$(ls -A "$hallazgos")" ]; then
    echo "!! $fuzzer terminó con estado $estado; hallazgos en $hallazgos" >&2
    tail -n 60 "$trabajo/$fuzzer.log" >&2
    fallidos+=("$fuzzer")
  fi
done

if [ ${#fallidos[@]} -ne 0 ]; then
  echo "correr.sh: con hallazgos: ${fallidos[*]} (se conserva $trabajo)" >&2
  exit 1
fi
rm -rf "$trabajo"
echo "correr.sh: sin hallazgos"
