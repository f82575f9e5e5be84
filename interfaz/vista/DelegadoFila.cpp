#include "vista/DelegadoFila.h"

#include "vista/Estilo.h"
#include "vista/ModeloRecortes.h"

#include "interfaz/Formato.h"
#include "interfaz/Iconos.h"
#include "interfaz/Marca.h"
#include "interfaz/Simbolos.h"

#include <rebisco/EstadoApp.h>
#include <rebisco/Textos.h>

#include <QListView>
#include <QPainter>
#include <QPainterPath>
#include <QTextLayout>

#include <algorithm>

namespace rebisco {

namespace {

constexpr qreal relleno = 12, rellenoVertical = 8, lado = 30, separacion = 12;
constexpr qreal entreLineas = 3, hueco = 8, antesDelTitulo = 10;
constexpr qreal radioFila = 12, radioMiniatura = 6;
// Más no cabe en dos líneas: el resto no se mide.
constexpr qsizetype largoMedido = 1000;

QString simboloDe(nucleo::ClaseRecorte clase) {
    switch (clase) {
    case nucleo::ClaseRecorte::enlace:
        return QStringLiteral("link");
    case nucleo::ClaseRecorte::imagen:
        return QStringLiteral("photo");
    case nucleo::ClaseRecorte::archivos:
        return QStringLiteral("doc.on.doc");
    case nucleo::ClaseRecorte::texto:
        break;
    }
    return QStringLiteral("text.alignleft");
}

// Las líneas con algo escrito, unidas por separadores de línea; los controles, espacios.
QString paraMedir(const QString& titulo) {
    QString corto = titulo.left(largoMedido);
    if (!corto.isEmpty() && corto.back().isHighSurrogate()) corto.chop(1);
    QStringList lineas;
    QString actual;
    auto cerrar = [&] {
        if (!actual.trimmed().isEmpty()) lineas.push_back(actual.trimmed());
        actual.clear();
    };
    for (const QChar c : corto) {
        if (c == u'\n' || c == u'\r' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            cerrar();
        else if (c.category() == QChar::Other_Control)
            actual += u' ';
        else
            actual += c;
    }
    cerrar();
    return lineas.join(QChar::LineSeparator);
}

QColor conAlfa(QColor c, double alfa) {
    c.setAlphaF(static_cast<float>(c.alphaF() * alfa));
    return c;
}

} // namespace

DelegadoFila::DelegadoFila(EstadoApp& estado, QObject* padre)
    : QStyledItemDelegate(padre)
    , estado(estado) {}

QStringList DelegadoFila::lineasDe(const QString& titulo, const QFont& fuente, qreal ancho,
                                   int maximo) {
    const QString texto = paraMedir(titulo);
    QStringList resultado;
    if (texto.isEmpty() || ancho <= 0 || maximo <= 0) return resultado;
    QTextLayout disposicion(texto, fuente);
    QTextOption opcion;
    opcion.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    disposicion.setTextOption(opcion);
    disposicion.beginLayout();
    int inicioUltima = -1;
    bool sobra = false;
    while (true) {
        QTextLine linea = disposicion.createLine();
        if (!linea.isValid()) break;
        if (resultado.size() == maximo) {
            sobra = true;
            break;
        }
        linea.setLineWidth(ancho);
        if (resultado.size() == maximo - 1) inicioUltima = linea.textStart();
        resultado.push_back(texto.mid(linea.textStart(), linea.textLength()));
    }
    disposicion.endLayout();
    const QFontMetricsF medidas(fuente);
    for (auto& l : resultado) {
        l.remove(QChar::LineSeparator);
        // El trozo suelto puede medir un punto más que dentro del párrafo (bidi, ligaduras).
        if (medidas.horizontalAdvance(l) > ancho) l = medidas.elidedText(l, Qt::ElideRight, ancho);
    }
    if (sobra && inicioUltima >= 0) {
        QString resto = texto.mid(inicioUltima);
        resto.replace(QChar::LineSeparator, u' ');
        // Lo que no cabe se corta con "…"; el texto sobrante hace que siempre se corte.
        resultado.back() = medidas.elidedText(resto + QStringLiteral(" …"), Qt::ElideRight, ancho);
    }
    return resultado;
}

QImage DelegadoFila::miniatura(const nucleo::Recorte& recorte) const {
    if (recorte.clase != nucleo::ClaseRecorte::imagen || !recorte.miniatura ||
        recorte.miniatura->empty())
        return {};
    if (const auto* guardada = miniaturas.object(recorte.id)) return *guardada;
    const auto& datos = *recorte.miniatura;
    QImage imagen = QImage::fromData(QByteArray::fromRawData(
        reinterpret_cast<const char*>(datos.data()), static_cast<qsizetype>(datos.size())));
    // Una copia propia: los bytes son del estado y pueden desaparecer.
    imagen = imagen.isNull() ? QImage() : imagen.copy();
    miniaturas.insert(recorte.id, new QImage(imagen));
    return imagen;
}

QStringList DelegadoFila::lineasDelTitulo(const nucleo::Recorte& recorte, const QFont& fuente,
                                          qreal ancho) const {
    const QString clave =
        QString::number(recorte.id) + u':' + QString::number(ancho, 'g', 10) + u':' + fuente.key();
    if (const auto* guardadas = titulos.object(clave)) return *guardadas;
    auto lineas = lineasDe(Formato::titulo(recorte), fuente, ancho, 2);
    titulos.insert(clave, new QStringList(lineas));
    return lineas;
}

QString DelegadoFila::detalle(const nucleo::Recorte& recorte) const {
    QStringList partes;
    if (recorte.appNombre && !recorte.appNombre->empty())
        partes.push_back(QString::fromStdString(*recorte.appNombre).simplified());
    partes.push_back(Formato::haceCuanto(recorte.usado, estado.ahora()));
    partes.push_back(Formato::bytes(recorte.bytes));
    return partes.join(QStringLiteral(" · "));
}

DelegadoFila::Disposicion DelegadoFila::disponer(const nucleo::Recorte& recorte, int indice,
                                                 const QRectF& fila, const QFont& base) const {
    Disposicion d;
    const QFontMetricsF medidas(base), pequena(Estilo::pie(base));
    const QRectF dentro =
        QRectF(fila.left() + margenLateral, fila.top(), fila.width() - 2 * margenLateral, 0)
            .adjusted(relleno, rellenoVertical, -relleno, 0);

    // De derecha a izquierda: la pista, la chincheta, el hueco flexible.
    qreal derecha = dentro.right();
    if (indice <= 8) {
        d.textoAtajo = localizable("Ctrl+%1").arg(indice + 1);
        const qreal ancho = pequena.horizontalAdvance(localizable("Ctrl+%1").arg(8));
        d.atajo = QRectF(derecha - ancho, 0, ancho, pequena.height());
        derecha -= ancho + separacion;
    }
    if (recorte.fijado) {
        const qreal tam = pequena.height();
        d.chincheta = QRectF(derecha - tam, 0, tam, tam);
        derecha -= tam + separacion;
    }
    const qreal izquierda = dentro.left() + lado + separacion;
    const qreal ancho = std::max<qreal>(0, derecha - hueco - izquierda);

    qreal anchoTitulo = ancho;
    const QImage imagen = miniatura(recorte);
    if (!imagen.isNull()) {
        QSizeF tam = QSizeF(imagen.size())
                         .scaled(QSizeF(anchoMiniatura, altoMiniatura), Qt::KeepAspectRatio);
        tam = QSizeF(std::max<qreal>(1, tam.width()), std::max<qreal>(1, tam.height()));
        d.tamanoMiniatura = tam;
        anchoTitulo = std::max<qreal>(0, ancho - tam.width() - antesDelTitulo);
    }
    d.lineas = lineasDelTitulo(recorte, base, anchoTitulo);
    const qreal altoTitulo = std::max<qsizetype>(1, d.lineas.size()) * medidas.lineSpacing();
    const qreal altoArriba = imagen.isNull() ? altoTitulo : std::max(altoMiniatura, altoTitulo);
    const qreal altoContenido = altoArriba + entreLineas + pequena.height();
    const qreal altoDentro = std::max(lado, altoContenido);
    d.alto = altoDentro + 2 * rellenoVertical;
    d.fondo =
        QRectF(fila.left() + margenLateral, fila.top(), fila.width() - 2 * margenLateral, d.alto);

    const qreal medio = dentro.top() + altoDentro / 2;
    d.icono = QRectF(dentro.left(), medio - lado / 2, lado, lado);
    const qreal arriba = medio - altoContenido / 2;
    qreal xTitulo = izquierda;
    if (!imagen.isNull()) {
        d.miniatura =
            QRectF(QPointF(izquierda, arriba + (altoArriba - d.tamanoMiniatura.height()) / 2),
                   d.tamanoMiniatura);
        xTitulo += d.tamanoMiniatura.width() + antesDelTitulo;
    }
    d.titulo = QRectF(xTitulo, arriba + (altoArriba - altoTitulo) / 2, anchoTitulo, altoTitulo);
    d.textoDetalle = detalle(recorte);
    d.detalle = QRectF(izquierda, arriba + altoArriba + entreLineas, ancho, pequena.height());
    d.atajo.moveTop(medio - d.atajo.height() / 2);
    d.chincheta.moveTop(medio - d.chincheta.height() / 2);
    return d;
}

QSize DelegadoFila::sizeHint(const QStyleOptionViewItem& opcion, const QModelIndex& indice) const {
    const auto* modelo = qobject_cast<const ModeloRecortes*>(indice.model());
    const auto* recorte = modelo ? modelo->recorte(indice) : nullptr;
    const auto* vista = qobject_cast<const QListView*>(opcion.widget);
    if (!recorte || !vista) return QStyledItemDelegate::sizeHint(opcion, indice);
    const int ancho = vista->viewport()->width() - 2 * vista->spacing();
    const auto d = disponer(*recorte, indice.row(), QRectF(0, 0, ancho, 0), opcion.font);
    return QSize(ancho, qCeil(d.alto));
}

void DelegadoFila::paint(QPainter* p, const QStyleOptionViewItem& opcion,
                         const QModelIndex& indice) const {
    const auto* modelo = qobject_cast<const ModeloRecortes*>(indice.model());
    const auto* recorte = modelo ? modelo->recorte(indice) : nullptr;
    if (!recorte) return;
    const auto d = disponer(*recorte, indice.row(), QRectF(opcion.rect), opcion.font);
    const QPalette& paleta = opcion.palette;
    const bool seleccionada = estado.seleccion() == recorte->id;

    p->save();
    p->setRenderHint(QPainter::Antialiasing);
    p->setClipRect(opcion.rect);
    QPainterPath fondo;
    fondo.addRoundedRect(d.fondo, radioFila, radioFila);
    if (seleccionada)
        p->fillPath(fondo, Marca::acento(paleta));
    else if (opcion.state & QStyle::State_MouseOver)
        p->fillPath(fondo, Estilo::cuaternario(paleta));

    const QColor tinta = seleccionada ? QColor(Qt::white) : Estilo::principal(paleta);
    const QColor tintaSecundaria =
        seleccionada ? conAlfa(QColor(Qt::white), 0.75) : Estilo::secundario(paleta);

    if (const auto icono = Iconos::deApp(recorte->appId)) {
        icono->paint(p, d.icono.toRect());
    } else if (const auto simbolo = Simbolos::llamado(simboloDe(recorte->clase))) {
        const qreal tam = QFontMetricsF(Estilo::titulo3(opcion.font)).height();
        simbolo->pintar(*p, QRectF(d.icono.center() - QPointF(tam / 2, tam / 2), QSizeF(tam, tam)),
                        tintaSecundaria);
    }

    if (!d.miniatura.isEmpty()) {
        const QImage imagen = miniatura(*recorte);
        QPainterPath esquinas;
        esquinas.addRoundedRect(d.miniatura, radioMiniatura, radioMiniatura);
        p->save();
        p->setClipPath(esquinas, Qt::IntersectClip);
        p->setRenderHint(QPainter::SmoothPixmapTransform);
        p->drawImage(d.miniatura, imagen);
        p->restore();
    }

    const QFontMetricsF medidas(opcion.font);
    p->setFont(opcion.font);
    p->setPen(tinta);
    for (qsizetype i = 0; i < d.lineas.size(); ++i) {
        const QRectF linea(d.titulo.left(), d.titulo.top() + i * medidas.lineSpacing(),
                           d.titulo.width(), medidas.lineSpacing());
        p->drawText(linea, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, d.lineas[i]);
    }

    const QFont pequena = Estilo::pie(opcion.font);
    const QFontMetricsF medidasPequenas(pequena);
    p->setFont(pequena);
    p->setPen(tintaSecundaria);
    p->drawText(d.detalle, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                medidasPequenas.elidedText(d.textoDetalle, Qt::ElideRight, d.detalle.width()));
    if (!d.chincheta.isEmpty())
        if (const auto chincheta = Simbolos::llamado(QStringLiteral("pin.fill")))
            chincheta->pintar(*p, d.chincheta, tintaSecundaria);
    if (!d.textoAtajo.isEmpty())
        p->drawText(d.atajo, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, d.textoAtajo);
    p->restore();
}

} // namespace rebisco
