#pragma once

#include <plataforma/Teclado.h>

#include <QString>
#include <Qt>

#include <cstdint>
#include <optional>
#include <vector>

namespace rebisco {

// Nombres de teclas y combinaciones para el usuario ("Mayús+Súper+V"), y los atajos que el sistema
// ya usa. Los códigos son posiciones de tecla; las máscaras, los bits de plataforma::Modificador.
namespace Teclas {

struct Combinacion {
    int codigo = 0;
    int modificadores = 0;

    bool operator==(const Combinacion&) const = default;
};

// Las flechas, F1–F12 y otras se nombran con un texto fijo; el resto por lo que escribe.
QString nombre(plataforma::Teclado& teclado, std::int64_t codigo);
// Los modificadores siempre en el orden Ctrl, Alt, Mayús, Súper, y luego la tecla.
QString texto(plataforma::Teclado& teclado, std::int64_t codigo, std::int64_t modificadores);
std::optional<QString> caracter(plataforma::Teclado& teclado, std::uint16_t codigo);
// Los modificadores de un evento de Qt en la máscara del programa; Super es ⌘.
int carbon(Qt::KeyboardModifiers modificadores);

// Los atajos activos del sistema; vacío si no se pueden leer.
std::vector<Combinacion> atajosDeMacOS(plataforma::Teclado& teclado);
bool usadaPorMacOS(plataforma::Teclado& teclado, std::int64_t codigo, std::int64_t modificadores);

} // namespace Teclas

} // namespace rebisco
