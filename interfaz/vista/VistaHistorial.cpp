#include "vista/VistaHistorial.h"

#include "vista/Avisos.h"
#include "vista/Encabezado.h"
#include "vista/ListaHistorial.h"
#include "vista/Pie.h"
#include "vista/SinContenido.h"

#include "interfaz/Marca.h"
#include "panel/CampoBusqueda.h"
#include "panel/ControlPanel.h"

#include <rebisco/EstadoApp.h>

#include <QGridLayout>
#include <QPointer>
#include <QVBoxLayout>

namespace rebisco {

VistaHistorial::VistaHistorial(EstadoApp& estado, ControlPanel& control, QWidget* padre)
    : QWidget(padre)
    , estado(estado)
    , control(control)
    , encabezado_(new Encabezado(estado, this))
    , cajaAvisos(new QWidget(this))
    , capaAvisos(new QVBoxLayout(cajaAvisos))
    , lista_(new ListaHistorial(estado, this))
    , sinContenido_(new SinContenido(estado, this))
    , pie_(new Pie(estado, this)) {
    QPalette paleta = palette();
    Marca::aplicarAcento(paleta);
    setPalette(paleta);

    auto* capa = new QVBoxLayout(this);
    capa->setContentsMargins(0, 0, 0, 0);
    capa->setSpacing(0);
    capa->addWidget(encabezado_);
    capaAvisos->setContentsMargins(10, 0, 10, 0);
    capaAvisos->setSpacing(6);
    capa->addWidget(cajaAvisos);
    auto* centro = new QGridLayout;
    centro->addWidget(lista_, 0, 0);
    centro->addWidget(sinContenido_, 0, 0);
    capa->addLayout(centro, 1);
    capa->addWidget(pie_);

    for (auto senal :
         {&EstadoApp::cambioErrorAlmacen, &EstadoApp::cambioAcceso, &EstadoApp::cambioPuedePegar,
          &EstadoApp::cambioProblemaAtajo, &EstadoApp::cambioAtajoTexto})
        connect(&estado, senal, this, &VistaHistorial::rehacerAvisos);
    for (auto senal :
         {&EstadoApp::cambioRecortes, &EstadoApp::cambioBusqueda, &EstadoApp::cambioTotal,
          &EstadoApp::cambioAviso, &EstadoApp::cambioPausado, &EstadoApp::cambioErrorAlmacen,
          &EstadoApp::cambioProblemaAtajo, &EstadoApp::cambioAtajoTexto})
        connect(&estado, senal, this, &VistaHistorial::actualizar);

    encabezado_->ponerMenu(control.menuSinBandeja());
    connect(&control, &ControlPanel::cambioMenuSinBandeja, this,
            [this] { encabezado_->ponerMenu(this->control.menuSinBandeja()); });

    QPointer<CampoBusqueda> campo = &encabezado_->campo();
    estado.fijarTextoDelCampo = [campo](const QString& texto) {
        if (campo && campo->text() != texto) campo->setText(texto);
    };
    estado.enfocarCampo = [campo] {
        if (campo && !campo->hasFocus()) campo->setFocus(Qt::OtherFocusReason);
    };
    setFocusProxy(campo);
    rehacerAvisos();
    actualizar();
}

CampoBusqueda& VistaHistorial::campo() const {
    return encabezado_->campo();
}

QStringList VistaHistorial::avisos() const {
    QStringList ids;
    for (const auto* fila : cajaAvisos->findChildren<FilaAviso*>(Qt::FindDirectChildrenOnly))
        ids.push_back(fila->aviso().id);
    return ids;
}

void VistaHistorial::rehacerAvisos() {
    // Una fila puede estar atendiendo su botón: se borra después.
    for (auto* fila : cajaAvisos->findChildren<FilaAviso*>(Qt::FindDirectChildrenOnly)) {
        capaAvisos->removeWidget(fila);
        fila->setParent(nullptr);
        fila->deleteLater();
    }
    const auto nuevos = avisosDe(estado, control);
    for (const auto& aviso : nuevos)
        capaAvisos->addWidget(new FilaAviso(aviso, cajaAvisos));
    capaAvisos->setContentsMargins(10, 0, 10, nuevos.empty() ? 0 : 6);
    cajaAvisos->setVisible(!nuevos.empty());
}

void VistaHistorial::actualizar() {
    encabezado_->actualizar();
    sinContenido_->actualizar();
    lista_->setVisible(!estado.recortes().empty());
    pie_->actualizar();
}

} // namespace rebisco
