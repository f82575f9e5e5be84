#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace medicion_panel {

// Mediana, percentil 95 y máximo de una serie de milisegundos, como clave=valor.
struct Resumen {
    double mediana = 0, p95 = 0, maximo = 0;
    std::size_t muestras = 0;
};
Resumen resumir(std::vector<double> serie);

// Imprime clave_mediana_ms, y con `todo` también clave_p95_ms, clave_max_ms y clave_n.
void imprimir(const std::string& clave, const std::vector<double>& serie, bool todo = true);
void imprimir(const std::string& clave, double valor);

} // namespace medicion_panel
