#include "vista/ListaHistorial.h"

#include "vista/AccesoFilas.h"
#include "vista/BarraSuperpuesta.h"
#include "vista/DelegadoFila.h"
#include "vista/ModeloRecortes.h"

#include "interfaz/Marca.h"

#include <rebisco/EstadoApp.h>
#include <rebisco/Textos.h>

#include <QContextMenuEvent>
#include <QMenu>
#include <QScrollBar>

namespace rebisco {

ListaHistorial::ListaHistorial(EstadoApp& estado, QWidget* padre)
    : QListView(padre)
    , estado_(estado)
    , modelo_(new ModeloRecortes(estado, this))
    , delegado_(new DelegadoFila(estado, this)) {
    AccesoFilas::instalar();
    setModel(modelo_);
    setItemDelegate(delegado_);
    setSelectionMode(NoSelection);
    // El teclado se queda siempre en el campo de búsqueda.
    setFocusPolicy(Qt::NoFocus);
    setFrameShape(NoFrame);
    setUniformItemSizes(false);
    setSpacing(1);
    setResizeMode(Adjust);
    setVerticalScrollMode(ScrollPerPixel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // La barra del estilo nunca se ve: la nuestra se superpone y se desvanece.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    verticalScrollBar()->setSingleStep(24);
    setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_Hover);
    // La tarjeta pinta el fondo.
    viewport()->setAutoFillBackground(false);
    setAutoFillBackground(false);
    setStyleSheet(QStringLiteral("QListView { background: transparent; }"));
    setViewportMargins(0, 5, 0, 5);
    barra_ = new BarraSuperpuesta(*verticalScrollBar(), this);

    connect(modelo_, &ModeloRecortes::antesDeSeguir, this, &ListaHistorial::recordarAncla);
    connect(modelo_, &ModeloRecortes::despuesDeSeguir, this, &ListaHistorial::volverAlAncla);
    connect(&estado, &EstadoApp::cambioSeleccion, this, &ListaHistorial::seguirSeleccion);
    seguirSeleccion();
}

void ListaHistorial::resizeEvent(QResizeEvent* evento) {
    QListView::resizeEvent(evento);
    barra_->setGeometry(width() - BarraSuperpuesta::ancho, 4, BarraSuperpuesta::ancho,
                        height() - 8);
}

void ListaHistorial::showEvent(QShowEvent* evento) {
    QListView::showEvent(evento);
    seguirSeleccion();
}

void ListaHistorial::seguirSeleccion() {
    viewport()->update();
    const auto id = estado_.seleccion();
    if (!id) return;
    if (const auto fila = modelo_->fila(*id)) {
        const QModelIndex indice = modelo_->index(*fila);
        executeDelayedItemsLayout();
        scrollTo(indice, EnsureVisible);
        AccesoFilas::anunciarSeleccion(*this, *fila);
    }
}

void ListaHistorial::recordarAncla() {
    ancla.reset();
    // Arriba del todo no hay nada que sujetar: lo nuevo se ve al llegar.
    if (verticalScrollBar()->value() <= 0) return;
    const QModelIndex arriba = indexAt(QPoint(viewport()->width() / 2, 1));
    // Por su id: la lista del estado ya es la nueva y las filas aún no.
    if (const auto id = modelo_->idDe(arriba.row())) ancla = Ancla{*id, visualRect(arriba).top()};
}

void ListaHistorial::volverAlAncla() {
    if (!ancla) return;
    const auto a = *ancla;
    ancla.reset();
    const auto fila = modelo_->fila(a.id);
    if (!fila) return;
    executeDelayedItemsLayout();
    const int ahora = visualRect(modelo_->index(*fila)).top();
    verticalScrollBar()->setValue(verticalScrollBar()->value() + ahora - a.arriba);
}

bool ListaHistorial::ejecutar(int fila, Accion accion) {
    const auto* r = modelo_->recorte(fila);
    if (!r) return false;
    // Una copia: la acción recarga la lista a la que apunta r.
    const nucleo::Recorte recorte = *r;
    switch (accion) {
    case Accion::pegar:
        estado_.pegar(recorte, false);
        break;
    case Accion::pegarSinFormato:
        estado_.pegar(recorte, true);
        break;
    case Accion::copiar:
        estado_.copiar(recorte);
        break;
    case Accion::alternarFijado:
        estado_.alternarFijado(recorte);
        break;
    case Accion::eliminar:
        estado_.eliminar(recorte);
        break;
    }
    return true;
}

QMenu* ListaHistorial::menuDe(int fila, QWidget* padre) {
    auto* menu = new QMenu(padre);
    const auto* r = modelo_->recorte(fila);
    if (!r) return menu;
    const std::int64_t id = r->id;
    // Cada acción busca la fila de nuevo: la lista pudo cambiar con el menú abierto.
    auto accion = [this, menu, id](const QString& texto, Accion a) {
        auto* act = menu->addAction(texto);
        connect(act, &QAction::triggered, this, [this, id, a] {
            if (const auto f = modelo_->fila(id)) ejecutar(*f, a);
        });
        return act;
    };
    accion(localizable("Pegar"), Accion::pegar);
    accion(localizable("Pegar sin formato"), Accion::pegarSinFormato);
    accion(localizable("Copiar"), Accion::copiar);
    menu->addSeparator();
    accion(r->fijado ? localizable("Soltar") : localizable("Fijar arriba"), Accion::alternarFijado);
    menu->addSeparator();
    accion(localizable("Eliminar"), Accion::eliminar)->setObjectName(QStringLiteral("destructiva"));
    QPalette paleta = menu->palette();
    Marca::aplicarAcento(paleta);
    menu->setPalette(paleta);
    return menu;
}

void ListaHistorial::mousePressEvent(QMouseEvent* evento) {
    const QModelIndex indice = indexAt(evento->position().toPoint());
    if (const auto* r = modelo_->recorte(indice)) estado_.ponerSeleccion(r->id);
    evento->accept();
}

void ListaHistorial::mouseDoubleClickEvent(QMouseEvent* evento) {
    const QModelIndex indice = indexAt(evento->position().toPoint());
    if (evento->button() == Qt::LeftButton && indice.isValid())
        ejecutar(indice.row(), Accion::pegar);
    evento->accept();
}

void ListaHistorial::contextMenuEvent(QContextMenuEvent* evento) {
    const QModelIndex indice = indexAt(evento->pos());
    const auto* r = modelo_->recorte(indice);
    if (!r) return;
    estado_.ponerSeleccion(r->id);
    QMenu* menu = menuDe(indice.row(), this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(evento->globalPos());
}

} // namespace rebisco
