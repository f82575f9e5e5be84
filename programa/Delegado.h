#pragma once

#include <QObject>
#include <QString>

#include <memory>

namespace rebisco {

class ControlPanel;
class EstadoApp;
class Proceso;
class VentanaAjustes;

// Lo que hace el programa al arrancar, al pedírsele otra vez y al terminar, en su orden.
// No tiene estado propio: manda sobre el estado y el panel del proceso.
class Delegado : public QObject {
    Q_OBJECT
public:
    Delegado(Proceso& proceso, ControlPanel& panel);
    ~Delegado() override;

    // La secuencia de arranque. Falso si el proceso debe terminar sin llegar al bucle.
    bool alTerminarDeArrancar();
    // Otro arranque pidió ver este rebisco.
    void alReabrir();
    // Antes de que el bucle de Qt termine: suelta el atajo, para el vigilante, cierra el
    // historial.
    void alTerminar();

private:
    void primerArranque();
    void guardarInstantaneas(const QString& ruta);
    void capturar(const QString& ruta);

    Proceso& proceso;
    EstadoApp& estado;
    ControlPanel& panel;
    // La ventana de las fotos de los ajustes, fuera de la pantalla.
    std::unique_ptr<VentanaAjustes> ventanaDeFotos;
};

} // namespace rebisco
