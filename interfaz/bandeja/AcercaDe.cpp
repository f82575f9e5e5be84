#include "bandeja/AcercaDe.h"

#include "ajustes/FrasePrivacidad.h"
#include "vista/Estilo.h"

#include <interfaz/Marca.h>
#include <rebisco/Textos.h>

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace rebisco {

QString AcercaDe::version() {
    return QStringLiteral(REBISCO_VERSION);
}

AcercaDe::AcercaDe(const Entorno& entorno, QWidget* padre)
    : QDialog(padre)
    , nombre_(new QLabel(QStringLiteral("rebisco")))
    , version_(new QLabel(localizable("Versión %1").arg(version())))
    , privacidad_(new QLabel(frasePrivacidad(entorno)))
    , cerrar_(new QPushButton(localizable("Cerrar"))) {
    setWindowTitle(localizable("Acerca de rebisco"));
    setAccessibleName(windowTitle());
    QPalette paleta = palette();
    Marca::aplicarAcento(paleta);
    setPalette(paleta);

    auto* columna = new QVBoxLayout(this);
    columna->setContentsMargins(28, 24, 28, 18);
    columna->setSpacing(6);

    auto* icono = new QLabel;
    const int lado = 96;
    icono->setPixmap(Marca::iconoApp().pixmap(QSize(lado, lado), devicePixelRatio()));
    icono->setFixedSize(lado, lado);
    columna->addWidget(icono, 0, Qt::AlignHCenter);
    columna->addSpacing(6);

    QFont grande = Estilo::titulo2(font());
    grande.setWeight(QFont::DemiBold);
    nombre_->setFont(grande);
    columna->addWidget(nombre_, 0, Qt::AlignHCenter);
    Estilo::ponerTexto(*version_, font(), Estilo::secundario(palette()));
    version_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    columna->addWidget(version_, 0, Qt::AlignHCenter);
    columna->addSpacing(12);

    Estilo::ponerTexto(*privacidad_, Estilo::llamada(font()), Estilo::secundario(palette()));
    privacidad_->setWordWrap(true);
    privacidad_->setAlignment(Qt::AlignHCenter);
    // Una carpeta larga parte la frase, nunca ensancha el diálogo.
    privacidad_->setFixedWidth(300);
    columna->addWidget(privacidad_, 0, Qt::AlignHCenter);
    columna->addSpacing(14);

    auto* botones = new QHBoxLayout;
    botones->addStretch(1);
    cerrar_->setDefault(true);
    botones->addWidget(cerrar_);
    columna->addLayout(botones);
    connect(cerrar_, &QPushButton::clicked, this, &QDialog::accept);

    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

} // namespace rebisco
