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
    std::optional<std::string> portapapeles; // REBISCO_PORTAPAPELES
    std::optional<std::string> instantanea;  // REBISCO_INSTANTANEA
    bool sinActividad = false;               // REBISCO_SIN_ACTIVIDAD == "1"

    bool esPrueba() const { return modo == ModoEjecucion::prueba; }

    bool operator==(const Entorno&) const = default;

    static Entorno desde(const std::map<std::string, std::string>& variables);
    // La foto del entorno del proceso, tomada en el primer uso.
    static const Entorno& proceso();
};

} // namespace rebisco
