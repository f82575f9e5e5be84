#include "interfaz/Dibujo.h"

#include <QFile>
#include <QIconEngine>
#include <QPaintDevice>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

namespace rebisco {

namespace {

class MotorDibujo : public QIconEngine {
public:
    MotorDibujo(Dibujo dibujo, QColor tinta)
        : dibujo_(std::move(dibujo))
        , tinta_(tinta) {}

    void paint(QPainter* pintor, const QRect& rect, QIcon::Mode modo, QIcon::State) override {
        pintor->save();
        if (modo == QIcon::Disabled) pintor->setOpacity(0.4);
        dibujo_.pintar(*pintor, rect, tinta_);
        pintor->restore();
    }

    QPixmap pixmap(const QSize& tamano, QIcon::Mode modo, QIcon::State estado) override {
        return scaledPixmap(tamano, modo, estado, 1.0);
    }

    QPixmap scaledPixmap(const QSize& tamano, QIcon::Mode modo, QIcon::State estado,
                         qreal escala) override {
        QPixmap mapa(tamano * escala);
        mapa.fill(Qt::transparent);
        {
            QPainter pintor(&mapa);
            paint(&pintor, QRect(QPoint(), mapa.size()), modo, estado);
        }
        mapa.setDevicePixelRatio(escala);
        return mapa;
    }

    QIconEngine* clone() const override { return new MotorDibujo(dibujo_, tinta_); }
    QString key() const override { return QStringLiteral("rebisco-dibujo"); }
    bool isNull() override { return dibujo_.vacio(); }

private:
    Dibujo dibujo_;
    QColor tinta_;
};

} // namespace

std::optional<Dibujo> Dibujo::cargar(const QString& ruta, bool plantilla) {
    QFile archivo(ruta);
    if (!archivo.open(QIODevice::ReadOnly)) return std::nullopt;
    auto svg = std::make_shared<QSvgRenderer>(archivo.readAll());
    if (!svg->isValid() || svg->defaultSize().isEmpty()) return std::nullopt;
    svg->setAspectRatioMode(Qt::KeepAspectRatio);
    Dibujo dibujo;
    dibujo.svg_ = std::move(svg);
    dibujo.plantilla_ = plantilla;
    return dibujo;
}

Dibujo Dibujo::comoPlantilla() const {
    Dibujo copia = *this;
    copia.plantilla_ = true;
    return copia;
}

QSizeF Dibujo::tamano() const {
    return svg_ ? QSizeF(svg_->defaultSize()) : QSizeF();
}

QImage Dibujo::imagen(QSize pixeles, const QColor& tinta) const {
    QImage imagen(pixeles, QImage::Format_ARGB32_Premultiplied);
    if (imagen.isNull()) return imagen;
    imagen.fill(Qt::transparent);
    if (!svg_) return imagen;
    QPainter pintor(&imagen);
    pintor.setRenderHint(QPainter::Antialiasing);
    svg_->render(&pintor, QRectF(QPointF(), QSizeF(pixeles)));
    if (plantilla_) {
        // Recolorea exactamente los píxeles del dibujo, con su transparencia.
        pintor.setCompositionMode(QPainter::CompositionMode_SourceIn);
        pintor.fillRect(imagen.rect(), tinta);
    }
    return imagen;
}

void Dibujo::pintar(QPainter& pintor, const QRectF& rect, const QColor& tinta) const {
    if (!svg_ || rect.isEmpty()) return;
    QSizeF ajustado = tamano().scaled(rect.size(), Qt::KeepAspectRatio);
    QRectF destino(QPointF(), ajustado);
    destino.moveCenter(rect.center());
    const qreal densidad = pintor.device() ? pintor.device()->devicePixelRatioF() : 1.0;
    const QSize pixeles = (ajustado * densidad).toSize();
    if (pixeles.isEmpty()) return;
    QImage imagen = this->imagen(pixeles, tinta);
    imagen.setDevicePixelRatio(densidad);
    pintor.drawImage(destino.topLeft(), imagen);
}

QIcon Dibujo::icono(const QColor& tinta) const {
    if (!svg_) return {};
    return QIcon(new MotorDibujo(*this, tinta));
}

} // namespace rebisco
