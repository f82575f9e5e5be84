#pragma once

#include <nucleo/Modelo.h>

#include <QString>

#include <cstdint>

namespace rebisco::Formato {

// El título de un recorte en las listas: el de una imagen dice sus medidas.
QString titulo(const nucleo::Recorte& recorte);
// "ahora" durante el primer minuto; luego "hace 5 min", "hace 2 h"… en el idioma de la
// interfaz.
QString haceCuanto(nucleo::Instante fecha, nucleo::Instante ahora);
QString recortes(std::int64_t n);
QString resultados(std::int64_t n);
// Un tamaño en el estilo de los archivos, con unidades decimales: "1,5 MB".
QString bytes(std::int64_t n);

} // namespace rebisco::Formato
