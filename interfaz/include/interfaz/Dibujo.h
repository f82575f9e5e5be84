#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <memory>
#include <optional>

class QPainter;
class QSvgRenderer;

namespace rebisco {

// Uno de nuestros dibujos SVG. Una plantilla es un dibujo de un solo color con transparencia:
// se pinta siempre teñido (el texto, la bandeja clara u oscura, el acento).
class Dibujo {
public:
    Dibujo() = default; // vacío: no pinta nada

    // El SVG de esa ruta (también ":/…"); nada si no existe o no se entiende.
    static std::optional<Dibujo> cargar(const QString& ruta, bool plantilla);

    bool vacio() const { return !svg_; }
    bool plantilla() const { return plantilla_; }
    Dibujo comoPlantilla() const;
    // El tamaño en puntos que declara el dibujo.
    QSizeF tamano() const;

    // Dentro de rect, centrado y sin deformarlo; una plantilla, del color tinta. Se rasteriza a
    // la densidad del dispositivo del pintor.
    void pintar(QPainter& pintor, const QRectF& rect, const QColor& tinta) const;
    // Una imagen de esos píxeles, transparente alrededor del dibujo.
    QImage imagen(QSize pixeles, const QColor& tinta) const;
    // Un icono que se dibuja de nuevo a cada tamaño que se le pida.
    QIcon icono(const QColor& tinta) const;

private:
    std::shared_ptr<QSvgRenderer> svg_;
    bool plantilla_ = false;
};

} // namespace rebisco
