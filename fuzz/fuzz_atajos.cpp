// Los atajos que guardan otros programas: el archivo de KDE y los aceleradores de GTK y Qt.
// El primer byte elige el lector; el resto es el texto.
#include "AtajosEscritorio.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

using namespace plataforma::x11;

namespace {

constexpr std::uint32_t cuatroModificadores = 0x1B00;

void comprobar(const CombinacionEscritorio& c) {
    if ((c.modificadores & ~cuatroModificadores) != 0 || c.simbolo == 0) __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t largo) {
    if (largo == 0) return 0;
    const std::string_view texto(reinterpret_cast<const char*>(datos + 1), largo - 1);
    switch (datos[0] % 3) {
    case 0:
        for (const auto& c : leerAtajosKde(texto))
            comprobar(c);
        break;
    case 1:
        if (auto c = desdeAceleradorGtk(texto)) comprobar(*c);
        break;
    default:
        if (auto c = desdeAtajoKde(texto)) comprobar(*c);
        break;
    }
    return 0;
}
