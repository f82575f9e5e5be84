#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>

#include <cstdint>
#include <functional>

class QWidget;

namespace medicion_panel {

// Observa los cuadros de una ventana de Qt: cada sincronización de su almacén de respaldo
// (pintar lo sucio y volcarlo al servidor X), cuándo acaba y si pintó una zona concreta.
// Se instala en la aplicación y envuelve el evento que dispara la sincronización
// (UpdateRequest, o Expose la primera vez) para tomar el tiempo cuando termina: cuando el
// servidor ya recibió y procesó lo volcado (un viaje de ida y vuelta por la conexión de Qt).
class Cuadros : public QObject {
public:
    // Las ventanas de nivel superior que cuentan son las que `esVigilada` acepta (existan ya
    // o no).
    Cuadros(const QElapsedTimer& reloj, std::function<bool(const QWidget*)> esVigilada,
            QObject* padre = nullptr);

    // La zona, dentro de la ventana, cuya pintura interesa (la lista).
    void vigilarZona(QWidget* zona);

    struct Cuadro {
        std::uint64_t numero = 0;
        double inicio = 0, fin = 0; // ms del reloj
        bool pintoAlgo = false;
        bool pintoLaZona = false;
    };
    const Cuadro& ultimo() const { return ultimo_; }
    std::uint64_t cuantos() const { return ultimo_.numero; }

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override;

private:
    const QElapsedTimer& reloj;
    std::function<bool(const QWidget*)> esVigilada;
    QPointer<QWidget> zona;
    bool dentro = false;
    bool algoPintado = false;
    bool zonaPintada = false;
    Cuadro ultimo_;
};

} // namespace medicion_panel
