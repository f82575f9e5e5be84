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
    auto* p = &portapapeles;
    const auto deTurno = turno;
    QMetaObject::invokeMethod(trabajador, [yo, p, pedido = std::move(pedido), deTurno] {
        auto leido = Lector::leerEInterpretar(*p, pedido);
        QMetaObject::invokeMethod(
            yo,
            [yo, leido = std::move(leido), deTurno]() mutable {
                yo->alTerminar(std::move(leido), deTurno);
            },
            Qt::QueuedConnection);
    });
}

void LectorAparte::alTerminar(Lector::Leido leido, std::uint64_t deTurno) {
    enCurso = false;
    if (deTurno == turno) entrega(std::move(leido));
    // La entrega pudo cancelar o pedir otra lectura.
    if (!enCurso && pendiente) {
        auto siguiente = std::move(*pendiente);
        pendiente.reset();
        lanzar(std::move(siguiente));
    }
}

} // namespace rebisco
