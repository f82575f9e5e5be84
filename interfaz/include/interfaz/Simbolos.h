#pragma once

#include "interfaz/Dibujo.h"

#include <QString>

#include <optional>

namespace rebisco::Simbolos {

// Nuestros símbolos ("magnifyingglass", "pin.fill", "list.clipboard"…), dibujos de plantilla
// que se tiñen con el color del texto; no hace falta ningún tema de iconos. Nada si rebisco no
// trae ese símbolo.
std::optional<Dibujo> llamado(const QString& nombre);

} // namespace rebisco::Simbolos
