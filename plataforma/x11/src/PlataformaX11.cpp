#include "plataforma/X11.h"

#include "EscritorioX11.h"
#include "PortapapelesX11.h"

#include <QGuiApplication>

#include <cstdlib>

namespace plataforma::x11 {

namespace {

class PlataformaX11 : public Plataforma {
public:
    PlataformaX11(const char* pantalla, std::uint32_t baseQt, std::uint32_t mascaraQt)
        : portapapeles(pantalla, baseQt, mascaraQt), escritorioX11(pantalla) {}

    std::string nombre() const override { return "x11"; }
    Portapapeles& general() override { return portapapeles; }
    Escritorio& escritorio() override { return escritorioX11; }

private:
    PortapapelesX11 portapapeles;
    EscritorioX11 escritorioX11;
};

} // namespace

std::unique_ptr<Plataforma> crear() {
    auto* aplicacion = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (!aplicacion) return nullptr;
    auto* x11 = aplicacion->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection()) return nullptr;
    // Las conexiones propias van al mismo servidor que Qt, que también toma $DISPLAY.
    const xcb_setup_t* datosQt = xcb_get_setup(x11->connection());
    return std::make_unique<PlataformaX11>(std::getenv("DISPLAY"), datosQt->resource_id_base,
                                           datosQt->resource_id_mask);
}

} // namespace plataforma::x11
