#include "ajustes/AjustesGenerales.h"

#include "ajustes/GrabadorAtajo.h"
#include "ajustes/Interruptor.h"
#include "ajustes/Seccion.h"
#include "vista/Estilo.h"
#include "vista/IconoSimbolo.h"

#include <rebisco/EstadoApp.h>
#include <rebisco/InicioSesion.h>
#include <rebisco/Textos.h>

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace rebisco {

AjustesGenerales::AjustesGenerales(EstadoApp& estado, QWidget* padre)
    : QWidget(padre)
    , estado(estado) {
    auto* columna = new QVBoxLayout(this);
    columna->setContentsMargins(20, 16, 20, 20);
    columna->setSpacing(18);

    auto* inicio = new Seccion;
    alIniciar_ = new Interruptor(localizable("Abrir rebisco al iniciar sesión"));
    alIniciar_->reflejar(InicioSesion::activo(InicioSesion::programa()));
    connect(alIniciar_, &Interruptor::toggled, this, &AjustesGenerales::cambiarInicio);
    inicio->anadir(Filas::conInterruptor(alIniciar_));
    if (estado.entorno().esEnsayo()) {
        alIniciar_->setEnabled(false);
        inicio->ponerPie(
            localizable("No disponible en un ensayo: dejaría un rastro en el sistema."));
    }
    textoError = Filas::nota();
    textoError->setContentsMargins(4, 0, 4, 0);
    textoError->hide();
    columna->addWidget(inicio);
    columna->addWidget(textoError);
    columna->setSpacing(18);

    auto* atajo = new Seccion(localizable("Atajo de teclado"),
                              localizable("Funciona en todas las apps y, mientras rebisco está "
                                          "abierto, tiene prioridad sobre los atajos de cada app. "
                                          "Si ya usas esta combinación para otra cosa, haz clic en "
                                          "ella y elige otra."));
    grabador_ = new GrabadorAtajo(estado);
    atajo->anadir(Filas::etiquetada(localizable("Mostrar el historial"), grabador_));
    filaAviso = new QWidget;
    auto* aviso = new QHBoxLayout(filaAviso);
    aviso->setContentsMargins(0, 6, 0, 6);
    aviso->setSpacing(6);
    aviso->addWidget(new IconoSimbolo(QStringLiteral("exclamationmark.triangle.fill"), {14, 14},
                                      Estilo::secundario),
                     0, Qt::AlignTop);
    textoAviso = Filas::nota();
    aviso->addWidget(textoAviso, 1);
    atajo->anadir(filaAviso);
    columna->addWidget(atajo);

    auto* pegado = new Seccion(
        localizable("Pegado"),
        localizable("rebisco pega con Mayús+Insert, que entienden casi todas las apps y los "
                    "terminales. Con la opción apagada, o si no está disponible, rebisco deja el "
                    "recorte en el portapapeles y lo pegas con Ctrl+V."));
    auto* pegar = new Interruptor(localizable("Pegar en la app activa al elegir un recorte"));
    Filas::enlazar(*pegar, estado.preferencias(), Preferencias::pegarAlElegir);
    pegado->anadir(Filas::conInterruptor(pegar));
    textoPermiso = new QLabel;
    Estilo::ponerTexto(*textoPermiso, textoPermiso->font(),
                       Estilo::secundario(textoPermiso->palette()));
    filaPermiso = Filas::etiquetada(localizable("Pegado con el teclado"), textoPermiso);
    pegado->anadir(filaPermiso);
    columna->addWidget(pegado);
    columna->addStretch(1);

    connect(&estado, &EstadoApp::cambioRechazoAtajo, this, &AjustesGenerales::actualizarAviso);
    connect(&estado, &EstadoApp::cambioProblemaAtajo, this, &AjustesGenerales::actualizarAviso);
    connect(&estado, &EstadoApp::cambioPuedePegar, this, &AjustesGenerales::actualizarPegado);
    connect(&estado.preferencias(), &AlmacenPreferencias::cambio, this,
            [this](const QString& clave) {
                if (clave == QLatin1String(Preferencias::pegarAlElegir)) actualizarPegado();
            });
    actualizarAviso();
    actualizarPegado();
}

QString AjustesGenerales::avisoAtajo() const {
    if (const auto& rechazo = estado.rechazoAtajo()) return *rechazo;
    if (const auto problema = estado.problemaAtajo())
        return *problema == ProblemaAtajo::deMacOS
                   ? localizable("El escritorio ya usa esa combinación para otra función. Elige "
                                 "otra.")
                   : localizable("Otra aplicación ya tiene esa combinación. Elige otra.");
    return {};
}

void AjustesGenerales::actualizarAviso() {
    const auto texto = avisoAtajo();
    textoAviso->setText(texto);
    filaAviso->setVisible(!texto.isEmpty());
}

void AjustesGenerales::actualizarPegado() {
    filaPermiso->setVisible(estado.preferencias().boolean(Preferencias::pegarAlElegir));
    textoPermiso->setText(estado.puedePegar() ? localizable("Disponible")
                                              : localizable("No disponible"));
}

void AjustesGenerales::cambiarInicio(bool encender) {
    const auto programa = InicioSesion::programa();
    errorInicio_ = InicioSesion::cambiar(encender, programa);
    // Tras un fallo el interruptor vuelve a lo que de verdad hay.
    alIniciar_->reflejar(InicioSesion::activo(programa));
    textoError->setText(errorInicio_.value_or(QString()));
    textoError->setVisible(errorInicio_.has_value());
}

} // namespace rebisco
