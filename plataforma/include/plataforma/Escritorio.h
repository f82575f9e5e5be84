#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace plataforma {

struct AppEnFrente {
    std::optional<std::string> id;     // identificador de la aplicación
    std::optional<std::string> nombre; // nombre para mostrar
    std::int64_t pid = 0;              // 0 cuando no se sabe

    bool operator==(const AppEnFrente&) const = default;
};

// Mientras viva, el sistema no debe dormir el vigilante del portapapeles.
class Actividad {
public:
    virtual ~Actividad() = default;
};

// Lo que el programa pregunta al escritorio aparte del portapapeles.
class Escritorio {
public:
    virtual ~Escritorio() = default;

    virtual std::optional<AppEnFrente> appEnPrimerPlano() = 0;
    virtual std::int64_t pidPropio() = 0;

    // Si se pueden enviar pulsaciones sintéticas a otras aplicaciones.
    virtual bool confiable() = 0;

    virtual std::unique_ptr<Actividad> empezarActividad(std::string_view motivo) = 0;
};

} // namespace plataforma
