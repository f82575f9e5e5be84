#include "bandeja/EtiquetaBarra.h"

#include "interfaz/Marca.h"

#include <rebisco/EstadoApp.h>
#include <rebisco/Textos.h>

#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QMenu>

namespace rebisco {

EtiquetaBarra::EtiquetaBarra(EstadoApp& estado, QMenu& menu, QMenu& menuDbus, QObject* padre)
    : QObject(padre)
    , estado(estado)
    , menu(menu) {
    // Con la bandeja de D-Bus, Qt le da al menú del ítem su versión de plataforma.
    icono_.setContextMenu(&menuDbus);
    if (!menuDbus.platformMenu()) icono_.setContextMenu(&menu);
    // El clic principal abre el mismo menú que el secundario, donde estaba el puntero.
    connect(&icono_, &QSystemTrayIcon::activated, this, [this](auto razon) {
        if (razon == QSystemTrayIcon::Trigger) this->menu.popup(QCursor::pos());
    });
    connect(&estado, &EstadoApp::cambioPausado, this, &EtiquetaBarra::actualizar);
    // La plantilla se tiñe con el texto del tema, que puede cambiar mientras corre: Qt lo
    // anuncia a la aplicación.
    qApp->installEventFilter(this);
    actualizar();
}

QString EtiquetaBarra::nombre(bool pausado) {
    return pausado ? localizable("rebisco, en pausa") : QStringLiteral("rebisco");
}

bool EtiquetaBarra::eventFilter(QObject* objeto, QEvent* evento) {
    if (objeto == qApp && evento->type() == QEvent::ApplicationPaletteChange) actualizar();
    return QObject::eventFilter(objeto, evento);
}

void EtiquetaBarra::actualizar() {
    const bool pausado = estado.pausado();
    const auto& simbolo = pausado ? Marca::barraPausa() : Marca::barraNormal();
    icono_.setIcon(simbolo.icono(QGuiApplication::palette().color(QPalette::WindowText)));
    icono_.setToolTip(nombre(pausado));
}

} // namespace rebisco
