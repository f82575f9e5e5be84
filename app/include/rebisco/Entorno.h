#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>

namespace rebisco {

// Cómo corre el proceso. Quien construye un Entorno a mano lo dice siempre.
enum class ModoEjecucion {
    normal, // el escritorio del usuario, con sus preferencias y su carpeta
    ensayo, // REBISCO_ENSAYO: otra carpeta; por lo demás, como el programa de verdad
    prueba, // REBISCO_DATOS: preferencias en memoria, sin origen, sin pegar, sin atajo
};

// Los interruptores del proceso: las variables REBISCO_ del entorno, leídas una vez.
struct Entorno {
    ModoEjecucion modo = ModoEjecucion::normal;
    // La carpeta propia: la de REBISCO_DATOS o, si falta, la de REBISCO_ENSAYO.
    std::optional<std::filesystem::path> carpetaDatos;
    std::optional<std::string> portapapeles;     // REBISCO_PORTAPAPELES
    std::optional<std::string> instantanea;      // REBISCO_INSTANTANEA
    bool sinActividad = false;                   // REBISCO_SIN_ACTIVIDAD == "1"
    std::optional<std::filesystem::path> ensayo; // REBISCO_ENSAYO, aunque mande REBISCO_DATOS
    std::optional<std::string> autoprueba;       // REBISCO_AUTOPRUEBA
    std::optional<std::string> informe;          // REBISCO_INFORME
    std::optional<std::string> captura;          // REBISCO_CAPTURA
    bool aparienciaOscura = false;               // REBISCO_APARIENCIA == "oscura"

    bool esPrueba() const { return modo == ModoEjecucion::prueba; }
    // Un ensayo, solo o dentro de una prueba: lo que se anuncia como tal.
    bool esEnsayo() const { return ensayo.has_value() || modo == ModoEjecucion::ensayo; }
    // Un modo que hace su trabajo y sale: la autoprueba o las fotos.
    bool esModoConFin() const { return autoprueba || instantanea || captura; }

    bool operator==(const Entorno&) const = default;

    static Entorno desde(const std::map<std::string, std::string>& variables);
    // La foto del entorno del proceso, tomada en el primer uso.
    static const Entorno& proceso();
};

} // namespace rebisco
