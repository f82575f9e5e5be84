#include "FondoPanel.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <vector>

namespace rebisco {

namespace {

constexpr double opacidadSombra = 0.3;
constexpr int desenfoque = 20;
constexpr int caida = 9;
constexpr double opacidadTarjeta = 0.85;

// Tres pasadas de media móvil sobre el alfa se parecen a un desenfoque gaussiano.
void desenfocar(QImage& imagen, int radio) {
    const int ancho = imagen.width(), alto = imagen.height();
    std::vector<int> linea(static_cast<std::size_t>(std::max(ancho, alto)));
    const int r = std::max(1, radio / 3);
    auto pasada = [&](bool horizontal) {
        const int n = horizontal ? ancho : alto, lineas = horizontal ? alto : ancho;
        for (int l = 0; l < lineas; ++l) {
            auto alfa = [&](int i) -> uchar& {
                const int x = horizontal ? i : l, y = horizontal ? l : i;
                return imagen.scanLine(y)[x * 4 + 3];
            };
            for (int i = 0; i < n; ++i)
                linea[static_cast<std::size_t>(i)] = alfa(i);
            int suma = 0;
            for (int i = -r; i <= r; ++i)
                suma += linea[static_cast<std::size_t>(std::clamp(i, 0, n - 1))];
            for (int i = 0; i < n; ++i) {
                alfa(i) = static_cast<uchar>(suma / (2 * r + 1));
                suma += linea[static_cast<std::size_t>(std::min(i + r + 1, n - 1))];
                suma -= linea[static_cast<std::size_t>(std::max(i - r, 0))];
            }
        }
    };
    for (int i = 0; i < 3; ++i) {
        pasada(true);
        pasada(false);
    }
}

QPainterPath redondeado(const QRectF& r, double radio) {
    QPainterPath camino;
    camino.addRoundedRect(r, radio, radio);
    return camino;
}

} // namespace

FondoPanel::FondoPanel(int margen, int radio, QWidget* padre)
    : QWidget(padre)
    , margen_(margen)
    , radio_(radio) {}

void FondoPanel::ponerMargen(int margen) {
    if (margen == margen_) return;
    margen_ = margen;
    sombra_ = {};
    update();
}

QRect FondoPanel::tarjeta() const {
    return rect().adjusted(margen_, margen_, -margen_, -margen_);
}

void FondoPanel::resizeEvent(QResizeEvent* evento) {
    sombra_ = {};
    QWidget::resizeEvent(evento);
}

const QImage& FondoPanel::sombra() {
    const double escala = devicePixelRatioF();
    const QSize tamano = (QSizeF(size()) * escala).toSize();
    if (sombra_.size() == tamano) return sombra_;
    sombra_ = QImage(tamano, QImage::Format_ARGB32_Premultiplied);
    sombra_.fill(Qt::transparent);
    {
        QPainter p(&sombra_);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(escala, escala);
        p.fillPath(redondeado(QRectF(tarjeta()).translated(0, caida), radio_), Qt::black);
    }
    desenfocar(sombra_, static_cast<int>(desenfoque * escala));
    {
        // La sombra nunca se ve a través de la tarjeta translúcida.
        QPainter p(&sombra_);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(escala, escala);
        p.setCompositionMode(QPainter::CompositionMode_Clear);
        p.fillPath(redondeado(QRectF(tarjeta()).adjusted(1.5, 1.5, -1.5, -1.5), radio_ - 1.5),
                   Qt::black);
    }
    sombra_.setDevicePixelRatio(escala);
    return sombra_;
}

void FondoPanel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QColor fondo = palette().color(QPalette::Window);
    if (margen_ > 0) {
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.fillRect(rect(), Qt::transparent);
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        p.setOpacity(opacidadSombra);
        p.drawImage(QPoint(0, 0), sombra());
        p.setOpacity(1);
        fondo.setAlphaF(opacidadTarjeta);
        p.fillPath(redondeado(tarjeta(), radio_), fondo);
        return;
    }
    // Sin compositor la forma de la ventana recorta las esquinas; el borde la dibuja.
    p.fillRect(rect(), fondo);
    p.setPen(QPen(palette().color(QPalette::Mid), 1));
    p.drawPath(redondeado(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), radio_));
}

void FondoPanel::mousePressEvent(QMouseEvent* evento) {
    // Los clics en la tarjeta que nadie de dentro atiende también llegan aquí.
    if (!redondeado(tarjeta(), radio_).contains(evento->position()) && alTocarLaSombra) {
        alTocarLaSombra();
        return;
    }
    QWidget::mousePressEvent(evento);
}

} // namespace rebisco
