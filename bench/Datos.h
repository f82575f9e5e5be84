#pragma once

#include <nucleo/Nucleo.h>

#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <random>
#include <string>

namespace medicion {

// Parámetros comunes de cada medición: varias repeticiones y solo sus agregados, para
// que la mediana salga siempre.
benchmark::internal::Benchmark* comun(benchmark::internal::Benchmark* b, benchmark::TimeUnit unidad);

// Texto en frases y párrafos de exactamente `largo` bytes y UTF-8 válido, con unos cientos
// de palabras corrientes en español e inglés (algunas con tildes, para que el plegado Unicode
// trabaje); las frecuentes salen más (reparto de Zipf), como en un texto real.
std::string textoRealista(std::mt19937_64& azar, std::size_t largo);

nucleo::OpcionesCaptura opcionesCaptura();
nucleo::LecturaPortapapeles lecturaDeTexto(const std::string& texto);
// Pasa por Captura::interpretar, así vista, texto de búsqueda y huella son los de verdad.
nucleo::RecorteNuevo recorteDeTexto(const std::string& texto);

// Una captura de pantalla verosímil: zonas planas de interfaz, renglones de "texto" y
// una foto con ruido.
nucleo::ImagenRGBA capturaDePantalla(std::int64_t ancho, std::int64_t alto);
nucleo::Bytes tiffDe(const nucleo::ImagenRGBA& imagen);

// Ruta, en la carpeta temporal, a una base con exactamente `recortes` recortes de texto; se
// prepara una vez por ejecución y la comparten las mediciones de ese tamaño.
const std::filesystem::path& historial(std::int64_t recortes);

nucleo::Instante instanteDeMedicion();

} // namespace medicion
