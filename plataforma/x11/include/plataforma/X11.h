#pragma once

#include "plataforma/Plataforma.h"

#include <memory>

namespace plataforma::x11 {

// El escritorio real a través de Qt (xcb) y de una conexión xcb propia.
// Necesita una QGuiApplication viva con la plataforma "xcb".
std::unique_ptr<Plataforma> crear();

} // namespace plataforma::x11
