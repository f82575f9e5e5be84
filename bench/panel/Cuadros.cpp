#include "Cuadros.h"

#include <QGuiApplication>
#include <xcb/xcb.h>

#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <QWindow>

#include <cstdio>
#include <cstdlib>

namespace medicion_panel {

Cuadros::Cuadros(const QElapsedTimer& reloj, std::function<bool(const QWidget*)> esVigilada,
                 QObject* padre)
    : QObject(padre)
    , reloj(reloj)
    , esVigilada(std::move(esVigilada)) {
    QCoreApplication::instance()->installEventFilter(this);
}

void Cuadros::vigilarZona(QWidget* z) {
    zona = z;
}

namespace {

// Un viaje de ida y vuelta por la conexión de Qt: lo que Qt mandó antes ya está hecho.
void esperarAlServidor() {
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection()) return;
    auto* c = x11->connection();
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
}

// El widget de nivel superior al que va el evento: él mismo o el dueño de su QWindow.
const QWidget* deVentana(QObject* objeto) {
    if (const auto* w = qobject_cast<QWidget*>(objeto)) return w->isWindow() ? w : nullptr;
    if (const auto* v = qobject_cast<QWindow*>(objeto))
        for (const auto* w : QApplication::topLevelWidgets())
            if (w->windowHandle() == v) return w;
    return nullptr;
}

} // namespace

bool Cuadros::eventFilter(QObject* objeto, QEvent* evento) {
    const auto tipo = evento->type();
    if (tipo == QEvent::Paint && dentro) {
        algoPintado = true;
        if (objeto == zona) zonaPintada = true;
    }
    if ((tipo != QEvent::UpdateRequest && tipo != QEvent::Expose) || dentro) return false;
    if (!esVigilada(deVentana(objeto))) return false;
    // Se entrega aquí mismo, sin este filtro, y se mide hasta que vuelve: para entonces lo
    // pintado ya está volcado en el servidor.
    dentro = true;
    algoPintado = false;
    zonaPintada = false;
    const double inicio = static_cast<double>(reloj.nsecsElapsed()) / 1e6;
    QCoreApplication::sendEvent(objeto, evento);
    if (algoPintado) esperarAlServidor();
    const double fin = static_cast<double>(reloj.nsecsElapsed()) / 1e6;
    dentro = false;
    ultimo_ = {.numero = ultimo_.numero + 1,
               .inicio = inicio,
               .fin = fin,
               .pintoAlgo = algoPintado,
               .pintoLaZona = zonaPintada};
    static const bool traza = std::getenv("REBISCO_BENCH_TRAZA") != nullptr;
    if (traza)
        std::fprintf(stderr, "cuadro %d %s %.2f-%.2f algo=%d zona=%d\n", int(tipo),
                     objeto->metaObject()->className(), inicio, fin, algoPintado, zonaPintada);
    return true;
}

} // namespace medicion_panel
