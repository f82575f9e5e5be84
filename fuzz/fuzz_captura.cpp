#include "Muestras.h"

#include <nucleo/Nucleo.h>

#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <variant>

using namespace nucleo;

namespace {

Bytes plantillaPNG;
Bytes plantillaTIFF;

constexpr std::array<std::string_view, 6> tiposConocidos{
    TipoDato::texto, TipoDato::rtf, TipoDato::html, TipoDato::png, TipoDato::tiff, TipoDato::rutas};
constexpr std::array<std::string_view, 5> tiposConDatos{
    TipoDato::texto, TipoDato::rtf, TipoDato::html, TipoDato::png, TipoDato::tiff};

Bytes aBytes(std::string_view s) {
    return Bytes(s.begin(), s.end());
}

std::string tipoAlAzar(FuzzedDataProvider& fdp) {
    switch (fdp.ConsumeIntegralInRange(0, 3)) {
    case 0:
        return std::string(fdp.PickValueInArray(tiposConocidos));
    case 1:
        return std::string(fdp.PickValueInArray(Captura::marcasConfidenciales));
    case 2:
        return std::string(Captura::marcaRemota);
    default:
        return fdp.ConsumeRandomLengthString(64);
    }
}

// Bytes arbitrarios o, si hay plantilla, una imagen válida cortada con otra cola, retocada
// en unos pocos bytes o entera: así se llega a los decodificadores sin adivinar cabeceras.
Bytes datosAlAzar(FuzzedDataProvider& fdp, const Bytes* plantilla) {
    const int modo = plantilla ? fdp.ConsumeIntegralInRange(0, 3) : 0;
    if (modo == 0) return aBytes(fdp.ConsumeRandomLengthString());
    Bytes datos = *plantilla;
    if (modo == 1) {
        datos.resize(fdp.ConsumeIntegralInRange<std::size_t>(0, datos.size()));
        const auto cola = fdp.ConsumeRandomLengthString(4096);
        datos.insert(datos.end(), cola.begin(), cola.end());
    } else if (modo == 2) {
        const int cambios = fdp.ConsumeIntegralInRange(1, 8);
        for (int i = 0; i < cambios; ++i) {
            datos[fdp.ConsumeIntegralInRange<std::size_t>(0, datos.size() - 1)] =
                fdp.ConsumeIntegral<std::uint8_t>();
        }
    }
    return datos;
}

std::int64_t limiteAlAzar(FuzzedDataProvider& fdp) {
    switch (fdp.ConsumeIntegralInRange(0, 2)) {
    case 0:
        return std::numeric_limits<std::int64_t>::max();
    case 1:
        return fdp.ConsumeIntegralInRange<std::int64_t>(0, std::int64_t{1} << 20);
    default:
        return fdp.ConsumeIntegral<std::int64_t>();
    }
}

LecturaPortapapeles lecturaAlAzar(FuzzedDataProvider& fdp) {
    LecturaPortapapeles lectura;
    const int tipos = fdp.ConsumeIntegralInRange(0, 6);
    for (int i = 0; i < tipos; ++i)
        lectura.tipos.insert(tipoAlAzar(fdp));
    for (const auto tipo : tiposConDatos) {
        if (!fdp.ConsumeBool()) continue;
        const Bytes* plantilla = tipo == TipoDato::png    ? &plantillaPNG
                                 : tipo == TipoDato::tiff ? &plantillaTIFF
                                                          : nullptr;
        lectura.datos[std::string(tipo)] = datosAlAzar(fdp, plantilla);
    }
    if (fdp.ConsumeBool()) {
        lectura.datos[fdp.ConsumeRandomLengthString(64)] =
            aBytes(fdp.ConsumeRandomLengthString(256));
    }
    // Lo normal es que se anuncien los tipos que traen datos, pero no se da por hecho.
    if (fdp.ConsumeBool()) {
        for (const auto& [tipo, datos] : lectura.datos)
            lectura.tipos.insert(tipo);
    }
    const int rutas = fdp.ConsumeIntegralInRange(0, 3);
    for (int i = 0; i < rutas; ++i)
        lectura.rutas.push_back(fdp.ConsumeRandomLengthString(512));
    if (fdp.ConsumeBool()) lectura.appId = fdp.ConsumeRandomLengthString(64);
    if (fdp.ConsumeBool()) lectura.appNombre = fdp.ConsumeRandomLengthString(64);
    return lectura;
}

OpcionesCaptura opcionesAlAzar(FuzzedDataProvider& fdp, const LecturaPortapapeles& lectura) {
    OpcionesCaptura opciones{.ignorarConfidencial = fdp.ConsumeBool(),
                             .appsExcluidas = {},
                             .guardarImagenes = fdp.ConsumeBool(),
                             .bytesMaximos = limiteAlAzar(fdp)};
    if (lectura.appId && fdp.ConsumeBool()) opciones.appsExcluidas.insert(*lectura.appId);
    if (fdp.ConsumeBool()) opciones.appsExcluidas.insert(fdp.ConsumeRandomLengthString(64));
    return opciones;
}

bool esHuella(std::string_view h) {
    if (h.size() != 64) return false;
    for (const char c : h) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    }
    return true;
}

