#include "rebisco/Plataformas.h"

#include <plataforma/Memoria.h>
#include <plataforma/X11.h>

#include <QGuiApplication>

#include <memory>

namespace rebisco {

plataforma::Plataforma& plataformaDelProceso() {
    static std::unique_ptr<plataforma::Plataforma> elegida =
        []() -> std::unique_ptr<plataforma::Plataforma> {
        if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) &&
            QGuiApplication::platformName() == QLatin1String("xcb"))
            return plataforma::x11::crear();
        return std::make_unique<plataforma::memoria::PlataformaMemoria>();
    }();
    return *elegida;
}

plataforma::Portapapeles& portapapelesDelProceso(plataforma::Plataforma& plataforma,
                                                 const Entorno& entorno) {
    if (entorno.portapapeles)
        return plataforma::memoria::portapapelesConNombre(*entorno.portapapeles);
    return plataforma.general();
}

} // namespace rebisco
