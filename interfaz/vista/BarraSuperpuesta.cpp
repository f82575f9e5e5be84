#include "vista/BarraSuperpuesta.h"

#include "vista/Estilo.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace rebisco {

BarraSuperpuesta::BarraSuperpuesta(QScrollBar& barra, QWidget* padre)
    : QWidget(padre)
    , barra(barra) {
    setAttribute(Qt::WA_NoSystemBackground);
    setAccessibleName(QString());
    reposo.setSingleShot(true);
    reposo.setInterval(espera);
    fundido.setDuration(desvanecer);
    fundido.setStartValue(1.0);
    fundido.setEndValue(0.0);
    connect(&fundido, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& v) { ponerOpacidad(v.toReal()); });
    connect(&reposo, &QTimer::timeout, this, [this] {
        if (encima || arrastre) {
            reposo.start();
            return;
        }
        fundido.start();
    });
    connect(&barra, &QScrollBar::valueChanged, this, &BarraSuperpuesta::mostrar);
    connect(&barra, &QScrollBar::rangeChanged, this, [this] { update(); });
    hide();
}

void BarraSuperpuesta::mostrar() {
    if (barra.maximum() <= barra.minimum()) return;
    fundido.stop();
    ponerOpacidad(1.0);
    reposo.start();
}

void BarraSuperpuesta::ponerOpacidad(qreal valor) {
    opacidad_ = valor;
    setVisible(valor > 0);
    if (valor > 0) raise();
    update();
}

QRectF BarraSuperpuesta::guia() const {
    const qreal alto = height();
    const qreal total = barra.maximum() - barra.minimum() + barra.pageStep();
    if (total <= 0 || barra.maximum() <= barra.minimum()) return {};
    const qreal largo = std::clamp(alto * barra.pageStep() / total, 24.0, alto);
    const qreal y =
        (alto - largo) * (barra.value() - barra.minimum()) / (barra.maximum() - barra.minimum());
    const qreal grosor = encima || arrastre ? 8 : 5;
    return QRectF(width() - grosor - 2, y, grosor, largo);
}

void BarraSuperpuesta::paintEvent(QPaintEvent*) {
    const QRectF g = guia();
    if (g.isEmpty()) return;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setOpacity(opacidad_);
    QColor color = Estilo::principal(palette());
    color.setAlphaF(0.42f);
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawRoundedRect(g, g.width() / 2, g.width() / 2);
}

void BarraSuperpuesta::mousePressEvent(QMouseEvent* e) {
    const QRectF g = guia();
    if (g.isEmpty()) return;
    const qreal y = e->position().y();
    // Fuera de la guía, salta hasta ahí; dentro, se agarra por donde se tocó.
    arrastre = (y >= g.top() && y <= g.bottom()) ? y - g.top() : g.height() / 2;
    mouseMoveEvent(e);
}

void BarraSuperpuesta::mouseMoveEvent(QMouseEvent* e) {
    if (!arrastre) return;
    const QRectF g = guia();
    const qreal recorrido = height() - g.height();
    if (recorrido <= 0) return;
    const qreal fraccion = std::clamp((e->position().y() - *arrastre) / recorrido, 0.0, 1.0);
    barra.setValue(barra.minimum() + qRound(fraccion * (barra.maximum() - barra.minimum())));
    mostrar();
}

void BarraSuperpuesta::mouseReleaseEvent(QMouseEvent*) {
    arrastre.reset();
    update();
}

void BarraSuperpuesta::enterEvent(QEnterEvent*) {
    encima = true;
    mostrar();
}

void BarraSuperpuesta::leaveEvent(QEvent*) {
    encima = false;
    update();
}

} // namespace rebisco
