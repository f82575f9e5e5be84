#pragma once

#include <xcb/xcb.h>

#include <memory>

namespace plataforma::x11 {

struct CerrarConexion {
    void operator()(xcb_connection_t* c) const { xcb_disconnect(c); }
};

// Una conexión xcb propia: se cierra una sola vez, al destruirse quien la tiene.
using ConexionPropia = std::unique_ptr<xcb_connection_t, CerrarConexion>;

// Abre una conexión con la pantalla dada (nullptr: $DISPLAY). Nunca nula: si falló,
// xcb_connection_has_error lo dice, y el fallo queda en el registro.
ConexionPropia conectar(const char* pantalla, const char* para, int* numeroPantalla = nullptr);

// La conexión existe y no tiene error.
inline bool sirve(const ConexionPropia& c) {
    return c && !xcb_connection_has_error(c.get());
}

} // namespace plataforma::x11
