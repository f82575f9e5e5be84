#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// Utilidades Unicode internas del núcleo, sobre UTF-8.
namespace nucleo::Texto {

// Decodifica como UTF-8 cambiando cada secuencia inválida por U+FFFD.
std::string repararUtf8(std::span<const std::uint8_t> bytes);

// Bytes que ocupan los primeros n caracteres percibidos (grafemas extendidos).
std::size_t prefijoDeGrafemas(std::string_view texto, std::size_t n);

inline std::string_view primerosGrafemas(std::string_view texto, std::size_t n) {
    return texto.substr(0, prefijoDeGrafemas(texto, n));
}

// Categoría Z, U+0009 a U+000D y U+0085.
bool esBlancoONuevaLinea(char32_t c);
// Categoría Zs y el tabulador.
bool esBlanco(char32_t c);
bool esNuevaLinea(char32_t c);
// Propiedad White_Space.
bool esEspacio(char32_t c);

using Predicado = bool (*)(char32_t);

std::string_view recortar(std::string_view texto, Predicado quitar);

// Trozos entre separadores, sin los vacíos; se detiene cuando trozo devuelve false.
template <typename F> void partir(std::string_view texto, Predicado separa, F&& trozo);

// Recorre los escalares; las secuencias inválidas llegan como U+FFFD.
char32_t siguiente(std::string_view texto, std::size_t& i);

template <typename F> void partir(std::string_view texto, Predicado separa, F&& trozo) {
    std::size_t inicio = 0;
    std::size_t i = 0;
    while (i < texto.size()) {
        const std::size_t antes = i;
        if (separa(siguiente(texto, i))) {
            if (antes > inicio && !trozo(texto.substr(inicio, antes - inicio))) return;
            inicio = i;
        }
    }
    if (texto.size() > inicio) trozo(texto.substr(inicio));
}

} // namespace nucleo::Texto
