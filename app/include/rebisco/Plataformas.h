#pragma once

#include "rebisco/Entorno.h"

#include <plataforma/Plataforma.h>

namespace rebisco {

// La del escritorio cuando Qt corre sobre xcb; la de memoria en cualquier otro caso
// (offscreen, pruebas). Se elige una vez; necesita la aplicación Qt ya creada.
plataforma::Plataforma& plataformaDelProceso();

// Un portapapeles con nombre siempre es de memoria, compartido dentro del proceso.
plataforma::Portapapeles& portapapelesDelProceso(plataforma::Plataforma& plataforma,
                                                 const Entorno& entorno);

} // namespace rebisco
