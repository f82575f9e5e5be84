#include "Muestras.h"

#include <nucleo/Imagenes.h>

#include <cstddef>
#include <cstdint>
#include <span>

using namespace nucleo;

namespace {

constexpr std::int64_t ladoMiniatura = 320;

void probar(std::span<const std::uint8_t> datos) {
    const auto dimensiones = Imagenes::dimensiones(datos);
    if (const auto png = Imagenes::aPNG(datos)) {
        const auto convertida = Imagenes::dimensiones(*png);
        if (!dimensiones || !convertida || *convertida != *dimensiones) __builtin_trap();
    }
    if (const auto miniatura = Imagenes::miniatura(datos, ladoMiniatura)) {
        const auto lados = Imagenes::dimensiones(*miniatura);
        if (!lados || lados->ancho < 1 || lados->alto < 1 || lados->ancho > ladoMiniatura ||
            lados->alto > ladoMiniatura) {
            __builtin_trap();
        }
    }
}

} // namespace

// glib y vips reservan una sola vez tipos, módulos e hilos: se hace aquí, antes de la primera
// entrada, para que LeakSanitizer no lo atribuya a ninguna.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    probar(muestras::pngPequeno());
    probar(muestras::tiffDosPaginas());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t largo) {
    probar({datos, largo});
    return 0;
}
