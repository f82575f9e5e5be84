#pragma once

#include <nucleo/Modelo.h>

#include <QMenu>

#include <functional>

namespace rebisco {

class ControlPanel;
class EstadoApp;

// El menú de la bandeja (y del botón del encabezado donde no hay bandeja): mostrar el
// historial, los recientes para pegarlos, la pausa, los ajustes, "Acerca de" y salir. Lee el
// estado y se rehace cada vez que cambia algo de lo que muestra.
class MenuBarra : public QMenu {
    Q_OBJECT
public:
    struct Acciones {
        std::function<void()> abrirAjustes = [] {};
        std::function<void()> acercaDe = [] {};
        std::function<void()> salir = [] {};
    };

    // Quién lo dibuja: Qt, o el anfitrión de la bandeja de D-Bus (com.canonical.dbusmenu), que
    // lee "_" como la marca de la tecla de acceso.
    enum class Destino { ventana, dbus };

    MenuBarra(EstadoApp& estado, ControlPanel& control, Acciones acciones,
              Destino destino = Destino::ventana, QWidget* padre = nullptr);

protected:
    void keyPressEvent(QKeyEvent* evento) override;

private:
    // La entrada de un recorte reciente: la primera línea no vacía de su título, cortada a 50
    // caracteres percibidos con "…".
    static QString titulo(const nucleo::Recorte& recorte);
    void rehacer();

    EstadoApp& estado;
    ControlPanel& control;
    Acciones acciones;
    Destino destino;
};

} // namespace rebisco
