#include "plataforma/X11.h"

#include "AtajosX11.h"
#include "EscritorioX11.h"
#include "PortapapelesX11.h"
#include "TecladoX11.h"

#include <QGuiApplication>

#include <cstdlib>

namespace plataforma::x11 {

namespace {

class PlataformaX11 : public Plataforma {
public:
    PlataformaX11(const char* pantalla, std::uint32_t baseQt, std::uint32_t mascaraQt,
                  xcb_connection_t* conexionQt, xcb_window_t raizQt)
        : portapapeles(pantalla, baseQt, mascaraQt)
        , escritorioX11(pantalla)
        , tecladoX11(pantalla)
        , atajosX11(conexionQt, raizQt) {}

    std::string nombre() const override { return "x11"; }
    Portapapeles& general() override { return portapapeles; }
    Escritorio& escritorio() override { return escritorioX11; }
    Teclado& teclado() override { return tecladoX11; }
    ServicioAtajos& atajos() override { return atajosX11; }

private:
    PortapapelesX11 portapapeles;
    EscritorioX11 escritorioX11;
    TecladoX11 tecladoX11;
    AtajosX11 atajosX11;
};

} // namespace

std::unique_ptr<Plataforma> crear() {
    auto* aplicacion = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (!aplicacion) return nullptr;
    auto* x11 = aplicacion->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection()) return nullptr;
    // Las conexiones propias van al mismo servidor que Qt, que también toma $DISPLAY.
    const xcb_setup_t* datosQt = xcb_get_setup(x11->connection());
    // Los atajos van en la raíz de la pantalla de Qt, la de $DISPLAY.
    int numeroPantalla = 0;
    char* servidor = nullptr;
    int numeroServidor = 0;
    if (xcb_parse_display(nullptr, &servidor, &numeroServidor, &numeroPantalla))
        std::free(servidor);
    auto pantallas = xcb_setup_roots_iterator(datosQt);
    for (int i = 0; i < numeroPantalla && pantallas.rem > 1; ++i)
        xcb_screen_next(&pantallas);
    if (!pantallas.data) return nullptr;
    return std::make_unique<PlataformaX11>(std::getenv("DISPLAY"), datosQt->resource_id_base,
                                           datosQt->resource_id_mask, x11->connection(),
                                           pantallas.data->root);
}

} // namespace plataforma::x11
