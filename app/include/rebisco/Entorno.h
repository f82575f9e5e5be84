#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>

namespace rebisco {

// Los interruptores del proceso: las variables REBISCO_ del entorno, leídas una vez.
struct Entorno {
    std::optional<std::filesystem::path> carpetaDatos; // REBISCO_DATOS
    std::optional<std::filesystem::path> ensayo;       // REBISCO_ENSAYO
    std::optional<std::string> portapapeles;           // REBISCO_PORTAPAPELES
    std::optional<std::string> autoprueba;             // REBISCO_AUTOPRUEBA
    std::optional<std::string> informe;                // REBISCO_INFORME
    std::optional<std::string> instantanea;            // REBISCO_INSTANTANEA
    std::optional<std::string> captura;                // REBISCO_CAPTURA
    bool aparienciaOscura = false;                     // REBISCO_APARIENCIA == "oscura"
    bool sinActividad = false;                         // REBISCO_SIN_ACTIVIDAD == "1"

    // Una ejecución de prueba es la que tiene su propia carpeta de datos.
    bool esPrueba() const { return carpetaDatos.has_value(); }

    bool operator==(const Entorno&) const = default;

    static Entorno desde(const std::map<std::string, std::string>& variables);
    // La foto del entorno del proceso, tomada en el primer uso.
    static const Entorno& proceso();
};

} // namespace rebisco
