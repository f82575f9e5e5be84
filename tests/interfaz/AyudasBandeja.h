#pragma once

#include "AyudasApp.h"

#include <bandeja/Bandeja.h>
#include <bandeja/MenuBarra.h>
#include <panel/ControlPanel.h>
#include <panel/PanelFlotante.h>

#include <QAction>

#include <memory>
#include <string>
#include <vector>

namespace pruebas {

// Un estado en memoria con su panel y su bandeja, la ventana de otra aplicación activa, y
// cuántas veces se pidió abrir los ajustes y salir.
struct BancoBandeja : Banco {
    std::unique_ptr<rebisco::ControlPanel> control;
    std::unique_ptr<rebisco::Bandeja> bandeja;
    int ajustes = 0;
    int salidas = 0;

    explicit BancoBandeja(bool ensayo = false, int recortes = 0);
    ~BancoBandeja();

    rebisco::MenuBarra& menu() { return bandeja->menu(); }
    // La entrada cuyo texto empieza así (sin contar la marca de atajo "&"), o nula.
    QAction* entrada(const QString& comienzo);
};

// El menú como se lee: "—" un separador, "(…)" una línea desactivada, "[x] " o "[ ] " una
// entrada con marca, y "  <Ctrl+Q>" su combinación.
std::vector<std::string> lineas(const QMenu& menu);

} // namespace pruebas
