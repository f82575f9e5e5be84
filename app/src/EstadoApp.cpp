#include "rebisco/EstadoApp.h"

#include "rebisco/Textos.h"

#include <QCoreApplication>
#include <QPointer>
#include <QThread>

namespace rebisco {

AccesoPortapapeles accesoDesde(int comportamiento) {
    switch (comportamiento) {
    case 1:
        return AccesoPortapapeles::preguntar;
    case 2:
        return AccesoPortapapeles::permitido;
    case 3:
        return AccesoPortapapeles::denegado;
    default:
        return AccesoPortapapeles::sinDecidir;
    }
}

EstadoApp::EstadoApp(Dependencias dependencias, QObject* padre)
    : QObject(padre)
    , dep(std::move(dependencias))
    , atajo(dep.plataforma.atajos()) {
    limpieza.setTimerType(Qt::CoarseTimer);
    connect(&limpieza, &QTimer::timeout, this, [this] {
        Q_ASSERT(QThread::currentThread() == thread());
        limpiar();
    });
    borradoDelAviso.setSingleShot(true);
    connect(&borradoDelAviso, &QTimer::timeout, this,
            [this] { poner(aviso_, {}, &EstadoApp::cambioAviso); });
    reintentoAlmacen.setSingleShot(true);
    connect(&reintentoAlmacen, &QTimer::timeout, this, [this] {
        abrirAlmacen(true);
        if (!almacen) return;
        limpiar();
        recargar(true);
    });
    pegado.setSingleShot(true);
    connect(&pegado, &QTimer::timeout, this,
            [this] { Pegador::pulsarComandoV(dep.plataforma.teclado()); });
    // La pausa se puede cambiar desde cualquier sitio que escriba la preferencia.
    connect(&dep.preferencias, &AlmacenPreferencias::cambio, this, [this](const QString& clave) {
        if (clave == QLatin1String(Preferencias::pausado))
            poner(pausado_, dep.preferencias.boolean(Preferencias::pausado),
                  &EstadoApp::cambioPausado);
    });
}

EstadoApp::~EstadoApp() = default;

void EstadoApp::ponerSeleccion(std::optional<std::int64_t> id) {
    poner(seleccion_, id, &EstadoApp::cambioSeleccion);
}

void EstadoApp::ponerPestanaAjustes(PestanaAjustes pestana) {
    poner(pestanaAjustes_, pestana, &EstadoApp::cambioPestanaAjustes);
}

void EstadoApp::iniciar() {
    poner(pausado_, dep.preferencias.boolean(Preferencias::pausado), &EstadoApp::cambioPausado);
    abrirAlmacen(false);
    atajo.alPulsar = [estado = QPointer(this)] {
        if (estado) estado->alternarPanel();
    };
    registrarAtajo();

    lector = std::make_unique<LectorAparte>(
        dep.portapapeles, [this](Lector::Leido leido) { alLeer(std::move(leido)); });
    vigilante = std::make_unique<Vigilante>(dep.portapapeles, [this] {
        if (auto pedido = pedidoDeLectura()) lector->pedir(std::move(*pedido));
    });
    vigilante->iniciar(dep.tiempos.vigilancia);
    dep.portapapeles.ponerRelevo({
        .aceptarEntrega =
            [estado = QPointer(this)](plataforma::Contenido c) {
                return estado && estado->aceptarEntrega(c);
            },
        .alIrseElDueno =
            [estado = QPointer(this)](plataforma::Contenido c) {
                if (estado) estado->alIrseElDueno(c);
            },
    });

    if (!dep.entorno.sinActividad)
        actividad = dep.plataforma.escritorio().empezarActividad("Vigilar el portapapeles");

    limpieza.start(dep.tiempos.limpieza);
    limpiar();
    actualizarPermisos();
    recargar(true);
}

void EstadoApp::cerrar() {
    dep.portapapeles.ponerRelevo({});
    if (vigilante) vigilante->detener();
    // Espera a la lectura en curso, que tiene su plazo, y no guarda lo que traiga.
    lector.reset();
    limpieza.stop();
    reintentoAlmacen.stop();
    atajo.retirar();
    actividad.reset();
    almacen.reset();
}

void EstadoApp::actualizarAcceso() {
    poner(acceso_, accesoDesde(dep.portapapeles.comportamientoAcceso()), &EstadoApp::cambioAcceso);
}

void EstadoApp::actualizarPermisos() {
    actualizarAcceso();
    poner(puedePegar_, Pegador::puedePegar(dep.entorno, dep.plataforma.escritorio()),
          &EstadoApp::cambioPuedePegar);
}

} // namespace rebisco
