#pragma once

#include <QString>

#include <optional>
#include <string>
#include <vector>

namespace rebisco::AppsExcluidas {

// La lista guardada en appsExcluidas, una aplicación por línea. Escribirla la normaliza: las
// líneas en blanco y los espacios de los lados desaparecen, el orden se conserva.

// Añade al final las que aún no están (comparación exacta), en el orden dado.
QString anadir(const QString& guardada, const std::vector<std::string>& nuevas);
// Quita la elegida; sin elegida, solo normaliza.
QString quitar(const QString& guardada, const std::optional<std::string>& elegida);

} // namespace rebisco::AppsExcluidas
