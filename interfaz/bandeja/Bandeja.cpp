#include "bandeja/Bandeja.h"

#include "bandeja/AcercaDe.h"
#include "bandeja/EtiquetaBarra.h"
#include "bandeja/MenuBarra.h"
#include "panel/ControlPanel.h"

#include <rebisco/EstadoApp.h>

#include <QSystemTrayIcon>

namespace rebisco {

Bandeja::Bandeja(EstadoApp& estado, ControlPanel& control, std::function<void()> abrirAjustes,
                 std::function<void()> salir, QObject* padre)
    : QObject(padre)
    , estado(estado)
    , control(control) {
    const MenuBarra::Acciones acciones{.abrirAjustes = abrirAjustes,
                                       .acercaDe = [this] { mostrarAcercaDe(); },
                                       .salir = std::move(salir)};
    menu_ = std::make_unique<MenuBarra>(estado, control, acciones);
    menuDbus_ = std::make_unique<MenuBarra>(estado, control, acciones, MenuBarra::Destino::dbus);
    etiqueta_ = std::make_unique<EtiquetaBarra>(estado, *menu_, *menuDbus_);
    // Las teclas del panel y los botones de sus avisos abren los ajustes como el menú.
    control.abrirAjustes = std::move(abrirAjustes);

    reloj.setInterval(vigilancia);
    reloj.setTimerType(Qt::CoarseTimer);
    connect(&reloj, &QTimer::timeout, this, &Bandeja::comprobar);
    reloj.start();
    etiqueta_->icono().show();
    comprobar();
}

Bandeja::~Bandeja() {
    if (control.menuSinBandeja() == menu_.get()) control.ponerMenuSinBandeja(nullptr);
}

// Una bandeja XEmbed que aparece después la sigue Qt con el icono; el botón del encabezado
// se va entonces. Ya con bandeja no se pregunta más: con la de D-Bus, cada pregunta son
// llamadas que esperan respuesta en este hilo.
void Bandeja::comprobar() {
    enBandeja_ = QSystemTrayIcon::isSystemTrayAvailable();
    if (enBandeja_) reloj.stop();
    control.ponerMenuSinBandeja(enBandeja_ ? nullptr : menu_.get());
}

void Bandeja::mostrarAcercaDe() {
    if (!acercaDe_) acercaDe_ = std::make_unique<AcercaDe>(estado.entorno());
    acercaDe_->show();
    acercaDe_->raise();
    acercaDe_->activateWindow();
}

} // namespace rebisco
