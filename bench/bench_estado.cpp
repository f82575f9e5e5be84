// Lo mismo que mide el núcleo, pero a través de EstadoApp y del portapapeles en memoria:
// lo que cuesta de verdad cada copia, cada elección y cada tecla en la búsqueda.
#include "Datos.h"

#include <rebisco/EstadoApp.h>

#include <plataforma/Memoria.h>

#include <QCoreApplication>

#include <exception>
#include <memory>

namespace {

QCoreApplication& aplicacion() {
    static int argc = 1;
    static char nombre[] = "bench_estado";
    static char* argv[] = {nombre, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

// Un estado iniciado sobre una copia del historial de `recortes` recortes, con una
// política que no borra nada.
struct Escena {
    std::filesystem::path carpeta;
    plataforma::memoria::PlataformaMemoria plataforma;
    rebisco::PreferenciasEnMemoria preferencias;
    std::unique_ptr<rebisco::EstadoApp> estado;

    explicit Escena(std::int64_t recortes) {
        aplicacion();
        carpeta = std::filesystem::temp_directory_path() /
                  ("rebisco-bench-estado-" + std::to_string(recortes));
        std::filesystem::remove_all(carpeta);
        std::filesystem::create_directories(carpeta);
        nucleo::Almacen::copiarBase(medicion::historial(recortes), carpeta / "historial.sqlite");
        preferencias.registrar(rebisco::Preferencias::registrados());
        preferencias.set(rebisco::Preferencias::maximoRecortes, 200000);
        estado = std::make_unique<rebisco::EstadoApp>(rebisco::EstadoApp::Dependencias{
            .plataforma = plataforma,
            .portapapeles = plataforma.general(),
            .preferencias = preferencias,
            .entorno =
                rebisco::Entorno{.modo = rebisco::ModoEjecucion::prueba, .carpetaDatos = carpeta},
            .tiempos = {.vigilancia = std::chrono::hours(1)},
        });
        estado->iniciar();
    }
    ~Escena() {
        estado->cerrar();
        estado.reset();
        std::filesystem::remove_all(carpeta);
    }
};

void capturar(benchmark::State& state, std::int64_t recortes) {
    try {
        Escena escena(recortes);
        std::mt19937_64 azar(77);
        for (auto _ : state) {
            state.PauseTiming();
            auto texto = medicion::textoRealista(azar, 1024);
            escena.plataforma.general().escribirTexto(texto);
            state.ResumeTiming();
            escena.estado->alCambiarPortapapeles();
            state.PauseTiming();
            if (escena.estado->total() != recortes + 1) {
                state.SkipWithError("la copia no se guardó");
                break;
            }
            escena.estado->eliminar(escena.estado->recortes().front());
            state.ResumeTiming();
        }
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
    }
}

// Elegir un recorte del medio de la lista: escribirlo, marcarlo usado y recargar.
void elegir(benchmark::State& state, std::int64_t recortes) {
    try {
        Escena escena(recortes);
        for (auto _ : state) {
            auto recorte = escena.estado->recortes()[150];
            escena.estado->pegar(recorte, false);
        }
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
    }
}

// Una tecla en el campo de búsqueda: la búsqueda cambia y la lista se recarga.
void teclear(benchmark::State& state, std::int64_t recortes) {
    try {
        Escena escena(recortes);
        const QString consultas[] = {"Reunion presupuesto", "Reunion presupuest"};
        std::size_t i = 0;
        for (auto _ : state)
            escena.estado->buscar(consultas[i++ % 2], true);
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
    }
}

[[maybe_unused]] const bool registrados = [] {
    for (auto [sufijo, recortes] : {std::pair{"10k", 10000}, std::pair{"100k", 100000}}) {
        auto nombre = [&](const char* base) { return std::string(base) + "_" + sufijo; };
        medicion::comun(
            benchmark::RegisterBenchmark(nombre("estado_captura").c_str(), capturar, recortes),
            benchmark::kMillisecond);
        medicion::comun(
            benchmark::RegisterBenchmark(nombre("estado_eleccion").c_str(), elegir, recortes),
            benchmark::kMillisecond);
        medicion::comun(
            benchmark::RegisterBenchmark(nombre("estado_tecla").c_str(), teclear, recortes),
            benchmark::kMillisecond);
    }
    return true;
}();

} // namespace
