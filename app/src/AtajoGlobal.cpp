#include "rebisco/AtajoGlobal.h"

#include <QMetaObject>

#include <cstdint>
#include <limits>

namespace rebisco {

AtajoGlobal::AtajoGlobal(plataforma::ServicioAtajos& servicio, QObject* padre)
    : QObject(padre)
    , servicio(servicio) {}

AtajoGlobal::~AtajoGlobal() {
    retirar();
    if (manejador) servicio.quitarManejador(*manejador);
}

bool AtajoGlobal::registrar(std::int64_t codigo, std::int64_t modificadores) {
    retirar();
    if (!manejador) {
        // La llamada en cola muere con este objeto: una pulsación que llega tarde no hace nada.
        manejador = servicio.instalarManejador([this] {
            QMetaObject::invokeMethod(
                this,
                [this] {
                    if (alPulsar) alPulsar();
                },
                Qt::QueuedConnection);
        });
    }
    // Valores fuera de rango solo llegan editando las preferencias a mano: se rechazan.
    if (codigo < 0 || codigo > 0xFFFF || modificadores < 0 ||
        modificadores > std::numeric_limits<std::uint32_t>::max())
        return false;
    atajo = servicio.registrar(static_cast<std::uint32_t>(codigo),
                               static_cast<std::uint32_t>(modificadores), *manejador);
    return atajo.has_value();
}

void AtajoGlobal::retirar() {
    if (!atajo) return;
    servicio.retirar(*atajo);
    atajo.reset();
}

} // namespace rebisco
