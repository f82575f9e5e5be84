#!/usr/bin/env bash
# Comprobaciones del repositorio que no dependen de compilar: nombres de archivo sanos y
# fuentes C++ con el formato del proyecto. Con --limpio comprueba además que el árbol no
# tiene cambios ni archivos sin seguimiento (se usa después de compilar y probar).
set -euo pipefail
cd "$(dirname "$0")/.."

fallos=0

# Un nombre admite letras, cifras, '.', '_', '-', '+' y '/' entre carpetas; nada de
# espacios, comillas, paréntesis ni caracteres de control.
malos=$(git ls-files -z | tr '\0' '\n' | LC_ALL=C grep -v '^[A-Za-z0-9._+/-]*$' || true)
if [ -n "$malos" ]; then
  echo "revisar-arbol: nombres de archivo con caracteres no admitidos:" >&2
  while IFS= read -r nombre; do printf '  %q\n' "$nombre"; done <<<"$malos" >&2
  fallos=1
fi

mapfile -d '' fuentes < <(git ls-files -z -- '*.cpp' '*.h' '*.c')
if [ ${#fuentes[@]} -gt 0 ]; then
  if ! clang-format --dry-run --Werror "${fuentes[@]}" 2>/tmp/revisar-formato.$$; then
    echo "revisar-arbol: fuentes que no siguen .clang-format (arregla con clang-format -i):" >&2
    grep -o '^[^:]*:[0-9]*:[0-9]*: error' /tmp/revisar-formato.$$ | cut -d: -f1 | sort -u \
      | sed 's/^/  /' >&2
    fallos=1
  fi
  rm -f /tmp/revisar-formato.$$
fi

if [ "${1:-}" = "--limpio" ]; then
  sucio=$(git status --porcelain --untracked-files=all)
  if [ -n "$sucio" ]; then
    echo "revisar-arbol: la compilación o las pruebas dejaron el árbol sucio:" >&2
    echo "$sucio" | sed 's/^/  /' >&2
    fallos=1
  fi
fi

exit $fallos
