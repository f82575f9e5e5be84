#include "rebisco/Proceso.h"

#include <plataforma/Memoria.h>
#include <plataforma/X11.h>

#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>

namespace rebisco {

namespace {

// No posee nada: apunta al Proceso vivo, si lo hay.
Proceso* vivo = nullptr;

} // namespace

std::unique_ptr<plataforma::Plataforma> Proceso::crearPlataforma() {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) &&
        QGuiApplication::platformName() == QLatin1String("xcb")) {
        if (auto x11 = plataforma::x11::crear()) return x11;
    }
    return std::make_unique<plataforma::memoria::PlataformaMemoria>();
}

plataforma::Portapapeles& Proceso::portapapelesPara(plataforma::Plataforma& plataforma,
                                                    const Entorno& entorno) {
    if (entorno.portapapeles)
        return plataforma::memoria::portapapelesConNombre(*entorno.portapapeles);
    return plataforma.general();
}

Proceso::Proceso(Entorno entorno)
    : entorno_(std::move(entorno))
    , plataforma_(crearPlataforma())
    , preferencias_(Preferencias::crear(entorno_)) {
    estado_ = std::make_unique<EstadoApp>(EstadoApp::Dependencias{
        .plataforma = *plataforma_,
        .portapapeles = portapapelesPara(*plataforma_, entorno_),
        .preferencias = *preferencias_,
        .entorno = entorno_,
    });
    vivo = this;
}

Proceso::~Proceso() {
    vivo = nullptr;
    estado_->cerrar();
    estado_.reset();
    plataforma_.reset();
}

EstadoApp& EstadoApp::compartido() {
    if (!vivo) {
        std::fputs("rebisco: EstadoApp::compartido() sin un Proceso vivo\n", stderr);
        std::abort();
    }
    return vivo->estado();
}

} // namespace rebisco
