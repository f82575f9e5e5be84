#include "Datos.h"
#include "Literal.h"

#include <exception>
#include <map>
#include <memory>
#include <type_traits>
#include <vector>

using namespace nucleo;

namespace {

// El almacén, o las sentencias de siempre sobre una base solo con el esquema: la misma
// medición con los mismos datos. Cada una se abre una sola vez por ejecución, como en el
// programa, que abre el historial al arrancar.
template <typename Base> Base& abierta(std::int64_t recortes) {
    // Las copias se preparan antes de que exista el mapa, así se borran después de cerrarlas.
    const auto& historial = medicion::historiales(recortes);
    static std::map<std::int64_t, std::unique_ptr<Base>> abiertas;
    auto& base = abiertas[recortes];
    if (!base) {
        if constexpr (std::is_same_v<Base, Almacen>) {
            base = std::make_unique<Almacen>(historial.almacen);
        } else {
            base = std::make_unique<Base>(historial.literal.string());
        }
    }
    return *base;
}

// Lo que hace el programa con cada copia: guardar, recortar el historial, redibujar la
// lista y el pie con el total. La política es la de fábrica con los límites subidos para
// que no borre nada.
template <typename Base> void capturar(benchmark::State& state, std::int64_t recortes) {
    try {
        auto& base = abierta<Base>(recortes);
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
            const Guardado guardado = base.guardar(nuevos[i++], ahora);
            const std::int64_t borrados = base.aplicarRetencion(politica, ahora);
            const auto lista = base.listar("", 300);
            const Estadisticas totales = base.estadisticas();
            state.PauseTiming();
            if (guardado.repetido || borrados != 0 || totales.recortes != recortes + 1 ||
                lista.empty() || lista.front().id != guardado.id) {
                state.SkipWithError("la captura no se comportó como una inserción");
                break;
            }
            // Se quita fuera del tiempo medido para que el historial no crezca entre iteraciones.
            base.borrar(guardado.id);
            state.ResumeTiming();
        }
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
    }
}

// Búsquedas como las teclearía alguien: de una a tres palabras guardadas, con sus
// mayúsculas y tildes o sin ellas.
std::vector<std::string> consultas(bool cortas, std::size_t cuantas) {
    std::vector<std::string> largas, breves;
    for (const auto& p : medicion::palabras()) {
        const auto plegada = Busqueda::normalizar(p);
        std::size_t caracteres = 0;
        for (const char c : plegada)
            caracteres += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
        if (caracteres >= 3) largas.push_back(p);
        if (caracteres <= 2) breves.push_back(p);
    }
    const auto& fuente = cortas ? breves : largas;
    std::mt19937_64 azar(cortas ? 7 : 11);
    std::uniform_int_distribution<std::size_t> cual(0, fuente.size() - 1);
    std::vector<std::string> lista;
    for (std::size_t i = 0; i < cuantas; ++i) {
        std::string q;
        for (std::size_t k = 0; k <= i % 3; ++k) {
            std::string palabra = fuente[cual(azar)];
            if (!cortas && azar() % 2 == 0) palabra = Busqueda::normalizar(palabra);
            q += (k > 0 ? " " : "") + palabra;
        }
        lista.push_back(q);
    }
    return lista;
}

constexpr std::size_t numeroDeConsultas = 45;

// Cada repetición mide una consulta distinta, así la mediana es la de las consultas.
template <typename Base>
void buscar(benchmark::State& state, std::int64_t recortes, bool cortas,
            const std::string& nombre) {
    static std::map<std::string, std::size_t> siguiente;
    const auto lista = consultas(cortas, numeroDeConsultas);
    const std::string& consulta = lista[siguiente[nombre]++ % lista.size()];
    try {
        auto& base = abierta<Base>(recortes);
        std::size_t encontrados = 0;
        for (auto _ : state) {
            auto resultado = base.listar(consulta, 300);
            encontrados = resultado.size();
            benchmark::DoNotOptimize(resultado);
        }
        state.counters["resultados"] = static_cast<double>(encontrados);
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
    }
}

[[maybe_unused]] const bool registrados = [] {
    for (const std::int64_t recortes : {10000, 100000}) {
        const auto tam = std::to_string(recortes / 1000) + "k";
        medicion::comun(
            benchmark::RegisterBenchmark(("captura_" + tam).c_str(), &capturar<Almacen>, recortes),
            benchmark::kMillisecond);
        medicion::comun(benchmark::RegisterBenchmark(("captura_literal_" + tam).c_str(),
                                                     &capturar<literal::Base>, recortes),
                        benchmark::kMillisecond);
    }
    const auto busqueda = [](const std::string& nombre, auto funcion, std::int64_t recortes,
                             bool cortas) {
        benchmark::RegisterBenchmark(nombre.c_str(), funcion, recortes, cortas, nombre)
            ->Repetitions(numeroDeConsultas)
            ->Iterations(3)
            ->ReportAggregatesOnly(true)
            ->UseRealTime()
            ->Unit(benchmark::kMillisecond);
    };
    for (const std::int64_t recortes : {10000, 100000}) {
        const auto tam = std::to_string(recortes / 1000) + "k";
        busqueda("busqueda_" + tam, &buscar<Almacen>, recortes, false);
        busqueda("busqueda_literal_" + tam, &buscar<literal::Base>, recortes, false);
    }
    busqueda("busqueda_corta_100k", &buscar<Almacen>, 100000, true);
    busqueda("busqueda_corta_literal_100k", &buscar<literal::Base>, 100000, true);
    return true;
}();

} // namespace
