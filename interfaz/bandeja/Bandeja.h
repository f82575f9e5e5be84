#pragma once

#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>

namespace rebisco {

class AcercaDe;
class ControlPanel;
class EstadoApp;
class EtiquetaBarra;
class MenuBarra;

// Lo que el usuario tiene a mano fuera del panel: el icono de la bandeja con su menú. Donde
// no hay bandeja, el mismo menú está en el encabezado del panel, y si una bandeja aparece
// después, el icono pasa a ella. Instala en el panel el abridor de los ajustes.
//
// El programa la crea después del panel y antes de arrancar el estado; salir debe cerrar el
// programa en orden (el estado se cierra al volver del bucle de eventos).
class Bandeja : public QObject {
    Q_OBJECT
public:
    // Cada cuánto se mira, mientras no la hay, si apareció una bandeja.
    static constexpr std::chrono::milliseconds vigilancia{2000};

    Bandeja(EstadoApp& estado, ControlPanel& control, std::function<void()> abrirAjustes,
            std::function<void()> salir, QObject* padre = nullptr);
    ~Bandeja() override;

    MenuBarra& menu() const { return *menu_; }
    EtiquetaBarra& etiqueta() const { return *etiqueta_; }
    // El icono está en una bandeja; si no, el menú está en el encabezado del panel.
    bool enBandeja() const { return enBandeja_; }

    // "Acerca de rebisco", delante; se crea la primera vez.
    void mostrarAcercaDe();
    AcercaDe* acercaDe() const { return acercaDe_.get(); }

private:
    void comprobar();

    EstadoApp& estado;
    ControlPanel& control;
    std::unique_ptr<MenuBarra> menu_;
    std::unique_ptr<MenuBarra> menuDbus_;
    std::unique_ptr<EtiquetaBarra> etiqueta_;
    std::unique_ptr<AcercaDe> acercaDe_;
    QTimer reloj;
    bool enBandeja_ = false;
};

} // namespace rebisco
