#pragma once

#include "plataforma/Plataforma.h"

#include <memory>

namespace plataforma::x11 {

// El escritorio real a través de Qt (xcb) y de conexiones xcb propias.
// Necesita una QGuiApplication viva con la plataforma "xcb"; si no la hay, devuelve nulo.
// El portapapeles se usa desde el hilo principal, como QClipboard.
std::unique_ptr<Plataforma> crear();

} // namespace plataforma::x11
