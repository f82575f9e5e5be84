#pragma once

namespace rebisco {

class EstadoApp;
class ControlPanel;

// Lo que hace el programa al arrancar, y al terminar, en su orden.
// No tiene estado propio: manda sobre el estado y el panel del proceso.
class Delegado {
public:
    Delegado(EstadoApp& estado, ControlPanel& panel);

    // Conecta el panel y arranca el estado: historial, atajo global, vigilante.
    void alTerminarDeArrancar();
    // Antes de que el bucle de Qt termine: suelta el atajo, para el vigilante, cierra el
    // historial.
    void alTerminar();

private:
    EstadoApp& estado;
    ControlPanel& panel;
};

} // namespace rebisco
