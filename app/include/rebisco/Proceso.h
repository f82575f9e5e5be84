#pragma once

#include "rebisco/Entorno.h"
#include "rebisco/EstadoApp.h"
#include "rebisco/Preferencias.h"

#include <plataforma/Plataforma.h>

#include <memory>

namespace rebisco {

// Los objetos de un proceso de rebisco: la plataforma, las preferencias y el estado. Se crea
// después de la aplicación Qt y se destruye antes que ella, porque la plataforma de X11 usa
// la conexión de Qt hasta su último destructor. Mientras vive, es EstadoApp::compartido().
class Proceso {
public:
    explicit Proceso(Entorno entorno);
    ~Proceso();
    Proceso(const Proceso&) = delete;
    Proceso& operator=(const Proceso&) = delete;

    const Entorno& entorno() const { return entorno_; }
    plataforma::Plataforma& plataforma() { return *plataforma_; }
    AlmacenPreferencias& preferencias() { return *preferencias_; }
    EstadoApp& estado() { return *estado_; }

    // La de X11 cuando Qt corre sobre xcb; la de memoria en cualquier otro caso (offscreen,
    // pruebas). Necesita la aplicación Qt ya creada.
    static std::unique_ptr<plataforma::Plataforma> crearPlataforma();
    // Un portapapeles con nombre siempre es de memoria, compartido dentro del proceso.
    static plataforma::Portapapeles& portapapelesPara(plataforma::Plataforma& plataforma,
                                                      const Entorno& entorno);

private:
    // El orden importa: se destruyen al revés, el estado antes que lo que usa.
    Entorno entorno_;
    std::unique_ptr<plataforma::Plataforma> plataforma_;
    std::unique_ptr<AlmacenPreferencias> preferencias_;
    std::unique_ptr<EstadoApp> estado_;
};

} // namespace rebisco
