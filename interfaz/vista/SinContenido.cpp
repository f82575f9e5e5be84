#include "vista/SinContenido.h"

#include "vista/Estilo.h"
#include "vista/IconoSimbolo.h"

#include "interfaz/Logotipo.h"
#include "interfaz/Marca.h"

#include <rebisco/EstadoApp.h>
#include <rebisco/Textos.h>

#include <QLabel>
#include <QVBoxLayout>

namespace rebisco {

SinContenido::SinContenido(EstadoApp& estado, QWidget* padre)
    : QWidget(padre)
    , estado(estado)
    , lupa(new IconoSimbolo(QStringLiteral("magnifyingglass"), QSizeF(44, 44), Estilo::secundario,
                            this))
    , marca(new IconoSimbolo(Marca::barraNormal(), QSizeF(60, 60), Estilo::secundario, this))
    , logotipo(new Logotipo(24, this))
    , titulo_(new QLabel(this))
    , descripcion_(new QLabel(this)) {
    auto* capa = new QVBoxLayout(this);
    capa->setContentsMargins(40, 0, 40, 0);
    capa->setSpacing(10);
    capa->addStretch(1);
    capa->addWidget(lupa, 0, Qt::AlignHCenter);
    capa->addWidget(marca, 0, Qt::AlignHCenter);
    capa->addWidget(logotipo, 0, Qt::AlignHCenter);
    capa->addSpacing(6);
    QFont fuerte = Estilo::titulo3(font());
    fuerte.setWeight(QFont::DemiBold);
    titulo_->setFont(fuerte);
    titulo_->setAlignment(Qt::AlignHCenter);
    titulo_->setTextFormat(Qt::PlainText);
    titulo_->setWordWrap(true);
    capa->addWidget(titulo_);
    descripcion_->setFont(Estilo::llamada(font()));
    descripcion_->setForegroundRole(QPalette::PlaceholderText);
    descripcion_->setAlignment(Qt::AlignHCenter);
    descripcion_->setTextFormat(Qt::PlainText);
    descripcion_->setWordWrap(true);
    capa->addWidget(descripcion_);
    capa->addStretch(1);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    actualizar();
}

QString SinContenido::titulo() const {
    return titulo_->text();
}

QString SinContenido::descripcion() const {
    return descripcion_->text();
}

void SinContenido::actualizar() {
    const bool buscando = !estado.busqueda().isEmpty();
    const bool vacio = estado.recortes().empty() && (buscando || !estado.errorAlmacen());
    setHidden(!vacio);
    if (!vacio) {
        titulo_->clear();
        descripcion_->clear();
        return;
    }
    lupa->setVisible(buscando);
    marca->setVisible(!buscando);
    logotipo->setVisible(!buscando);
    if (buscando) {
        titulo_->setText(
            localizable("Sin resultados para «%1»").arg(estado.busqueda().simplified()));
        descripcion_->setText(localizable("Revisa la ortografía o prueba con otra búsqueda."));
        return;
    }
    titulo_->setText(localizable("Aún no hay nada copiado"));
    descripcion_->setText(
        estado.problemaAtajo()
            ? localizable("Lo que copies aparecerá aquí.")
            : localizable(
                  "Lo que copies aparecerá aquí. Abre este panel desde cualquier app con ") +
                  estado.atajoTexto() + localizable(",\no elige otro atajo en Ajustes."));
}

} // namespace rebisco
