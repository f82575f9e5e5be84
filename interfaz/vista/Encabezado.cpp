#include "vista/Encabezado.h"

#include "vista/Estilo.h"
#include "vista/IconoSimbolo.h"

#include "bandeja/EtiquetaBarra.h"
#include "interfaz/Marca.h"
#include "interfaz/Simbolos.h"
#include "panel/CampoBusqueda.h"

#include <rebisco/EstadoApp.h>
#include <rebisco/Textos.h>

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>

namespace rebisco {

Encabezado::Encabezado(EstadoApp& estado, QWidget* padre)
    : QWidget(padre)
    , estado(estado)
    , campo_(new CampoBusqueda(this))
    , pausa(new QWidget(this))
    , borrar_(new QToolButton(this))
    , menu_(new QToolButton(this)) {
    setFixedHeight(56);
    auto* capa = new QHBoxLayout(this);
    capa->setContentsMargins(20, 0, 20, 0);
    capa->setSpacing(10);

    const QFont grande = Estilo::titulo2(font());
    const qreal lado = QFontMetricsF(grande).height() * 0.9;
    capa->addWidget(new IconoSimbolo(QStringLiteral("magnifyingglass"), QSizeF(lado, lado),
                                     Estilo::secundario, this));

    campo_->setFrame(false);
    campo_->setFont(grande);
    campo_->setFixedHeight(std::max(28, QFontMetrics(grande).height() + 4));
    campo_->setPlaceholderText(localizable("Buscar en el historial"));
    campo_->setAccessibleName(localizable("Buscar en el historial"));
    campo_->setAttribute(Qt::WA_MacShowFocusRect, false);
    campo_->setStyleSheet(QStringLiteral("QLineEdit { background: transparent; border: none; }"));
    capa->addWidget(campo_, 1);

    auto* capaPausa = new QHBoxLayout(pausa);
    capaPausa->setContentsMargins(0, 0, 0, 0);
    capaPausa->setSpacing(5);
    const QFont llamada = Estilo::llamada(font());
    const qreal ladoPausa = QFontMetricsF(llamada).height();
    capaPausa->addWidget(new IconoSimbolo(QStringLiteral("pause.circle.fill"),
                                          QSizeF(ladoPausa, ladoPausa), Estilo::secundario, pausa));
    auto* textoPausa = new QLabel(localizable("En pausa"), pausa);
    textoPausa->setFont(llamada);
    textoPausa->setForegroundRole(QPalette::PlaceholderText);
    capaPausa->addWidget(textoPausa);
    capa->addWidget(pausa);

    borrar_->setAutoRaise(true);
    borrar_->setFocusPolicy(Qt::NoFocus);
    borrar_->setAccessibleName(localizable("Borrar la búsqueda"));
    borrar_->setToolTip(localizable("Borrar la búsqueda"));
    borrar_->setCursor(Qt::ArrowCursor);
    borrar_->setStyleSheet(
        QStringLiteral("QToolButton { border: none; background: transparent; }"));
    connect(borrar_, &QToolButton::clicked, this,
            [this] { this->estado.buscar(QString(), false); });
    capa->addWidget(borrar_);

    menu_->setAutoRaise(true);
    menu_->setFocusPolicy(Qt::NoFocus);
    menu_->setCursor(Qt::ArrowCursor);
    menu_->setStyleSheet(QStringLiteral("QToolButton { border: none; background: transparent; }"));
    menu_->hide();
    // Abierto sin bucle propio (no como el menú de un QToolButton): el panel sigue atendiendo
    // al estado mientras tanto.
    connect(menu_, &QToolButton::clicked, this, [this] {
        if (!menuDelBoton_) return;
        const QPoint abajo = menu_->mapToGlobal(QPoint(menu_->width(), menu_->height()));
        menuDelBoton_->popup(abajo - QPoint(menuDelBoton_->sizeHint().width(), 0));
    });
    capa->addWidget(menu_);
    pintarBotones();

    // Lo que el usuario escribe filtra la lista; el campo solo cambia por él y por el estado.
    connect(campo_, &QLineEdit::textEdited, this, [this](const QString& texto) {
        if (texto != this->estado.busqueda()) this->estado.buscar(texto, true);
    });
    actualizar();
}

void Encabezado::pintarBotones() {
    const qreal lado = QFontMetricsF(Estilo::titulo3(font())).height();
    if (const auto simbolo = Simbolos::llamado(QStringLiteral("xmark.circle.fill")))
        borrar_->setIcon(simbolo->icono(Estilo::secundario(palette())));
    borrar_->setIconSize(QSizeF(lado, lado).toSize());

    // El mismo símbolo y el mismo nombre que el icono de la bandeja, a la que sustituye.
    const bool pausado = estado.pausado();
    const auto& barra = pausado ? Marca::barraPausa() : Marca::barraNormal();
    menu_->setIcon(barra.icono(Estilo::secundario(palette())));
    const qreal ladoMenu = QFontMetricsF(Estilo::titulo2(font())).height();
    menu_->setIconSize(QSizeF(ladoMenu, ladoMenu).toSize());
    menu_->setAccessibleName(EtiquetaBarra::nombre(pausado));
    menu_->setToolTip(EtiquetaBarra::nombre(pausado));
}

void Encabezado::ponerMenu(QMenu* menu) {
    menuDelBoton_ = menu;
    menu_->setVisible(menu != nullptr);
}

void Encabezado::changeEvent(QEvent* evento) {
    if (evento->type() == QEvent::PaletteChange) pintarBotones();
    QWidget::changeEvent(evento);
}

void Encabezado::actualizar() {
    pausa->setVisible(estado.pausado());
    borrar_->setVisible(!estado.busqueda().isEmpty());
    pintarBotones();
}

} // namespace rebisco
