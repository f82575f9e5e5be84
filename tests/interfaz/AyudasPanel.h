#pragma once

#include "AyudasApp.h"

#include <panel/ControlPanel.h>
#include <panel/PanelFlotante.h>

#include <QKeyEvent>
#include <QString>

#include <memory>

namespace pruebas {

// Una tecla como la manda la plataforma en memoria: su código de posición es el nativo.
struct Tecla {
    int codigo = 0;
    int qt = 0;
    Qt::KeyboardModifiers modificadores = Qt::NoModifier;
    QString texto = {};
};

QKeyEvent evento(const Tecla& tecla);

// Teclas frecuentes (posiciones del teclado estadounidense).
Tecla retorno(Qt::KeyboardModifiers m = Qt::NoModifier);
Tecla escape();
Tecla abajo();
Tecla arriba();
Tecla letra(char c, Qt::KeyboardModifiers m = Qt::NoModifier);
Tecla conCtrl(char c);

// Un estado en memoria con su controlador de panel conectado, y la ventana de otra
// aplicación activa.
struct BancoPanel : Banco {
    static constexpr std::uint64_t ventanaOtra = 0x500001;
    static constexpr std::int64_t pidOtra = 4242;

    std::unique_ptr<rebisco::ControlPanel> control;

    explicit BancoPanel(int recortes = 3);
    ~BancoPanel();

    plataforma::memoria::EscritorioMemoria& escritorio() { return plataforma.escritorio(); }
    rebisco::PanelFlotante& panel() { return *control->panel(); }
    // Muestra el panel y espera a que la plataforma lo tenga activo.
    void mostrar();
    void pulsar(const Tecla& tecla);
    std::optional<std::uint64_t> activa();
    // La posición de la selección en la lista visible (-1 sin selección).
    int posicionSeleccion();
    std::string enElPortapapeles();
};

} // namespace pruebas
