#pragma once

#include <filesystem>

namespace nucleo::Archivos {

// Crea la carpeta y las intermedias que falten con permisos 0700; las existentes no se tocan.
// Lanza std::filesystem::filesystem_error.
void crearCarpetaPrivada(const std::filesystem::path& carpeta);

// Crea el archivo vacío con 0600 si no existe, para que nunca quede legible por otros
// ni un instante. Los fallos se ignoran: quien abra el archivo los verá.
void crearArchivoPrivado(const std::filesystem::path& archivo);

// Permisos 0600; los fallos se ignoran (un archivo auxiliar que aún no existe, por ejemplo).
void hacerPrivado(const std::filesystem::path& archivo);

} // namespace nucleo::Archivos
