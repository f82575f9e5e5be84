#pragma once

#include <optional>
#include <vector>

namespace plataforma::x11 {

// Las posiciones de tecla del programa frente a los códigos evdev del núcleo de Linux (los
// de las tablas de uso USB HID); en X, el código de tecla es evdev + 8.
inline constexpr int desplazamientoX = 8;

// Todos los códigos evdev de una posición, el de un teclado de PC primero (F13 es también
// Impr Pant, ayuda es Insert...). Vacío si la posición no existe en un PC.
std::vector<int> evdevDe(int codigo);

// La posición de un código evdev, si el programa la nombra.
std::optional<int> codigoDeEvdev(int evdev);

} // namespace plataforma::x11
