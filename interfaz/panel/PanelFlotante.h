#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>

class QKeyEvent;
class QWindow;

namespace rebisco {

class FondoPanel;

// La ventana flotante del historial: sin marco, sobre las demás, fuera de la barra de
// tareas. Cada pulsación pasa primero por alTeclear, y solo sigue hacia el foco (el campo de
// búsqueda) si no la consumió.
class PanelFlotante : public QWidget {
    Q_OBJECT
public:
    explicit PanelFlotante(QWidget* padre = nullptr);

    // El contenido de la tarjeta; el panel se queda con él.
    void ponerContenido(QWidget* contenido);
    FondoPanel& fondo() { return *fondo_; }

    // Con compositor: ventana translúcida con la sombra en el margen. Sin él: solo la
    // tarjeta, opaca, con las esquinas recortadas. Si cambia con la ventana ya creada, se
    // rehace la ventana nativa (el fondo translúcido se elige al crearla).
    void ponerCompositor(bool compositor);
    bool conCompositor() const { return compositor; }

    // Entrega un evento como lo haría la propia ventana: las pulsaciones primero a
    // alTeclear, y lo que no consuma a quien tenga el foco.
    void entregar(QEvent& evento);

    std::function<bool(QKeyEvent&)> alTeclear;

signals:
    // La ventana ya está en pantalla (el gestor ya la tiene): se puede activar.
    void expuesta();
    void activada();
    void desactivada();

protected:
    bool event(QEvent* evento) override;
    bool eventFilter(QObject* objeto, QEvent* evento) override;
    void showEvent(QShowEvent* evento) override;
    void resizeEvent(QResizeEvent* evento) override;

private:
    void aplicarForma();
    bool ofrecer(QEvent& evento);

    FondoPanel* fondo_;
    QPointer<QWindow> vigilada;
    bool compositor = false;
    bool configurado = false;
    bool exponiendo = false;
};

} // namespace rebisco
