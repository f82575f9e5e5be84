#include "Datos.h"

#include <variant>

using namespace nucleo;

namespace {

void medirInterpretar(benchmark::State& state, const LecturaPortapapeles& lectura,
                      ClaseRecorte esperada) {
    const auto opciones = medicion::opcionesCaptura();
    for (auto _ : state) {
        auto resultado = Captura::interpretar(lectura, opciones);
        benchmark::DoNotOptimize(resultado);
        const auto* recorte = std::get_if<RecorteNuevo>(&resultado);
        // Una imagen sin miniatura no sería la misma medición.
        if (!recorte || recorte->clase != esperada ||
            (esperada == ClaseRecorte::imagen && !recorte->miniatura)) {
            state.SkipWithError("interpretar no dio el recorte esperado");
            break;
        }
    }
}

void interpretarTexto(benchmark::State& state) {
    std::mt19937_64 azar(1);
    const auto lectura = medicion::lecturaDeTexto(medicion::textoRealista(azar, 1024));
    medirInterpretar(state, lectura, ClaseRecorte::texto);
}

const ImagenRGBA& pantalla() {
    static const ImagenRGBA imagen = medicion::capturaDePantalla(1920, 1080);
    return imagen;
}

void interpretarPNG(benchmark::State& state) {
    const auto png = Imagenes::codificarPNG(pantalla());
    if (!png) {
        state.SkipWithError("no se pudo codificar el PNG");
        return;
    }
    LecturaPortapapeles lectura;
    lectura.tipos = {std::string(TipoDato::png)};
    lectura.datos[std::string(TipoDato::png)] = *png;
    state.counters["kB"] = static_cast<double>(png->size()) / 1024.0;
    medirInterpretar(state, lectura, ClaseRecorte::imagen);
}

void interpretarTIFF(benchmark::State& state) {
    LecturaPortapapeles lectura;
    lectura.tipos = {std::string(TipoDato::tiff)};
    lectura.datos[std::string(TipoDato::tiff)] = medicion::tiffDe(pantalla());
    state.counters["kB"] =
        static_cast<double>(lectura.datos[std::string(TipoDato::tiff)].size()) / 1024.0;
    medirInterpretar(state, lectura, ClaseRecorte::imagen);
}

[[maybe_unused]] const bool registrados = [] {
    medicion::comun(benchmark::RegisterBenchmark("interpretar_texto_1k", interpretarTexto),
                    benchmark::kMicrosecond);
    medicion::comun(benchmark::RegisterBenchmark("interpretar_png_1080p", interpretarPNG),
                    benchmark::kMillisecond);
    medicion::comun(benchmark::RegisterBenchmark("interpretar_tiff_1080p", interpretarTIFF),
                    benchmark::kMillisecond);
    return true;
}();

} // namespace
