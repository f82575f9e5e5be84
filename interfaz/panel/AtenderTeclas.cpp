// Las teclas del panel: qué pulsaciones se quedan en él y qué hace cada una.
#include "panel/CampoBusqueda.h"
#include "panel/ControlPanel.h"
#include "panel/PanelFlotante.h"

#include "rebisco/EstadoApp.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace rebisco {

using TeclasPanel::Orden;

bool ControlPanel::atender(QKeyEvent& evento) {
    // Mientras se compone un carácter, todas las teclas son de la composición.
    if (const auto* campo = qobject_cast<const CampoBusqueda*>(panel_->focusWidget());
        campo && campo->componiendo())
        return false;
    const auto decision =
        TeclasPanel::decidir(TeclasPanel::leer(evento, estado.plataforma().teclado()));
    if (!decision) return false;
    ejecutar(*decision);
    return true;
}

void ControlPanel::ejecutar(const TeclasPanel::Decision& decision) {
    auto* editor = panel_ ? qobject_cast<QLineEdit*>(panel_->focusWidget()) : nullptr;
    const auto seleccionado = estado.recorteSeleccionado();
    switch (decision.orden) {
    case Orden::elegir:
    case Orden::elegirSinFormato:
        if (seleccionado) estado.pegar(*seleccionado, decision.orden == Orden::elegirSinFormato);
        return;
    case Orden::escape:
        if (!estado.busqueda().isEmpty())
            estado.buscar(QString(), false);
        else
            ocultar();
        return;
    case Orden::bajar:
        estado.moverSeleccion(1);
        return;
    case Orden::subir:
        estado.moverSeleccion(-1);
        return;
    case Orden::eliminar:
        if (seleccionado) estado.eliminar(*seleccionado);
        return;
    case Orden::rapida: {
        const auto& recortes = estado.recortes();
        const auto posicion = static_cast<std::size_t>(decision.numero);
        if (posicion >= 1 && recortes.size() >= posicion) {
            const auto elegido = recortes[posicion - 1];
            estado.pegar(elegido, false);
        }
        return;
    }
    case Orden::fijar:
        if (seleccionado) estado.alternarFijado(*seleccionado);
        return;
    case Orden::ajustes:
        ocultar();
        abrirAjustes();
        return;
    case Orden::cerrar:
        ocultar();
        return;
    case Orden::seleccionarTodo:
        if (editor) editor->selectAll();
        return;
    case Orden::cortar:
        if (editor) editor->cut();
        return;
    case Orden::pegarEnCampo:
        if (editor) editor->paste();
        return;
    case Orden::deshacer:
        if (editor) editor->undo();
        return;
    case Orden::rehacer:
        if (editor) editor->redo();
        return;
    case Orden::copiar:
        if (editor && editor->hasSelectedText())
            editor->copy();
        else if (seleccionado)
            estado.copiar(*seleccionado);
        return;
    }
}

} // namespace rebisco
