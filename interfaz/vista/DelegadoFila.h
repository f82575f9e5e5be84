#pragma once

#include <nucleo/Modelo.h>

#include <QCache>
#include <QImage>
#include <QStringList>
#include <QStyledItemDelegate>

namespace rebisco {

class EstadoApp;

// Pinta una fila del historial: el icono de origen, el título (hasta dos líneas) o la
// miniatura con el título, la línea de detalle, la chincheta y la pista "Ctrl+N".
class DelegadoFila : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit DelegadoFila(EstadoApp& estado, QObject* padre = nullptr);

    void paint(QPainter* pintor, const QStyleOptionViewItem& opcion,
               const QModelIndex& indice) const override;
    QSize sizeHint(const QStyleOptionViewItem& opcion, const QModelIndex& indice) const override;

    // Dónde va cada parte de una fila de ese ancho (el de la lista); lo mismo para medir que
    // para pintar.
    struct Disposicion {
        QRectF fondo, icono, miniatura, titulo, detalle, chincheta, atajo;
        QStringList lineas;
        QString textoDetalle, textoAtajo;
        QSizeF tamanoMiniatura;
        qreal alto = 0;
    };
    Disposicion disponer(const nucleo::Recorte& recorte, int indice, const QRectF& fila,
                         const QFont& base) const;

    // La miniatura decodificada (nula si no se puede), guardada para las próximas pinturas.
    QImage miniatura(const nucleo::Recorte& recorte) const;
    // La línea de detalle: app · edad · tamaño.
    QString detalle(const nucleo::Recorte& recorte) const;

    // Las líneas del título en ese ancho: como mucho `maximo`, la última recortada con "…".
    static QStringList lineasDe(const QString& titulo, const QFont& fuente, qreal ancho,
                                int maximo);

    static constexpr qreal margenLateral = 10; // entre la tarjeta y la fila
    static constexpr qreal altoMiniatura = 48, anchoMiniatura = 200;

private:
    // Las líneas del título de ese recorte en ese ancho y esa fuente. El título de un id no
    // cambia nunca; medirlo (QTextLayout) es lo más caro de disponer una fila, y la lista
    // dispone todas sus filas cada vez que cambia.
    QStringList lineasDelTitulo(const nucleo::Recorte& recorte, const QFont& fuente,
                                qreal ancho) const;

    EstadoApp& estado;
    mutable QCache<qint64, QImage> miniaturas{40};
    mutable QCache<QString, QStringList> titulos{2000};
};

} // namespace rebisco
