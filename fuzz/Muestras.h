#pragma once

#include <nucleo/Modelo.h>

#include <string>

// Entradas pequeñas y válidas: semillas del corpus y plantillas para llegar a los
// decodificadores de imagen sin que el fuzzer tenga que inventar una cabecera PNG o TIFF.
namespace muestras {

nucleo::Bytes pngPequeno();
nucleo::Bytes tiffDosPaginas();
std::string rtf();
std::string html();
std::string rutas();
std::string textoVariado();

} // namespace muestras
