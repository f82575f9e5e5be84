#pragma once

#include <QIcon>

#include <optional>
#include <string>

namespace rebisco::Iconos {

// El icono de la aplicación instalada cuya entrada de escritorio (.desktop) tiene ese
// identificador: su Icon= en el tema de iconos o como ruta. Lo encontrado se guarda mientras
// viva la aplicación Qt; lo que no está instalado se vuelve a buscar la próxima vez.
std::optional<QIcon> deApp(const std::optional<std::string>& appId);

} // namespace rebisco::Iconos
