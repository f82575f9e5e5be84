#include "vista/Pie.h"

#include "vista/Estilo.h"

#include "interfaz/Formato.h"

#include <rebisco/EstadoApp.h>
#include <rebisco/Textos.h>

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>

namespace rebisco {

Pie::Pie(EstadoApp& estado, QWidget* padre)
    : QWidget(padre)
    , estado(estado)
    , resumen(new QLabel(this)) {
    setFixedHeight(40);
    auto* capa = new QHBoxLayout(this);
    capa->setContentsMargins(20, 0, 20, 0);
    capa->setSpacing(14);
    resumen->setFont(Estilo::llamada(font()));
    resumen->setForegroundRole(QPalette::PlaceholderText);
    resumen->setTextFormat(Qt::PlainText);
    resumen->setMinimumWidth(0);
    resumen->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    capa->addWidget(resumen, 1);
    capa->addSpacing(12);
    capa->addWidget(new Leyenda(QStringLiteral("↩"), localizable("Pegar"), this));
    capa->addWidget(new Leyenda(localizable("Mayús+↩"), localizable("Sin formato"), this));
    capa->addWidget(new Leyenda(localizable("Ctrl+P"), localizable("Fijar"), this));
    capa->addWidget(new Leyenda(localizable("Ctrl+⌫"), localizable("Eliminar"), this));
    actualizar();
}

QString Pie::texto() const {
    if (const auto& aviso = estado.aviso()) return *aviso;
    if (!estado.busqueda().isEmpty())
        return Formato::resultados(static_cast<std::int64_t>(estado.recortes().size()));
    return Formato::recortes(estado.total());
}

void Pie::actualizar() {
    const QString t = texto();
    // Una línea: lo que no cabe se corta.
    resumen->setText(t.section(u'\n', 0, 0));
    resumen->setToolTip(t);
}

Leyenda::Leyenda(const QString& textoTecla, const QString& textoNombre, QWidget* padre)
    : QWidget(padre)
    , tecla(new QLabel(textoTecla, this))
    , nombre(new QLabel(textoNombre, this)) {
    auto* capa = new QHBoxLayout(this);
    capa->setContentsMargins(0, 0, 0, 0);
    capa->setSpacing(5);
    QFont f = Estilo::pie(font());
    nombre->setFont(f);
    f.setWeight(QFont::Medium);
    tecla->setFont(f);
    // El recuadro abraza la tecla: no se estira a lo alto del pie.
    tecla->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    capa->addWidget(tecla, 0, Qt::AlignVCenter);
    capa->addWidget(nombre, 0, Qt::AlignVCenter);
    pintar();
}

void Leyenda::changeEvent(QEvent* evento) {
    if (evento->type() == QEvent::PaletteChange) pintar();
    QWidget::changeEvent(evento);
}

void Leyenda::pintar() {
    const QColor texto = Estilo::secundario(palette());
    const QColor fondo = Estilo::cuaternario(palette());
    const auto rgba = [](const QColor& c) {
        return QStringLiteral("rgba(%1, %2, %3, %4)")
            .arg(c.red())
            .arg(c.green())
            .arg(c.blue())
            .arg(c.alpha());
    };
    tecla->setStyleSheet(QStringLiteral("QLabel { color: %1; background: %2; border-radius: 5px; "
                                        "padding: 2px 5px; }")
                             .arg(rgba(texto), rgba(fondo)));
    nombre->setStyleSheet(QStringLiteral("QLabel { color: %1; }").arg(rgba(texto)));
}

} // namespace rebisco
