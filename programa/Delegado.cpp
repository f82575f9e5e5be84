#include "Delegado.h"

#include <panel/ControlPanel.h>
#include <rebisco/EstadoApp.h>

namespace rebisco {

Delegado::Delegado(EstadoApp& estado, ControlPanel& panel)
    : estado(estado)
    , panel(panel) {}

void Delegado::alTerminarDeArrancar() {
    panel.conectar();
    estado.iniciar();
}

void Delegado::alTerminar() {
    estado.cerrar();
}

} // namespace rebisco
