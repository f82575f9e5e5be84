#pragma once

#include <QString>

#include <filesystem>
#include <optional>

namespace rebisco::InicioSesion {

// Abrir al iniciar sesión es la entrada de autoarranque XDG
// $XDG_CONFIG_HOME/autostart/rebisco.desktop.
std::filesystem::path archivo();

// Lo que arrancaría la entrada: $APPIMAGE si lo hay, si no la ruta absoluta de este programa.
QString programa();

// Encendido: la entrada existe, se entiende, no está oculta (Hidden=true) y arranca ese
// programa.
bool activo(const QString& programa);

// Escribe la entrada de forma atómica o la borra. Devuelve el texto del fallo, si lo hubo.
std::optional<QString> cambiar(bool encender, const QString& programa);

// La línea Exec que arranca el programa, con las comillas y escapes de las entradas.
QString ordenPara(const QString& programa);

} // namespace rebisco::InicioSesion
