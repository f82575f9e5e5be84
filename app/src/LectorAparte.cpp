#include "rebisco/LectorAparte.h"

namespace rebisco {

LectorAparte::LectorAparte(plataforma::Portapapeles& portapapeles, Entrega entrega, QObject* padre)
    : QObject(padre)
    , portapapeles(portapapeles)
    , entrega(std::move(entrega))
    , trabajador(new QObject) {
    hilo.setObjectName(QStringLiteral("rebisco-lector"));
    trabajador->moveToThread(&hilo);
    connect(&hilo, &QThread::finished, trabajador, &QObject::deleteLater);
    hilo.start();
}

LectorAparte::~LectorAparte() {
    cancelar();
    hilo.quit();
    hilo.wait();
}

void LectorAparte::pedir(Lector::Pedido pedido) {
    if (enCurso) {
        pendiente = std::move(pedido);
        return;
    }
    lanzar(std::move(pedido));
}

void LectorAparte::cancelar() {
    pendiente.reset();
    ++turno;
}

void LectorAparte::lanzar(Lector::Pedido pedido) {
    enCurso = true;
    // El destructor espera al hilo antes de que el objeto muera: mientras la lectura corre,
    // yo es válido. Lo que quede en cola al destruirlo, Qt lo descarta.
    auto* yo = this;
    const auto deTurno = turno;
    QMetaObject::invokeMethod(trabajador, [yo, pedido = std::move(pedido), deTurno] {
        auto leido = Lector::leerEInterpretar(yo->portapapeles, pedido);
        {
            std::lock_guard l(yo->cerrojo);
            yo->listo.emplace(std::move(leido), deTurno);
        }
        yo->terminado.notify_all();
        QMetaObject::invokeMethod(yo, &LectorAparte::recoger, Qt::QueuedConnection);
    });
}

void LectorAparte::esperar() {
    if (!enCurso) return;
    {
        std::unique_lock l(cerrojo);
        terminado.wait(l, [this] { return listo.has_value(); });
    }
    recoger();
}

void LectorAparte::recoger() {
    std::optional<std::pair<Lector::Leido, std::uint64_t>> hecho;
    {
        std::lock_guard l(cerrojo);
        hecho.swap(listo);
    }
    // Ya lo recogió esperar(): esta llamada en cola llega tarde y no hace nada.
    if (!hecho) return;
    enCurso = false;
    if (hecho->second == turno) entrega(std::move(hecho->first));
    // La entrega pudo cancelar o pedir otra lectura.
    if (!enCurso && pendiente) {
        auto siguiente = std::move(*pendiente);
        pendiente.reset();
        lanzar(std::move(siguiente));
    }
}

} // namespace rebisco
