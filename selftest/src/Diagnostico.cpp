#include "autoprueba/Diagnostico.h"

#include <interfaz/Marca.h>

#include <QBuffer>
#include <QImage>
#include <QPainter>

namespace rebisco::Diagnostico {

std::optional<QByteArray> dibujarSimbolos() {
    constexpr int lado = 192, margen = 24;
    QImage hoja(4 * lado, lado, QImage::Format_ARGB32);
    if (hoja.isNull()) return std::nullopt;
    struct Baldosa {
        const Dibujo& simbolo;
        QColor fondo, tinta;
    };
    const QColor claro = QColor::fromRgbF(0.93f, 0.93f, 0.93f);
    const QColor oscuro = QColor::fromRgbF(0.16f, 0.16f, 0.16f);
    const Baldosa baldosas[] = {
        {Marca::barraNormal(), claro, Qt::black},
        {Marca::barraPausa(), claro, Qt::black},
        {Marca::barraNormal(), oscuro, Qt::white},
        {Marca::barraPausa(), oscuro, Qt::white},
    };
    {
        QPainter pintor(&hoja);
        for (int i = 0; i < 4; ++i) {
            const QRect rect(i * lado, 0, lado, lado);
            pintor.fillRect(rect, baldosas[i].fondo);
            const auto interior = rect.adjusted(margen, margen, -margen, -margen);
            pintor.drawImage(interior.topLeft(),
                             baldosas[i].simbolo.imagen(interior.size(), baldosas[i].tinta));
        }
    }
    QByteArray png;
    QBuffer salida(&png);
    if (!salida.open(QIODevice::WriteOnly) || !hoja.save(&salida, "PNG")) return std::nullopt;
    return png;
}

} // namespace rebisco::Diagnostico
