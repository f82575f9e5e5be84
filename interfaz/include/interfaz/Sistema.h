#pragma once

#include <QString>

namespace rebisco::Sistema {

// Abre un enlace con el programa que el escritorio tenga para él. Un texto que no es un URL
// válido y absoluto no hace nada; no se informa de nada.
void abrir(const QString& texto);

} // namespace rebisco::Sistema
