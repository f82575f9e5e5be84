#include "ajustes/AjustesPrivacidad.h"

#include "ajustes/ElegirApps.h"
#include "ajustes/FrasePrivacidad.h"
#include "ajustes/Interruptor.h"
#include "ajustes/Seccion.h"
#include "vista/Estilo.h"

#include <interfaz/Iconos.h>
#include <interfaz/Simbolos.h>
#include <plataforma/EntradasEscritorio.h>
#include <rebisco/AppsExcluidas.h>
#include <rebisco/EstadoApp.h>
#include <rebisco/Textos.h>

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace rebisco {

namespace {

constexpr int rolId = Qt::UserRole;

} // namespace

int AjustesPrivacidad::altoDeLista(int filas) {
    return std::min(150, 28 * filas + 8);
}

AjustesPrivacidad::AjustesPrivacidad(EstadoApp& estado, QWidget* padre)
    : QWidget(padre)
    , estado(estado) {
    auto& prefs = estado.preferencias();
    auto* columna = new QVBoxLayout(this);
    columna->setContentsMargins(20, 16, 20, 20);
    columna->setSpacing(18);

    auto* captura = new Seccion(QString(), localizable("Los gestores de contraseñas marcan lo que "
                                                       "copian para que no quede en ningún "
                                                       "historial."));
    pausa_ = new Interruptor(localizable("Pausar la captura"));
    pausa_->reflejar(estado.pausado());
    connect(pausa_, &Interruptor::toggled, &estado, &EstadoApp::ponerPausa);
    connect(&estado, &EstadoApp::cambioPausado, pausa_,
            [this] { pausa_->reflejar(this->estado.pausado()); });
    captura->anadir(Filas::conInterruptor(pausa_));
    auto* confidencial = new Interruptor(localizable("Ignorar lo marcado como confidencial"));
    Filas::enlazar(*confidencial, prefs, Preferencias::ignorarConfidencial);
    captura->anadir(Filas::conInterruptor(confidencial));
    columna->addWidget(captura);

    auto* excluidas = new Seccion(
        localizable("Apps excluidas"),
        localizable("Lo que copies mientras una de estas apps está en primer plano no se guarda."));
    auto* contenido = new QWidget;
    auto* pila = new QVBoxLayout(contenido);
    pila->setContentsMargins(0, 8, 0, 8);
    pila->setSpacing(8);
    lista_ = new QListWidget;
    lista_->setSelectionMode(QAbstractItemView::SingleSelection);
    lista_->setIconSize({18, 18});
    lista_->setUniformItemSizes(true);
    lista_->setFrameShape(QFrame::NoFrame);
    lista_->setAccessibleName(localizable("Apps excluidas"));
    ninguna_ = new QLabel(localizable("Ninguna"));
    Estilo::ponerTexto(*ninguna_, ninguna_->font(), Estilo::secundario(ninguna_->palette()));
    pila->addWidget(lista_);
    pila->addWidget(ninguna_);
    anadir_ = new QPushButton(localizable("Añadir app…"));
    quitar_ = new QPushButton(localizable("Quitar"));
    for (auto* boton : {anadir_, quitar_})
        boton->setMinimumWidth(boton->sizeHint().width() + 16);
    auto* botones = new QHBoxLayout;
    botones->addWidget(anadir_);
    botones->addWidget(quitar_);
    botones->addStretch(1);
    pila->addLayout(botones);
    excluidas->anadir(contenido);
    columna->addWidget(excluidas);

    auto* permisos =
        new Seccion(localizable("Permisos del sistema"), frasePrivacidad(estado.entorno()));
    pie_ = permisos->pie();
    acceso_ = new QLabel;
    Estilo::ponerTexto(*acceso_, acceso_->font(), Estilo::secundario(acceso_->palette()));
    permisos->anadir(Filas::etiquetada(localizable("Leer el portapapeles"), acceso_));
    columna->addWidget(permisos);
    columna->addStretch(1);

    connect(anadir_, &QPushButton::clicked, this, &AjustesPrivacidad::anadir);
    connect(quitar_, &QPushButton::clicked, this, &AjustesPrivacidad::quitar);
    connect(lista_, &QListWidget::itemSelectionChanged, this,
            [this] { quitar_->setEnabled(elegida().has_value()); });
    connect(&prefs, &AlmacenPreferencias::cambio, this, [this](const QString& clave) {
        if (clave == QLatin1String(Preferencias::appsExcluidas)) actualizarLista();
    });
    connect(&estado, &EstadoApp::cambioAcceso, this, &AjustesPrivacidad::actualizarAcceso);
    actualizarLista();
    actualizarAcceso();
}

QLabel& AjustesPrivacidad::pieDatos() const {
    return *pie_;
}

std::optional<std::string> AjustesPrivacidad::elegida() const {
    const auto filas = lista_->selectedItems();
    if (filas.isEmpty()) return std::nullopt;
    return filas.front()->data(rolId).toString().toStdString();
}

void AjustesPrivacidad::actualizarLista() {
    const auto ids = Preferencias::lineas(estado.preferencias()
                                              .string(Preferencias::appsExcluidas)
                                              .value_or(QString())
                                              .toStdString());
    const auto antes = elegida();
    lista_->clear();
    const auto generico = Simbolos::llamado(QStringLiteral("app.dashed"));
    for (const auto& id : ids) {
        const auto entrada = plataforma::buscarEntrada(id);
        const auto nombre = entrada && entrada->nombre ? QString::fromStdString(*entrada->nombre)
                                                       : QString::fromStdString(id);
        auto* fila = new QListWidgetItem(nombre, lista_);
        fila->setData(rolId, QString::fromStdString(id));
        fila->setToolTip(QString::fromStdString(id));
        fila->setSizeHint({0, 28});
        if (auto icono = Iconos::deApp(id))
            fila->setIcon(*icono);
        else if (generico)
            fila->setIcon(generico->icono(Estilo::secundario(palette())));
        if (antes == id) fila->setSelected(true);
    }
    lista_->setFixedHeight(altoDeLista(static_cast<int>(ids.size())));
    lista_->setVisible(!ids.empty());
    ninguna_->setVisible(ids.empty());
    quitar_->setEnabled(elegida().has_value());
}

void AjustesPrivacidad::actualizarAcceso() {
    acceso_->setText(textoAcceso());
}

QString AjustesPrivacidad::textoAcceso() const {
    switch (estado.acceso()) {
    case AccesoPortapapeles::sinDecidir:
        return localizable("Se pedirá en la primera copia");
    case AccesoPortapapeles::preguntar:
        return localizable("Pregunta cada vez");
    case AccesoPortapapeles::permitido:
        return localizable("Permitido siempre");
    case AccesoPortapapeles::denegado:
        return localizable("Denegado");
    }
    return {};
}

void AjustesPrivacidad::anadir() {
    if (selector_) {
        selector_->raise();
        return;
    }
    auto* dialogo = new ElegirApps(this);
    dialogo->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialogo, &QDialog::accepted, this, [this, dialogo] {
        auto& prefs = estado.preferencias();
        prefs.set(
            Preferencias::appsExcluidas,
            AppsExcluidas::anadir(prefs.string(Preferencias::appsExcluidas).value_or(QString()),
                                  dialogo->elegidas()));
    });
    selector_ = dialogo;
    dialogo->open();
}

void AjustesPrivacidad::quitar() {
    auto& prefs = estado.preferencias();
    const auto quitada = elegida();
    lista_->clearSelection();
    prefs.set(Preferencias::appsExcluidas,
              AppsExcluidas::quitar(prefs.string(Preferencias::appsExcluidas).value_or(QString()),
                                    quitada));
}

} // namespace rebisco
