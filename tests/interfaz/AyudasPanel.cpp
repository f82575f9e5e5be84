#include "AyudasPanel.h"

#include <nucleo/Captura.h>

#include <QApplication>

namespace pruebas {

QKeyEvent evento(const Tecla& t) {
    return QKeyEvent(QEvent::KeyPress, t.qt, t.modificadores, static_cast<quint32>(t.codigo), 0, 0,
                     t.texto);
}

Tecla retorno(Qt::KeyboardModifiers m) {
    return {36, Qt::Key_Return, m, QStringLiteral("\r")};
}
Tecla escape() {
    return {53, Qt::Key_Escape, Qt::NoModifier, QStringLiteral("\x1b")};
}
Tecla abajo() {
    return {125, Qt::Key_Down};
}
Tecla arriba() {
    return {126, Qt::Key_Up};
}

Tecla letra(char c, Qt::KeyboardModifiers m) {
    const auto estadounidense = plataforma::memoria::TecladoMemoria::distribucionEstadounidense();
    int codigo = -1;
    for (const auto& [clave, texto] : estadounidense)
        if (texto == std::string(1, c)) codigo = clave;
    const int qt = (c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c;
    return {codigo, qt, m, (m & Qt::ControlModifier) ? QString() : QString(QChar(c))};
}

Tecla conCtrl(char c) {
    return letra(c, Qt::ControlModifier);
}

BancoPanel::BancoPanel(int recortes) {
    iniciar();
    guardarVarios(recortes);
    escritorio().ponerVentanaActiva(plataforma::Ventana{ventanaOtra, pidOtra});
    control = std::make_unique<rebisco::ControlPanel>(*estado);
    control->conectar();
}

BancoPanel::~BancoPanel() {
    control.reset();
}

void BancoPanel::mostrar() {
    control->mostrar();
    EXPECT_TRUE(esperarHasta([&] { return activa() == control->panel()->winId(); }));
    esperar(std::chrono::milliseconds(20));
}

void BancoPanel::pulsar(const Tecla& tecla) {
    auto e = evento(tecla);
    control->entregar(e);
}

std::optional<std::uint64_t> BancoPanel::activa() {
    const auto v = escritorio().ventanaActiva();
    if (!v) return std::nullopt;
    return v->id;
}

int BancoPanel::posicionSeleccion() {
    const auto& lista = estado->recortes();
    for (std::size_t i = 0; i < lista.size(); ++i)
        if (estado->seleccion() == lista[i].id) return static_cast<int>(i);
    return -1;
}

std::string BancoPanel::enElPortapapeles() {
    return portapapeles().texto().value_or("");
}

} // namespace pruebas
