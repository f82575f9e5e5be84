#pragma once

#include <QImage>
#include <QWidget>

#include <functional>

namespace rebisco {

// El fondo del panel: la tarjeta redondeada y, con un compositor, su sombra en el margen
// transparente. Un clic en el margen (no en la tarjeta) llama a alTocarLaSombra.
class FondoPanel : public QWidget {
    Q_OBJECT
public:
    FondoPanel(int margen, int radio, QWidget* padre = nullptr);

    // Sin margen no hay sombra: la tarjeta es la ventana entera, opaca y con borde.
    void ponerMargen(int margen);
    int margen() const { return margen_; }
    QRect tarjeta() const;

    std::function<void()> alTocarLaSombra;

protected:
    void paintEvent(QPaintEvent* evento) override;
    void mousePressEvent(QMouseEvent* evento) override;
    void resizeEvent(QResizeEvent* evento) override;

private:
    const QImage& sombra();

    int margen_;
    int radio_;
    QImage sombra_; // se calcula una vez por tamaño y escala
};

} // namespace rebisco
