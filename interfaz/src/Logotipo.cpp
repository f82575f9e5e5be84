#include "interfaz/Logotipo.h"

#include <rebisco/Textos.h>

#include <QEvent>
#include <QPainter>

#include <cmath>

namespace rebisco {

Logotipo::Logotipo(qreal alto, QWidget* padre)
    : Logotipo(alto, Marca::delPrograma(), padre) {}

Logotipo::Logotipo(qreal alto, const Marca::Paquete& paquete, QWidget* padre)
    : QWidget(padre)
    , alto_(alto) {
    if (paquete.logotipoLetras && paquete.logotipoAcento) {
        letras_ = paquete.logotipoLetras;
        acento_ = paquete.logotipoAcento;
    }
    setAccessibleName(localizable("rebisco"));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QFont Logotipo::fuenteDeRespaldo() const {
    QFont fuente = font();
    fuente.setPointSizeF(fuente.pointSizeF() * 1.35);
    fuente.setWeight(QFont::DemiBold);
    return fuente;
}

QSize Logotipo::sizeHint() const {
    if (!letras_) {
        const QFontMetrics medidas(fuenteDeRespaldo());
        return {medidas.horizontalAdvance(accessibleName()) + 2, medidas.height()};
    }
    const auto tamano = letras_->tamano().expandedTo(acento_->tamano());
    const qreal ancho = tamano.height() > 0 ? tamano.width() * alto_ / tamano.height() : 0;
    return {static_cast<int>(std::ceil(ancho)), static_cast<int>(std::ceil(alto_))};
}

void Logotipo::paintEvent(QPaintEvent*) {
    QPainter pintor(this);
    const auto tinta = palette().color(QPalette::WindowText);
    if (!letras_) {
        pintor.setFont(fuenteDeRespaldo());
        pintor.setPen(tinta);
        pintor.drawText(rect(), Qt::AlignCenter, accessibleName());
        return;
    }
    // Los dos dibujos comparten el mismo lienzo: centrados uno sobre otro quedan en su sitio.
    QRectF caja{QPointF(), QSizeF(sizeHint())};
    caja.moveCenter(QRectF(rect()).center());
    letras_->pintar(pintor, caja, tinta);
    acento_->pintar(pintor, caja, Marca::acento(palette()));
}

void Logotipo::changeEvent(QEvent* evento) {
    if (evento->type() == QEvent::FontChange || evento->type() == QEvent::PaletteChange)
        updateGeometry();
    QWidget::changeEvent(evento);
}

} // namespace rebisco
