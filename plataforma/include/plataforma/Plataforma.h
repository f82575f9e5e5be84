#pragma once

#include "plataforma/Escritorio.h"
#include "plataforma/Portapapeles.h"
#include "plataforma/Teclado.h"

#include <string>

namespace plataforma {

// Todo lo que el programa pide al sistema, reunido en un objeto por backend.
class Plataforma {
public:
    virtual ~Plataforma() = default;

    virtual std::string nombre() const = 0;
    virtual Portapapeles& general() = 0;
    virtual Escritorio& escritorio() = 0;
    virtual Teclado& teclado() = 0;
    virtual ServicioAtajos& atajos() = 0;
};

} // namespace plataforma
