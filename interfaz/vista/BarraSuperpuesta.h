#pragma once

#include <QTimer>

#include <QVariantAnimation>
#include <QWidget>
#include <chrono>
#include <optional>

class QScrollBar;

namespace rebisco {

// La barra de desplazamiento fina que se superpone a la lista: aparece mientras se desplaza
// y se desvanece después, diga lo que diga el estilo del escritorio. Se puede arrastrar.
class BarraSuperpuesta : public QWidget {
    Q_OBJECT
public:
    // Sigue a esa barra (la de la lista, que queda siempre oculta).
    BarraSuperpuesta(QScrollBar& barra, QWidget* padre);

    // Se ve (aunque sea a medias, desvaneciéndose).
    qreal opacidad() const { return opacidad_; }
    void mostrar();

    static constexpr int ancho = 10;
    static constexpr auto espera = std::chrono::milliseconds(900);
    static constexpr int desvanecer = 300; // ms

protected:
    void paintEvent(QPaintEvent* evento) override;
    void mousePressEvent(QMouseEvent* evento) override;
    void mouseMoveEvent(QMouseEvent* evento) override;
    void mouseReleaseEvent(QMouseEvent* evento) override;
    void enterEvent(QEnterEvent* evento) override;
    void leaveEvent(QEvent* evento) override;

private:
    QRectF guia() const;
    void ponerOpacidad(qreal valor);

    QScrollBar& barra;
    QTimer reposo;
    QVariantAnimation fundido;
    qreal opacidad_ = 0;
    std::optional<qreal> arrastre; // dónde se agarró, dentro de la guía
    bool encima = false;
};

} // namespace rebisco
