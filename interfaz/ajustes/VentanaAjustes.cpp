#include "ajustes/VentanaAjustes.h"

#include "ajustes/AjustesGenerales.h"
#include "ajustes/AjustesHistorial.h"
#include "ajustes/AjustesPrivacidad.h"
#include "vista/Estilo.h"

#include <interfaz/Simbolos.h>
#include <rebisco/EstadoApp.h>
#include <rebisco/Textos.h>

#include <QGuiApplication>
#include <QTabBar>
#include <QVBoxLayout>

namespace rebisco {

namespace {

QIcon iconoDe(const QString& simbolo, const QPalette& paleta) {
    const auto dibujo = Simbolos::llamado(simbolo);
    return dibujo ? dibujo->icono(Estilo::principal(paleta)) : QIcon();
}

} // namespace

VentanaAjustes::VentanaAjustes(EstadoApp& estado, QWidget* padre)
    : QWidget(padre, Qt::Window)
    , estado(estado)
    , pestanas_(new QTabBar)
    , general_(new AjustesGenerales(estado))
    , historial_(new AjustesHistorial(estado))
    , privacidad_(new AjustesPrivacidad(estado)) {
    setWindowTitle(localizable("Ajustes de rebisco"));
    setAccessibleName(windowTitle());
    setFixedWidth(ancho);

    auto* columna = new QVBoxLayout(this);
    columna->setContentsMargins(0, 10, 0, 0);
    columna->setSpacing(0);
    pestanas_->setDrawBase(false);
    pestanas_->setExpanding(false);
    pestanas_->setIconSize({16, 16});
    pestanas_->addTab(iconoDe(QStringLiteral("gearshape"), palette()), localizable("General"));
    pestanas_->addTab(iconoDe(QStringLiteral("clock.arrow.circlepath"), palette()),
                      localizable("Historial"));
    pestanas_->addTab(iconoDe(QStringLiteral("hand.raised"), palette()), localizable("Privacidad"));
    columna->addWidget(pestanas_, 0, Qt::AlignHCenter);
    for (auto* pagina : {static_cast<QWidget*>(general_), static_cast<QWidget*>(historial_),
                         static_cast<QWidget*>(privacidad_)})
        columna->addWidget(pagina);

    connect(pestanas_, &QTabBar::currentChanged, this, [this](int indice) {
        this->estado.ponerPestanaAjustes(static_cast<PestanaAjustes>(indice));
        elegir(indice);
    });
    connect(&estado, &EstadoApp::cambioPestanaAjustes, this, [this] {
        pestanas_->setCurrentIndex(static_cast<int>(this->estado.pestanaAjustes()));
    });
    // Los permisos se vuelven a leer cada vez que rebisco vuelve a estar activo.
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState activo) {
                if (activo == Qt::ApplicationActive && isVisible())
                    this->estado.actualizarPermisos();
            });
    const int inicial = static_cast<int>(estado.pestanaAjustes());
    pestanas_->setCurrentIndex(inicial);
    elegir(inicial);
}

QWidget& VentanaAjustes::pagina(int indice) const {
    switch (indice) {
    case 0:
        return *general_;
    case 1:
        return *historial_;
    default:
        return *privacidad_;
    }
}

void VentanaAjustes::elegir(int indice) {
    // La pestaña que se deja se oculta: su grabador, si grababa, devuelve el atajo anterior.
    for (int i = 0; i < 3; ++i)
        pagina(i).setVisible(i == indice);
    ajustarAlto();
}

void VentanaAjustes::ajustarAlto() {
    if (auto* l = layout()) {
        l->activate();
        const int alto = l->totalHeightForWidth(ancho);
        if (alto > 0 && alto != height()) setFixedHeight(alto);
    }
}

bool VentanaAjustes::event(QEvent* evento) {
    const bool hecho = QWidget::event(evento);
    // Una fila que aparece o desaparece cambia el alto natural de la pestaña.
    if (evento->type() == QEvent::LayoutRequest) ajustarAlto();
    return hecho;
}

void VentanaAjustes::showEvent(QShowEvent* evento) {
    estado.actualizarPermisos();
    QWidget::showEvent(evento);
}

void VentanaAjustes::mostrar() {
    pestanas_->setCurrentIndex(static_cast<int>(estado.pestanaAjustes()));
    show();
    raise();
    activateWindow();
}

} // namespace rebisco
