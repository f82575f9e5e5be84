#include "vista/IconoSimbolo.h"

#include "interfaz/Simbolos.h"

#include <QPainter>

namespace rebisco {

IconoSimbolo::IconoSimbolo(const QString& simbolo, QSizeF tamano, Tinta tinta, QWidget* padre)
    : IconoSimbolo(Simbolos::llamado(simbolo).value_or(Dibujo()), tamano, std::move(tinta), padre) {
}

IconoSimbolo::IconoSimbolo(Dibujo dibujo, QSizeF tamano, Tinta tinta, QWidget* padre)
    : QWidget(padre)
    , dibujo(std::move(dibujo))
    , tamano(tamano)
    , tinta(std::move(tinta)) {
    setFixedSize(tamano.toSize());
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void IconoSimbolo::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    dibujo.pintar(p, QRectF(rect()), tinta(palette()));
}

} // namespace rebisco
