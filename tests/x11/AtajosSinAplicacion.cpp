// La plataforma X11 destruida después de la aplicación Qt, con un atajo capturado: los
// atajos van sobre la conexión de Qt, que ya se cerró, y no deben tocarla. Bajo memcheck
// cualquier acceso a la conexión muerta es un error.
#include "plataforma/X11.h"

#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>
#include <memory>

int main(int argc, char** argv) {
    const char* aislado = std::getenv("REBISCO_X11_AISLADO");
    if (!aislado || !*aislado) {
        std::puts("sin pantalla aislada, se salta");
        return 77;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    auto aplicacion = std::make_unique<QGuiApplication>(argc, argv);
    auto plataforma = plataforma::x11::crear();
    if (!plataforma) return 1;
    auto& atajos = plataforma->atajos();
    const auto manejador = atajos.instalarManejador([] {});
    // V con Mayúsculas y Super.
    if (!atajos.registrar(9, plataforma::Modificador::mayusculas | plataforma::Modificador::comando,
                          manejador))
        return 1;
    aplicacion.reset();
    plataforma.reset();
    return 0;
}
