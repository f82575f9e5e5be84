#pragma once

#include <QPalette>

namespace rebisco::Apariencia {

// Paletas fijas, clara y oscura, como las de un escritorio: las de las fotos del programa,
// que no deben depender del tema de quien las saca.
QPalette clara();
QPalette oscura();

} // namespace rebisco::Apariencia
