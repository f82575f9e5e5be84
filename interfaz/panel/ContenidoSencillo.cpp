#include "ContenidoSencillo.h"

#include "CampoBusqueda.h"

#include "rebisco/EstadoApp.h"
#include "rebisco/Textos.h"

#include <QListWidget>
#include <QPointer>
#include <QVBoxLayout>

namespace rebisco {

ContenidoSencillo::ContenidoSencillo(EstadoApp& estado, QWidget* padre)
    : QWidget(padre)
    , estado(estado)
    , campo_(new CampoBusqueda(this))
    , lista_(new QListWidget(this)) {
    auto* capa = new QVBoxLayout(this);
    capa->setContentsMargins(16, 16, 16, 16);
    campo_->setPlaceholderText(localizable("Buscar"));
    capa->addWidget(campo_);
    // El teclado se queda siempre en el campo.
    lista_->setFocusPolicy(Qt::NoFocus);
    lista_->setFrameShape(QFrame::NoFrame);
    // La tarjeta pinta el fondo.
    lista_->viewport()->setAutoFillBackground(false);
    lista_->setStyleSheet(QStringLiteral("QListWidget { background: transparent; }"));
    capa->addWidget(lista_);

    connect(campo_, &QLineEdit::textEdited, this,
            [this](const QString& texto) { this->estado.buscar(texto, true); });
    connect(&estado, &EstadoApp::cambioRecortes, this, &ContenidoSencillo::rehacerLista);
    connect(&estado, &EstadoApp::cambioSeleccion, this, &ContenidoSencillo::seguirSeleccion);
    connect(lista_, &QListWidget::currentRowChanged, this, [this](int fila) {
        const auto& recortes = this->estado.recortes();
        if (fila >= 0 && static_cast<std::size_t>(fila) < recortes.size())
            this->estado.ponerSeleccion(recortes[static_cast<std::size_t>(fila)].id);
    });

    QPointer<CampoBusqueda> campo = campo_;
    estado.fijarTextoDelCampo = [campo](const QString& texto) {
        if (campo) campo->setText(texto);
    };
    estado.enfocarCampo = [campo] {
        if (campo) campo->setFocus(Qt::OtherFocusReason);
    };
    rehacerLista();
}

void ContenidoSencillo::rehacerLista() {
    const QSignalBlocker bloqueo(lista_);
    lista_->clear();
    for (const auto& recorte : estado.recortes())
        lista_->addItem(QString::fromStdString(recorte.vista).section(QLatin1Char('\n'), 0, 0));
    seguirSeleccion();
}

void ContenidoSencillo::seguirSeleccion() {
    const QSignalBlocker bloqueo(lista_);
    const auto& recortes = estado.recortes();
    int fila = -1;
    for (std::size_t i = 0; i < recortes.size(); ++i)
        if (estado.seleccion() == recortes[i].id) fila = static_cast<int>(i);
    lista_->setCurrentRow(fila);
}

} // namespace rebisco
