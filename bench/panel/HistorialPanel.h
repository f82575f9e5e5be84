#pragma once

#include <cstdint>
#include <filesystem>

namespace medicion_panel {

// Lo que se pone encima de la base de textos de las mediciones: los 300 recortes más
// recientes, lo que la lista del panel muestra sin búsqueda.
struct Recientes {
    int imagenes = 0, enlaces = 0, archivos = 0, textos = 0, fijados = 0;
};

// En `carpeta`, un historial.sqlite con los `base` recortes de texto de las mediciones
// y, encima, 300 recientes: una imagen con miniatura de cada diez, enlaces, archivos, textos
// de varias líneas y algunos fijados, de aplicaciones con entrada de escritorio y de una sin
// ella. En `datos` deja las entradas de escritorio y sus iconos (para XDG_DATA_HOME).
Recientes prepararHistorial(const std::filesystem::path& carpeta,
                            const std::filesystem::path& datos, std::int64_t base);

} // namespace medicion_panel