// Ni empieza por salto de línea ni tiene dos seguidos. Un '\n' final sí puede aparecer cuando
// el corte de la vista cae justo detrás de un salto.
bool sinLineasVacias(std::string_view vista) {
    return (vista.empty() || vista.front() != '\n') && vista.find("\n\n") == std::string_view::npos;
}

// El patrón es el término entre '%' con '\', '%' y '_' escapados: deshacerlo lo devuelve.
bool patronCorrecto(std::string_view termino) {
    const std::string p = Busqueda::patron(termino);
    if (p.size() < 2 || p.front() != '%' || p.back() != '%') return false;
    std::string original;
    for (std::size_t i = 1; i + 1 < p.size(); ++i) {
        const char c = p[i];
        if (c == '%' || c == '_') return false;
        if (c == '\\') {
            if (i + 2 >= p.size()) return false;
            const char escapado = p[++i];
            if (escapado != '\\' && escapado != '%' && escapado != '_') return false;
            original += escapado;
        } else {
            original += c;
        }
    }
    return original == termino;
}

void comprobarRecorte(const RecorteNuevo& recorte, const LecturaPortapapeles& lectura,
                      const OpcionesCaptura& opciones) {
    if (recorte.bytes() > opciones.bytesMaximos) __builtin_trap();
    if (!esHuella(recorte.huella)) __builtin_trap();
    if (recorte.representaciones.empty()) __builtin_trap();
    if (recorte.appId != lectura.appId || recorte.appNombre != lectura.appNombre) __builtin_trap();
    if (!opciones.guardarImagenes && (recorte.clase == ClaseRecorte::imagen || recorte.miniatura)) {
        __builtin_trap();
    }
    if (recorte.miniatura) {
        const auto lados = Imagenes::dimensiones(*recorte.miniatura);
        if (!lados || lados->ancho > 320 || lados->alto > 320) __builtin_trap();
    }
    if ((recorte.clase == ClaseRecorte::texto || recorte.clase == ClaseRecorte::enlace) &&
        !sinLineasVacias(recorte.vista)) {
        __builtin_trap();
    }
}

void comprobarTexto(std::string_view texto) {
    static_cast<void>(Captura::esEnlace(texto));
    if (!sinLineasVacias(Captura::vistaDeTexto(texto))) __builtin_trap();
    static_cast<void>(Busqueda::normalizar(texto));
    for (const auto& termino : Busqueda::terminos(texto)) {
        if (termino.empty() || termino.find_first_of(" \t\n\v\f\r") != std::string::npos) {
            __builtin_trap();
        }
        if (!patronCorrecto(termino)) __builtin_trap();
    }
    if (!esHuella(Captura::huella(texto.substr(0, 1), aBytes(texto)))) __builtin_trap();
}

void probar(FuzzedDataProvider& fdp) {
    const LecturaPortapapeles lectura = lecturaAlAzar(fdp);
    const OpcionesCaptura opciones = opcionesAlAzar(fdp, lectura);
    const auto motivo = Captura::motivoParaNoLeer(lectura.tipos, lectura.appId, opciones);
    const auto resultado = Captura::interpretar(lectura, opciones);
    if (const auto* recorte = std::get_if<RecorteNuevo>(&resultado)) {
        // Lo confidencial, lo remoto y lo excluido nunca se guardan.
        if (motivo) __builtin_trap();
        comprobarRecorte(*recorte, lectura, opciones);
    }
    if (const auto it = lectura.datos.find(std::string(TipoDato::texto));
        it != lectura.datos.end()) {
        comprobarTexto({reinterpret_cast<const char*>(it->second.data()), it->second.size()});
    }
    comprobarTexto(fdp.ConsumeRemainingBytesAsString());
}

} // namespace

// glib, vips e ICU reservan una sola vez tipos, módulos, datos e hilos: se hace aquí, antes de
// la primera entrada, para que LeakSanitizer no lo atribuya a ninguna.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    plantillaPNG = muestras::pngPequeno();
    plantillaTIFF = muestras::tiffDosPaginas();
    const OpcionesCaptura opciones{.ignorarConfidencial = true,
                                   .appsExcluidas = {},
                                   .guardarImagenes = true,
                                   .bytesMaximos = std::numeric_limits<std::int64_t>::max()};
    for (const auto& [tipo, datos] :
         {std::pair{TipoDato::png, plantillaPNG}, std::pair{TipoDato::tiff, plantillaTIFF},
          std::pair{TipoDato::texto, aBytes(muestras::textoVariado())}}) {
        LecturaPortapapeles lectura;
        lectura.tipos.insert(std::string(tipo));
        lectura.datos[std::string(tipo)] = datos;
        static_cast<void>(Captura::interpretar(lectura, opciones));
    }
    comprobarTexto(muestras::textoVariado());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t largo) {
    FuzzedDataProvider fdp(datos, largo);
    probar(fdp);
    return 0;
}
