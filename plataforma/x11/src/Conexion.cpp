#include "Conexion.h"

#include "Registro.h"

namespace plataforma::x11 {

ConexionPropia conectar(const char* pantalla, const char* para, int* numeroPantalla) {
    ConexionPropia c(xcb_connect(pantalla, numeroPantalla));
    if (const int error = xcb_connection_has_error(c.get()))
        qCWarning(registroX11, "no se pudo abrir la conexión X para %s (error xcb %d)", para,
                  error);
    return c;
}

} // namespace plataforma::x11
