#pragma once

#include <nucleo/Nucleo.h>

#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace medicion {

// Parámetros comunes de cada medición: varias repeticiones y solo sus agregados, para
// que la mediana salga siempre.
benchmark::internal::Benchmark* comun(benchmark::internal::Benchmark* b,
                                      benchmark::TimeUnit unidad);

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

// Dos copias, en la carpeta temporal, de una base con exactamente `recortes` recortes de
// texto: una que el almacén ya abrió una vez (y le puso sus estructuras auxiliares) y otra
// solo con el esquema, para las sentencias de siempre. Se preparan una vez por ejecución y
// las comparten las mediciones de ese tamaño; de paso se anota el tamaño de cada archivo.
struct Historial {
    std::filesystem::path almacen;
    std::filesystem::path literal;
};
const Historial& historiales(std::int64_t recortes);

// La copia solo con el esquema, para quien abre su propio almacén.
const std::filesystem::path& historial(std::int64_t recortes);

// Las palabras con que se escriben los textos.
std::vector<std::string> palabras();

// Cifras que no son tiempos (tamaños de archivo); se imprimen al final como clave=valor.
void anotar(const std::string& clave, double valor);
const std::vector<std::pair<std::string, double>>& anotaciones();

nucleo::Instante instanteDeMedicion();

} // namespace medicion
