#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

namespace plataforma::x11 {

// Una combinación tal como la guarda el escritorio: la tecla por su símbolo (keysym de X,
// en minúscula cuando es una letra) y los modificadores con los bits del programa:
// Control 4096, Alt 2048, Mayúsculas 512, Super 256.
struct CombinacionEscritorio {
    std::uint32_t modificadores = 0;
    std::uint32_t simbolo = 0;

    bool operator==(const CombinacionEscritorio&) const = default;
};

// GNOME nombra "Above_Tab" a la tecla que está encima del tabulador, sea cual sea su símbolo;
// queda fuera del rango de los keysyms.
inline constexpr std::uint32_t teclaSobreTabulador = 0x2000000;

// Un acelerador de GTK: "<Primary><Shift>c", "<Super>Left", "<Alt>F4". Nada si está vacío,
// es "disabled", no se entiende o lleva modificadores que esos bits no expresan.
std::optional<CombinacionEscritorio> desdeAceleradorGtk(std::string_view texto);

// Un atajo de KDE (texto portable de Qt): "Meta+Shift+S", "Ctrl+Alt+T", "Print".
std::optional<CombinacionEscritorio> desdeAtajoKde(std::string_view texto);

// Los atajos activos de un kglobalshortcutsrc: en cada valor, el primer campo, con sus
// alternativas separadas por tabuladores; "none" no es ninguno.
std::vector<CombinacionEscritorio> leerAtajosKde(std::string_view contenido);

// Los atajos que GNOME tiene puestos ahora, por GSettings; vacío si no hay sus esquemas.
std::vector<CombinacionEscritorio> atajosGnome();

// Los atajos globales de KDE del usuario ($XDG_CONFIG_HOME/kglobalshortcutsrc).
std::vector<CombinacionEscritorio> atajosKde();

// Las combinaciones que usan todas las aplicaciones; una captura global las rompería.
std::vector<CombinacionEscritorio> atajosDeAplicaciones();

// Los del escritorio nombrado en XDG_CURRENT_DESKTOP (lista separada por ':') más los de
// las aplicaciones. Se leen de nuevo en cada llamada.
std::vector<CombinacionEscritorio> atajosDelEscritorio(std::string_view escritorioActual);

} // namespace plataforma::x11
