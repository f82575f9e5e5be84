#include "Estadistica.h"

#include <algorithm>
#include <cmath>

namespace medicion_panel {

Resumen resumir(std::vector<double> serie) {
    Resumen r;
    r.muestras = serie.size();
    if (serie.empty()) return r;
    std::sort(serie.begin(), serie.end());
    const std::size_t n = serie.size();
    r.mediana = n % 2 ? serie[n / 2] : (serie[n / 2 - 1] + serie[n / 2]) / 2;
    // Percentil por rango más cercano: el valor que deja por debajo el 95 % de las muestras.
    const auto rango = static_cast<std::size_t>(std::ceil(0.95 * static_cast<double>(n)));
    r.p95 = serie[std::clamp<std::size_t>(rango, 1, n) - 1];
    r.maximo = serie.back();
    return r;
}

void imprimir(const std::string& clave, const std::vector<double>& serie, bool todo) {
    const auto r = resumir(serie);
    std::printf("%s_mediana_ms=%.3f\n", clave.c_str(), r.mediana);
    if (todo) {
        std::printf("%s_p95_ms=%.3f\n", clave.c_str(), r.p95);
        std::printf("%s_max_ms=%.3f\n", clave.c_str(), r.maximo);
        std::printf("%s_n=%zu\n", clave.c_str(), r.muestras);
    }
    std::fflush(stdout);
}

void imprimir(const std::string& clave, double valor) {
    std::printf("%s=%.3f\n", clave.c_str(), valor);
    std::fflush(stdout);
}

} // namespace medicion_panel
