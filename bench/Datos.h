#pragma once

#include <nucleo/Nucleo.h>

#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <string_view>

namespace medicion {

// Parámetros comunes de cada medición: varias repeticiones y solo sus agregados, para
// que la mediana salga siempre.
benchmark::internal::Benchmark* comun(benchmark::internal::Benchmark* b, benchmark::TimeUnit unidad);

// Palabras de uso corriente en español e inglés; algunas con tildes para que el plegado
// Unicode también trabaje.
std::string_view palabra(std::size_t rango);
std::size_t palabrasEnVocabulario();

// Texto en frases y párrafos de exactamente `largo` bytes y UTF-8 válido; las palabras
// frecuentes salen más (reparto de Zipf), como en un texto real.
std::string textoRealista(std::mt19937_64& azar, std::size_t largo);

nucleo::OpcionesCaptura opcionesCaptura();
nucleo::LecturaPortapapeles lecturaDeTexto(const std::string& texto);
// Pasa por Captura::interpretar, así vista, texto de búsqueda y huella son los de verdad.
nucleo::RecorteNuevo recorteDeTexto(const std::string& texto);

// Una captura de pantalla verosímil: zonas planas de interfaz, renglones de "texto" y
// una foto con ruido.
nucleo::ImagenRGBA capturaDePantalla(std::int64_t ancho, std::int64_t alto);
nucleo::Bytes tiffDe(const nucleo::ImagenRGBA& imagen);

// Ruta a una base con exactamente `recortes` recortes de texto; se construye una sola vez
// por ejecución y se comparte entre mediciones.
const std::filesystem::path& historial(std::int64_t recortes);

nucleo::Instante instanteDeMedicion();

} // namespace medicion
