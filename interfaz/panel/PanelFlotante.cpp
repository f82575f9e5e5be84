#include "PanelFlotante.h"

#include "FondoPanel.h"
#include "GeometriaPanel.h"

#include "rebisco/Textos.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QPainterPath>
#include <QRegion>
#include <QVBoxLayout>
#include <QWindow>

namespace rebisco {

namespace G = GeometriaPanel;

PanelFlotante::PanelFlotante(QWidget* padre)
    : QWidget(padre, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , fondo_(new FondoPanel(0, G::radio, this)) {
    setWindowTitle(localizable("Historial del portapapeles"));
    setAccessibleName(windowTitle());
    auto* capa = new QVBoxLayout(this);
    capa->setContentsMargins(0, 0, 0, 0);
    capa->addWidget(fondo_);
    new QVBoxLayout(fondo_);
    ponerCompositor(false);
}

void PanelFlotante::ponerContenido(QWidget* contenido) {
    auto* capa = fondo_->layout();
    while (auto* elemento = capa->takeAt(0)) {
        delete elemento->widget();
        delete elemento;
    }
    capa->addWidget(contenido);
}

void PanelFlotante::ponerCompositor(bool con) {
    if (configurado && con == compositor) return;
    configurado = true;
    compositor = con;
    const int m = G::margenCon(con);
    // La ventana nativa guarda su visual: con o sin canal alfa se decide al crearla.
    const bool visible = isVisible();
    if (testAttribute(Qt::WA_WState_Created)) {
        if (visible) hide();
        destroy();
    }
    setAttribute(Qt::WA_TranslucentBackground, con);
    setAttribute(Qt::WA_NoSystemBackground, con);
    fondo_->ponerMargen(m);
    fondo_->layout()->setContentsMargins(m, m, m, m);
    setFixedSize(G::anchoTarjeta + 2 * m, G::altoTarjeta + 2 * m);
    aplicarForma();
    if (visible) show();
}

void PanelFlotante::aplicarForma() {
    if (compositor) {
        clearMask();
        return;
    }
    QPainterPath camino;
    camino.addRoundedRect(QRectF(rect()), G::radio, G::radio);
    setMask(QRegion(camino.toFillPolygon().toPolygon()));
}

void PanelFlotante::resizeEvent(QResizeEvent* evento) {
    QWidget::resizeEvent(evento);
    aplicarForma();
}

void PanelFlotante::showEvent(QShowEvent* evento) {
    QWidget::showEvent(evento);
    // La ventana de Qt se rehace cuando cambia el compositor: se vigila la de ahora.
    if (windowHandle() != vigilada) {
        vigilada = windowHandle();
        if (vigilada) vigilada->installEventFilter(this);
    }
    exponiendo = true;
}

bool PanelFlotante::ofrecer(QEvent& evento) {
    if (evento.type() != QEvent::KeyPress || !alTeclear) return false;
    return alTeclear(static_cast<QKeyEvent&>(evento));
}

bool PanelFlotante::eventFilter(QObject* objeto, QEvent* evento) {
    if (objeto == vigilada) {
        if (evento->type() == QEvent::Expose && exponiendo && vigilada->isExposed()) {
            exponiendo = false;
            emit expuesta();
        }
        if (ofrecer(*evento)) return true;
    }
    return QWidget::eventFilter(objeto, evento);
}

void PanelFlotante::entregar(QEvent& evento) {
    if (ofrecer(evento)) return;
    if (QWidget* foco = focusWidget())
        QCoreApplication::sendEvent(foco, &evento);
    else
        QCoreApplication::sendEvent(this, &evento);
}

bool PanelFlotante::event(QEvent* evento) {
    if (evento->type() == QEvent::WindowActivate) emit activada();
    if (evento->type() == QEvent::WindowDeactivate) emit desactivada();
    return QWidget::event(evento);
}

} // namespace rebisco
