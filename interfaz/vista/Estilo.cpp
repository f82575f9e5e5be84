#include "vista/Estilo.h"

#include <QWidget>

namespace rebisco::Estilo {

namespace {

QFont escalada(const QFont& base, double factor, QFont::Weight peso = QFont::Normal) {
    QFont f = base;
    if (base.pointSizeF() > 0)
        f.setPointSizeF(base.pointSizeF() * factor);
    else
        f.setPixelSize(qRound(base.pixelSize() * factor));
    f.setWeight(peso);
    return f;
}

QColor conAlfa(QColor c, double alfa) {
    c.setAlphaF(static_cast<float>(alfa));
    return c;
}

} // namespace

QFont titulo2(const QFont& base) {
    return escalada(base, 1.35);
}
QFont titulo3(const QFont& base) {
    return escalada(base, 1.2);
}
QFont llamada(const QFont& base) {
    return escalada(base, 0.95);
}
QFont pie(const QFont& base) {
    return escalada(base, 0.85);
}

QColor principal(const QPalette& paleta) {
    return paleta.color(QPalette::WindowText);
}
QColor secundario(const QPalette& paleta) {
    return conAlfa(principal(paleta), 0.58);
}
QColor cuaternario(const QPalette& paleta) {
    return conAlfa(principal(paleta), 0.09);
}

void ponerTexto(QWidget& w, const QFont& fuente, const QColor& color) {
    w.setFont(fuente);
    QPalette p = w.palette();
    p.setColor(QPalette::WindowText, color);
    p.setColor(QPalette::Text, color);
    w.setPalette(p);
}

} // namespace rebisco::Estilo
