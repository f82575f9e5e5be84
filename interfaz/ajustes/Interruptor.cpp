#include "ajustes/Interruptor.h"

#include "interfaz/Marca.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

namespace rebisco {

Interruptor::Interruptor(const QString& nombre, QWidget* padre)
    : QAbstractButton(padre) {
    setCheckable(true);
    setText(nombre);
    setAccessibleName(nombre);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void Interruptor::reflejar(bool encendido) {
    const bool antes = blockSignals(true);
    setChecked(encendido);
    blockSignals(antes);
}

bool Interruptor::eventFilter(QObject* objeto, QEvent* evento) {
    if (objeto != this && evento->type() == QEvent::MouseButtonRelease && isEnabled()) {
        if (static_cast<QMouseEvent*>(evento)->button() == Qt::LeftButton) click();
        return true;
    }
    return QAbstractButton::eventFilter(objeto, evento);
}

void Interruptor::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled()) p.setOpacity(0.45);
    const QRectF pista = QRectF(rect()).adjusted(1, 1, -1, -1);
    const qreal radio = pista.height() / 2;
    const auto& paleta = palette();
    QColor apagado = paleta.color(QPalette::WindowText);
    apagado.setAlphaF(0.18f);
    p.setPen(Qt::NoPen);
    p.setBrush(isChecked() ? Marca::acento(paleta) : apagado);
    p.drawRoundedRect(pista, radio, radio);

    const qreal lado = pista.height() - 4;
    const qreal x = isChecked() ? pista.right() - 2 - lado : pista.left() + 2;
    QColor sombra(0, 0, 0, 40);
    p.setBrush(sombra);
    p.drawEllipse(QRectF(x, pista.top() + 2.6, lado, lado));
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(x, pista.top() + 2, lado, lado));

    if (hasFocus()) {
        QColor foco = Marca::acento(paleta);
        foco.setAlphaF(0.5f);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(foco, 2));
        p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), radio + 1, radio + 1);
    }
}

} // namespace rebisco
