#pragma once

#include "rebisco/Portapapeles.h"

#include <QObject>
#include <QThread>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>

namespace rebisco {

// Lee e interpreta los cambios del portapapeles en un hilo propio, de uno en uno y en el
// orden en que llegan, y entrega cada resultado en el hilo principal. Un cambio que llega
// mientras se lee otro espera; si llegan varios, solo se lee el último: los anteriores ya no
// están en el portapapeles.
class LectorAparte : public QObject {
    Q_OBJECT
public:
    using Entrega = std::function<void(Lector::Leido)>;

    LectorAparte(plataforma::Portapapeles& portapapeles, Entrega entrega, QObject* padre = nullptr);
    // Espera a la lectura en curso (cada lectura tiene su plazo) y descarta su resultado.
    ~LectorAparte() override;

    void pedir(Lector::Pedido pedido);
    // Olvida lo pendiente; lo que se esté leyendo se descarta al acabar.
    void cancelar();
    bool ocupado() const { return enCurso; }
    // Espera a que acabe la lectura en curso y entrega su resultado ya, antes de volver (lo
    // pendiente se lanza después, como siempre).
    void esperar();

private:
    void lanzar(Lector::Pedido pedido);
    // Recoge el resultado que dejó el hilo lector, si hay uno.
    void recoger();

    plataforma::Portapapeles& portapapeles;
    Entrega entrega;
    QThread hilo;
    QObject* trabajador;
    std::optional<Lector::Pedido> pendiente;
    bool enCurso = false;
    // Cada cancelación cambia de turno: un resultado de un turno anterior no se entrega.
    std::uint64_t turno = 0;
    // Lo que deja el hilo lector para el principal.
    std::mutex cerrojo;
    std::condition_variable terminado;
    std::optional<std::pair<Lector::Leido, std::uint64_t>> listo;
};

} // namespace rebisco
