#pragma once

#include "rebisco/Entorno.h"
#include "rebisco/Preferencias.h"

#include <QVariantMap>

#include <sys/types.h>

#include <array>
#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

// rebisco es olvane con su nombre nuevo: la primera vez se trae su historial y sus ajustes.
namespace rebisco::Mudanza {

// Los ajustes de olvane que se traen, en su orden; ninguno más (su huella tampoco).
inline constexpr std::array<const char*, 15> clavesQueSeMudan{
    Preferencias::limitarCantidad,     Preferencias::maximoRecortes,
    Preferencias::limitarDias,         Preferencias::maximoDias,
    Preferencias::megasMaximos,        Preferencias::limitarEspacio,
    Preferencias::megasTotales,        Preferencias::guardarImagenes,
    Preferencias::ignorarConfidencial, Preferencias::appsExcluidas,
    Preferencias::pegarAlElegir,       Preferencias::pausado,
    Preferencias::atajoCodigo,         Preferencias::atajoModificadores,
    Preferencias::yaSeAbrio,
};

struct Traido {
    bool historial = false; // se copió el historial
    int ajustes = 0;        // cuántos ajustes se copiaron

    bool operator==(const Traido&) const = default;
};

// Trae el historial si el nuestro no existe, y los ajustes si mudanzaDeOlvane aún es falso.
Traido traer(const std::filesystem::path& desde, const std::filesystem::path& a,
             const std::optional<QVariantMap>& ajustesAnteriores, AlmacenPreferencias& en);

// traer desde las carpetas XDG de olvane; nada en una prueba ni en un ensayo.
void traerDeOlvaneSiHaceFalta(const Entorno& entorno, AlmacenPreferencias& en);

// Los procesos de este usuario cuyo ejecutable se llama olvane, de menor a mayor.
std::vector<pid_t> olvaneEnMarcha();

// Si olvane corre (fuera de prueba o ensayo), pregunta y, con un sí, SIGTERM al primero.
void ofrecerCerrarOlvane(const Entorno& entorno, const std::function<bool()>& preguntar);

} // namespace rebisco::Mudanza
