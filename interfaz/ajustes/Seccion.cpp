#include "ajustes/Seccion.h"

#include "ajustes/Interruptor.h"
#include "vista/Estilo.h"

#include <rebisco/Preferencias.h>

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace rebisco {

namespace {

// La caja pinta su fondo y una línea entre cada dos filas visibles.
class Caja : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const auto& paleta = palette();
        const bool oscura = paleta.color(QPalette::Window).lightness() < 128;
        QColor fondo =
            oscura ? paleta.color(QPalette::Window).lighter(135) : paleta.color(QPalette::Base);
        QColor borde = Estilo::principal(paleta);
        borde.setAlphaF(oscura ? 0.10f : 0.09f);
        p.setPen(QPen(borde, 1));
        p.setBrush(fondo);
        p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 8, 8);
        p.setRenderHint(QPainter::Antialiasing, false);
        const QWidget* anterior = nullptr;
        for (auto* hijo : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
            if (!hijo->isVisibleTo(this)) continue;
            if (anterior) {
                const int y = (anterior->geometry().bottom() + hijo->geometry().top() + 1) / 2;
                p.drawLine(12, y, width() - 13, y);
            }
            anterior = hijo;
        }
    }
};

QLabel* cabeceraDe(const QString& texto) {
    auto* etiqueta = new QLabel(texto);
    auto fuente = etiqueta->font();
    fuente.setWeight(QFont::DemiBold);
    etiqueta->setFont(fuente);
    etiqueta->setContentsMargins(4, 0, 4, 0);
    return etiqueta;
}

} // namespace

Seccion::Seccion(const QString& cabecera, const QString& pie, QWidget* padre)
    : QWidget(padre)
    , caja(new Caja)
    , filas(new QVBoxLayout(caja))
    , pie_(Filas::nota(pie)) {
    auto* columna = new QVBoxLayout(this);
    columna->setContentsMargins(0, 0, 0, 0);
    columna->setSpacing(6);
    if (!cabecera.isEmpty()) columna->addWidget(cabeceraDe(cabecera));
    filas->setContentsMargins(12, 2, 12, 2);
    filas->setSpacing(1);
    columna->addWidget(caja);
    pie_->setContentsMargins(4, 0, 4, 0);
    Estilo::ponerTexto(*pie_, Estilo::pie(pie_->font()), Estilo::secundario(palette()));
    pie_->setVisible(!pie.isEmpty());
    columna->addWidget(pie_);
}

void Seccion::anadir(QWidget* fila) {
    filas->addWidget(fila);
}

void Seccion::ponerPie(const QString& texto) {
    pie_->setText(texto);
    pie_->setVisible(!texto.isEmpty());
}

namespace Filas {

QWidget* etiquetada(const QString& texto, QWidget* contenido) {
    auto* fila = new QWidget;
    fila->setMinimumHeight(36);
    auto* linea = new QHBoxLayout(fila);
    linea->setContentsMargins(0, 6, 0, 6);
    auto* etiqueta = new QLabel(texto);
    etiqueta->setBuddy(contenido);
    linea->addWidget(etiqueta);
    linea->addStretch(1);
    linea->addWidget(contenido);
    return fila;
}

QWidget* conInterruptor(Interruptor* interruptor) {
    auto* fila = etiquetada(interruptor->text(), interruptor);
    // Un clic en el texto también cambia el interruptor, como en una casilla.
    auto* etiqueta = fila->findChild<QLabel*>();
    etiqueta->setCursor(Qt::PointingHandCursor);
    etiqueta->installEventFilter(interruptor);
    return fila;
}

QLabel* nota(const QString& texto) {
    auto* etiqueta = new QLabel(texto);
    etiqueta->setWordWrap(true);
    etiqueta->setTextFormat(Qt::PlainText);
    Estilo::ponerTexto(*etiqueta, Estilo::llamada(etiqueta->font()),
                       Estilo::secundario(etiqueta->palette()));
    return etiqueta;
}

QWidget* enFila(std::initializer_list<QWidget*> elementos, int espacio) {
    auto* fila = new QWidget;
    auto* linea = new QHBoxLayout(fila);
    linea->setContentsMargins(0, 0, 0, 0);
    linea->setSpacing(espacio);
    for (auto* e : elementos)
        linea->addWidget(e, 0, Qt::AlignVCenter);
    return fila;
}

void enlazar(Interruptor& interruptor, AlmacenPreferencias& preferencias, const char* clave) {
    interruptor.reflejar(preferencias.boolean(clave));
    QObject::connect(&interruptor, &Interruptor::toggled, &preferencias,
                     [&preferencias, clave](bool valor) { preferencias.set(clave, valor); });
    QObject::connect(&preferencias, &AlmacenPreferencias::cambio, &interruptor,
                     [&interruptor, &preferencias, clave](const QString& cambiada) {
                         if (cambiada == QLatin1String(clave))
                             interruptor.reflejar(preferencias.boolean(clave));
                     });
}

} // namespace Filas

} // namespace rebisco
