#pragma once

#include "nucleo/Modelo.h"

#include <cstdint>
#include <optional>
#include <span>

namespace nucleo {

struct Dimensiones {
    std::int64_t ancho = 0;
    std::int64_t alto = 0;

    bool operator==(const Dimensiones&) const = default;
};

// Píxeles RGBA de 8 bits, fila a fila, sin relleno entre filas.
struct ImagenRGBA {
    std::int64_t ancho = 0;
    std::int64_t alto = 0;
    Bytes pixeles;

    bool operator==(const ImagenRGBA&) const = default;
};

// Ninguna lanza: un fallo es un resultado ausente.
namespace Imagenes {

std::optional<Bytes> codificarPNG(const ImagenRGBA& imagen);
std::optional<Bytes> aPNG(std::span<const std::uint8_t> datos);
std::optional<Dimensiones> dimensiones(std::span<const std::uint8_t> datos);
std::optional<Bytes> miniatura(std::span<const std::uint8_t> datos, std::int64_t ladoMaximo);

} // namespace Imagenes
} // namespace nucleo
