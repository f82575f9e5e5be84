#pragma once

#include <QPalette>

namespace pruebas {

// Las paletas con las que se pintan las fotos: una clara y una oscura, como las de un
// escritorio, sin depender del tema de quien las saca.
QPalette clara();
QPalette oscura();

} // namespace pruebas
