#include "Datos.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace {

// La salida de siempre, y además se guardan las medianas para el resumen final.
class ConResumen : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const auto& r : runs) {
            if (r.run_type != Run::RT_Aggregate || r.aggregate_name != "median" ||
                r.error_occurred) {
                continue;
            }
            const double ms =
                r.GetAdjustedRealTime() * 1e3 / benchmark::GetTimeUnitMultiplier(r.time_unit);
            medianas.emplace_back(r.run_name.function_name, ms);
        }
    }

    std::vector<std::pair<std::string, double>> medianas;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    ConResumen informe;
    benchmark::RunSpecifiedBenchmarks(&informe);
    // Una línea clave=valor por cifra, fácil de comparar entre ejecuciones con grep.
    std::fflush(stdout);
    for (const auto& [nombre, ms] : informe.medianas)
        std::printf("%s_ms=%.4f\n", nombre.c_str(), ms);
    for (const auto& [clave, valor] : medicion::anotaciones()) {
        std::printf("%s=%.2f\n", clave.c_str(), valor);
    }
    benchmark::Shutdown();
    return 0;
}
