#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace plataforma::x11 {

// El valor de una cifra hexadecimal, o -1 si no lo es.
inline int valorHex(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

struct PuntoUtf8 {
    char32_t punto;
    std::size_t largo;
};

// El punto de código UTF-8 que empieza en datos, con sus bytes; nada si está mal formado,
// es demasiado largo para lo que codifica, o es un sustituto.
template <typename Byte>
std::optional<PuntoUtf8> puntoUtf8(const Byte* datos, std::size_t disponibles) {
    if (disponibles == 0) return std::nullopt;
    const auto c = static_cast<std::uint8_t>(datos[0]);
    std::size_t largo = 0;
    std::uint32_t punto = 0;
    if (c < 0x80) return PuntoUtf8{c, 1};
    if ((c & 0xE0) == 0xC0) {
        largo = 2;
        punto = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
        largo = 3;
        punto = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
        largo = 4;
        punto = c & 0x07;
    } else {
        return std::nullopt;
    }
    if (largo > disponibles) return std::nullopt;
    for (std::size_t k = 1; k < largo; ++k) {
        const auto siguiente = static_cast<std::uint8_t>(datos[k]);
        if ((siguiente & 0xC0) != 0x80) return std::nullopt;
        punto = (punto << 6) | (siguiente & 0x3F);
    }
    static constexpr std::array<std::uint32_t, 5> minimo{0, 0, 0x80, 0x800, 0x10000};
    if (punto < minimo[largo] || punto > 0x10FFFF || (punto >= 0xD800 && punto <= 0xDFFF))
        return std::nullopt;
    return PuntoUtf8{punto, largo};
}

} // namespace plataforma::x11
