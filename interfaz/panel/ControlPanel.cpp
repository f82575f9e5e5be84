#include "ControlPanel.h"

#include "panel/CampoBusqueda.h"
#include "panel/FondoPanel.h"
#include "panel/GeometriaPanel.h"
#include "panel/PanelFlotante.h"
#include "vista/VistaHistorial.h"

#include "rebisco/EstadoApp.h"

#include <QApplication>
#include <QBuffer>
#include <QCursor>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPixmap>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <cstdio>
#include <cstdlib>

namespace rebisco {

namespace {

// No posee nada: apunta al controlador vivo, si lo hay.
ControlPanel* vivo = nullptr;

// Una ventana propia con barra de título (los ajustes) a la vista.
bool hayVentanaTituladaVisible(const QWidget* salvo) {
    for (const QWidget* w : QApplication::topLevelWidgets()) {
        if (w == salvo || !w->isVisible() || w->windowFlags() & Qt::FramelessWindowHint) continue;
        const auto tipo = w->windowType();
        if (tipo == Qt::Window || tipo == Qt::Dialog) return true;
    }
    return false;
}

QByteArray enPNG(const QImage& imagen) {
    if (imagen.isNull()) return {};
    QByteArray datos;
    QBuffer salida(&datos);
    salida.open(QIODevice::WriteOnly);
    if (!imagen.save(&salida, "PNG")) return {};
    return datos;
}

} // namespace

ControlPanel::ControlPanel(EstadoApp& estado, FabricaContenido fabrica, QObject* padre)
    : QObject(padre)
    , estado(estado)
    , fabrica(std::move(fabrica)) {
    if (!this->fabrica)
        this->fabrica = [](EstadoApp& e, ControlPanel& c) { return new VistaHistorial(e, c); };
    vivo = this;
}

ControlPanel::~ControlPanel() {
    if (vivo == this) vivo = nullptr;
    if (observador) escritorio().dejarDeObservar(*observador);
}

ControlPanel& ControlPanel::compartido() {
    if (!vivo) {
        std::fputs("rebisco: ControlPanel::compartido() sin un controlador vivo\n", stderr);
        std::abort();
    }
    return *vivo;
}

plataforma::Escritorio& ControlPanel::escritorio() const {
    return estado.plataforma().escritorio();
}

void ControlPanel::conectar() {
    QPointer<ControlPanel> yo = this;
    estado.alternarPanel = [yo] {
        if (!yo) return;
        if (yo->visible())
            yo->ocultar();
        else
            yo->mostrar();
    };
    estado.ocultarPanel = [yo] {
        if (yo) yo->ocultar();
    };
    estado.appEnPrimerPlano = [yo] { return yo && yo->appEnPrimerPlano(); };

    if (observador) return;
    if (const auto activa = escritorio().ventanaActiva();
        activa && activa->pid != escritorio().pidPropio())
        appAnterior_ = activa;
    observador = escritorio().observar([yo] {
        if (yo) yo->alCambiarEscritorio();
    });
}

void ControlPanel::alCambiarEscritorio() {
    const auto activa = escritorio().ventanaActiva();
    const bool propia = activa && activa->pid == escritorio().pidPropio();
    if (activa && !propia) appAnterior_ = activa;
    if (!panel_) return;
    if (!panel_->isVisible()) {
        panel_->ponerCompositor(escritorio().hayCompositor());
        return;
    }
    if (propia && activa->id == panel_->winId()) estuvoActivo = true;
    // Otra aplicación tomó la activación después de que el panel la tuviera.
    if (activa && !propia && estuvoActivo) alDesactivarse();
}

bool ControlPanel::visible() const {
    return panel_ && panel_->isVisible();
}

bool ControlPanel::appEnPrimerPlano() const {
    const auto activa = escritorio().ventanaActiva();
    return activa && activa->pid == escritorio().pidPropio();
}

PanelFlotante& ControlPanel::crear() {
    panel_ = std::make_unique<PanelFlotante>();
    panel_->ponerContenido(fabrica(estado, *this));
    QPointer<ControlPanel> yo = this;
    panel_->fondo().alTocarLaSombra = [yo] {
        if (yo) yo->ocultar();
    };
    panel_->alTeclear = [yo](QKeyEvent& evento) { return yo && yo->atender(evento); };
    connect(panel_.get(), &PanelFlotante::expuesta, this, [this] {
        // Antes de que el gestor la tenga, pedir que se active no sirve de nada.
        if (panel_) escritorio().activar(panel_->winId());
    });
    connect(panel_.get(), &PanelFlotante::activada, this, [this] { estuvoActivo = true; });
    connect(panel_.get(), &PanelFlotante::desactivada, this, &ControlPanel::alDesactivarse);
    return *panel_;
}

void ControlPanel::preparar() {
    if (!panel_) crear();
    estado.quitarAviso();
    // También vacía el campo, aunque la búsqueda ya estuviera vacía.
    estado.buscar(QString(), false);
    estado.actualizarPermisos();
    estado.recargar(false);
    panel_->ponerCompositor(escritorio().hayCompositor());
}

void ControlPanel::mostrar() {
    preparar();
    QScreen* pantalla = QGuiApplication::screenAt(QCursor::pos());
    colocar(pantalla ? pantalla : QGuiApplication::primaryScreen());
    estuvoActivo = false;
    // El gestor olvida los estados de una ventana retirada: se piden antes de cada vez.
    escritorio().prepararFlotante(panel_->winId());
    // Detrás de la tarjeta (en coordenadas de la ventana), no de la sombra.
    namespace G = GeometriaPanel;
    const QRect tarjeta = panel_->conCompositor()
                              ? QRect(G::margen, G::margen, G::anchoTarjeta, G::altoTarjeta)
                              : QRect();
    escritorio().desenfocarDetras(panel_->winId(), tarjeta.x(), tarjeta.y(), tarjeta.width(),
                                  tarjeta.height());
    panel_->show();
    panel_->raise();
    panel_->activateWindow();

    estado.enfocarCampo();
    QTimer::singleShot(0, this, [this] { estado.enfocarCampo(); });
}

void ControlPanel::colocar(QScreen* pantalla) {
    if (!pantalla) return; // sin pantallas se queda donde estaba
    const QRect tarjeta = GeometriaPanel::tarjetaEn(pantalla->availableGeometry());
    panel_->setGeometry(GeometriaPanel::marcoPara(tarjeta, panel_->conCompositor()));
}

void ControlPanel::ocultar() {
    if (!visible()) return;
    panel_->hide();
    devolverPrimerPlano();
}

void ControlPanel::alDesactivarse() {
    // Mientras se hacen las fotos, el panel sigue a la vista aunque pierda el foco.
    if (estado.entorno().instantanea) return;
    ocultar();
}

void ControlPanel::devolverPrimerPlano() {
    // Si ya está activa la ventana de otro, nunca perdió el foco o el gestor ya eligió.
    const auto activa = escritorio().ventanaActiva();
    if (activa && activa->pid != escritorio().pidPropio()) return;
    // El usuario trabaja en una ventana propia, como los ajustes.
    if (hayVentanaTituladaVisible(panel_.get())) return;
    // Si la anterior ya no existe, el gestor de ventanas elige.
    if (appAnterior_) escritorio().activar(appAnterior_->id);
}

QMenu* ControlPanel::menuSinBandeja() const {
    return menuSinBandeja_;
}

void ControlPanel::ponerMenuSinBandeja(QMenu* menu) {
    if (menuSinBandeja_ == menu) return;
    menuSinBandeja_ = menu;
    emit cambioMenuSinBandeja();
}

void ControlPanel::entregar(QEvent& evento) {
    if (!panel_) crear();
    panel_->entregar(evento);
}

void ControlPanel::mostrarParaPruebas() {
    preparar();
    panel_->move(-4000, -4000);
    panel_->setAttribute(Qt::WA_ShowWithoutActivating);
    panel_->show();
    panel_->setAttribute(Qt::WA_ShowWithoutActivating, false);
}

QByteArray ControlPanel::instantanea() {
    preparar();
    if (!panel_->isVisible()) colocar(QGuiApplication::primaryScreen());
    return enPNG(panel_->grab().toImage());
}

QByteArray ControlPanel::capturaReal(bool conFondo) {
    mostrar();
    QScreen* principal = QGuiApplication::primaryScreen();
    if (!principal) return {};
    colocar(principal);
    // Hasta que el servidor la pinte, la pantalla aún no la tiene.
    QElapsedTimer plazo;
    plazo.start();
    while (!panel_->isVisible() || !panel_->windowHandle() ||
           !panel_->windowHandle()->isExposed()) {
        if (plazo.elapsed() > 2000) return {};
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    panel_->repaint();
    QCoreApplication::processEvents(QEventLoop::AllEvents, 100);
    const QRect marco = panel_->frameGeometry();
    const QPixmap foto = conFondo ? principal->grabWindow(0, marco.x() - principal->geometry().x(),
                                                          marco.y() - principal->geometry().y(),
                                                          marco.width(), marco.height())
                                  : principal->grabWindow(panel_->winId());
    if (foto.isNull()) return {};
    return enPNG(foto.toImage());
}

} // namespace rebisco
