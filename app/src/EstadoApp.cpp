#include "rebisco/EstadoApp.h"

#include "rebisco/Textos.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QPointer>
#include <QThread>

#include <system_error>

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
    pegado.setSingleShot(true);
    connect(&pegado, &QTimer::timeout, this,
            [this] { Pegador::pulsarComandoV(dep.plataforma.teclado()); });
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
    abrirAlmacen();
    atajo.alPulsar = [estado = QPointer(this)] {
        if (estado) estado->alternarPanel();
    };
    registrarAtajo();

    vigilante = std::make_unique<Vigilante>(dep.portapapeles, [this] { alCambiarPortapapeles(); });
    vigilante->iniciar(dep.tiempos.vigilancia);

    if (!dep.entorno.sinActividad)
        actividad = dep.plataforma.escritorio().empezarActividad("Vigilar el portapapeles");

    limpieza.start(dep.tiempos.limpieza);
    limpiar();
    actualizarPermisos();
    recargar(true);
}

void EstadoApp::abrirAlmacen() {
    auto ruta = Preferencias::carpetaDatos(dep.entorno) / "historial.sqlite";
    auto noSePudo = [this](const QString& descripcion) {
        poner(errorAlmacen_,
              std::optional(localizable("No se pudo abrir el historial: ") + descripcion),
              &EstadoApp::cambioErrorAlmacen);
    };
    try {
        almacen = std::make_unique<nucleo::Almacen>(ruta);
        return;
    } catch (const nucleo::ErrorAlmacen& error) {
        if (!error.esCorrupcion()) {
            noSePudo(QString::fromStdString(error.description()));
            return;
        }
    } catch (const std::exception& error) {
        noSePudo(QString::fromStdString(error.what()));
        return;
    }

    // El archivo dañado y sus compañeros se apartan juntos: un -wal que quedara atrás se
    // aplicaría sobre el historial nuevo.
    auto ahora = QDateTime::fromMSecsSinceEpoch(
        std::chrono::duration_cast<std::chrono::milliseconds>(dep.reloj().time_since_epoch())
            .count());
    auto nombre = "historial-anterior-" +
                  ahora.toLocalTime().toString("yyyyMMdd-HHmmss").toStdString() + ".sqlite";
    auto aparte = ruta.parent_path() / nombre;
    for (const char* sufijo : {"", "-wal", "-shm"}) {
        std::error_code ignorado;
        std::filesystem::rename(ruta.string() + sufijo, aparte.string() + sufijo, ignorado);
    }
    try {
        almacen = std::make_unique<nucleo::Almacen>(ruta);
        poner(errorAlmacen_,
              std::optional(localizable("El historial estaba dañado y se empezó uno nuevo. El "
                                        "anterior quedó guardado como «") +
                            QString::fromStdString(nombre) + "»."),
              &EstadoApp::cambioErrorAlmacen);
    } catch (const nucleo::ErrorAlmacen& error) {
        noSePudo(QString::fromStdString(error.description()));
    } catch (const std::exception& error) {
        noSePudo(QString::fromStdString(error.what()));
    }
}

void EstadoApp::cerrar() {
    if (vigilante) vigilante->detener();
    limpieza.stop();
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
