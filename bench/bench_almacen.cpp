#include "Datos.h"

#include <exception>
#include <vector>

using namespace nucleo;

namespace {

// Lo que hace el programa con cada copia: guardar, recortar el historial, redibujar la
// lista y el pie con el total.
void capturar(benchmark::State& state, std::int64_t recortes) {
    try {
        Almacen almacen(medicion::historial(recortes));
        const PoliticaRetencion politica{.maximoRecortes = 200000,
                                         .maximoDias = std::nullopt,
                                         .maximoBytes = std::int64_t{500} << 20};
        // Textos nuevos en cada llamada: cada iteración es una inserción, nunca un repetido.
        static std::uint64_t semilla = 1000;
        std::mt19937_64 azar(semilla++);
        std::vector<RecorteNuevo> nuevos;
        nuevos.reserve(static_cast<std::size_t>(state.max_iterations));
        for (benchmark::IterationCount i = 0; i < state.max_iterations; ++i) {
            nuevos.push_back(medicion::recorteDeTexto(medicion::textoRealista(azar, 1024)));
        }
        std::size_t i = 0;
        for (auto _ : state) {
            const Instante ahora = medicion::instanteDeMedicion();
            const Guardado guardado = almacen.guardar(nuevos[i++], ahora);
            const std::int64_t borrados = almacen.aplicarRetencion(politica, ahora);
            const auto lista = almacen.listar("", 300);
            const Estadisticas totales = almacen.estadisticas();
            state.PauseTiming();
            if (guardado.repetido || borrados != 0 || totales.recortes != recortes + 1 ||
                lista.empty() || lista.front().id != guardado.id) {
                state.SkipWithError("la captura no se comportó como una inserción");
                break;
            }
            // Se quita fuera del tiempo medido para que el historial no crezca entre iteraciones.
            almacen.borrar(guardado.id);
            state.ResumeTiming();
        }
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
    }
}

// Dos palabras del vocabulario, escritas sin tilde y con mayúscula como las teclearía alguien.
constexpr std::string_view consulta = "Reunion presupuesto";

void buscar(benchmark::State& state, std::int64_t recortes) {
    try {
        Almacen almacen(medicion::historial(recortes));
        const auto encontrados = almacen.listar(consulta, 300).size();
        if (encontrados == 0) {
            state.SkipWithError("la búsqueda no encontró nada");
            return;
        }
        state.counters["resultados"] = static_cast<double>(encontrados);
        for (auto _ : state) {
            auto lista = almacen.listar(consulta, 300);
            benchmark::DoNotOptimize(lista);
        }
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
    }
}

[[maybe_unused]] const bool registrados = [] {
    for (const auto& [nombre, recortes] : {std::pair{"captura_1k", 1000},
                                           std::pair{"captura_10k", 10000},
                                           std::pair{"captura_100k", 100000}}) {
        medicion::comun(benchmark::RegisterBenchmark(nombre, capturar, recortes),
                        benchmark::kMillisecond);
    }
    for (const auto& [nombre, recortes] :
         {std::pair{"busqueda_10k", 10000}, std::pair{"busqueda_100k", 100000}}) {
        medicion::comun(benchmark::RegisterBenchmark(nombre, buscar, recortes),
                        benchmark::kMillisecond);
    }
    return true;
}();

} // namespace
