#include "ajustes/AjustesHistorial.h"

#include "ajustes/CampoNumero.h"
#include "ajustes/Interruptor.h"
#include "ajustes/Seccion.h"
#include "vista/Estilo.h"

#include <interfaz/Formato.h>
#include <rebisco/EstadoApp.h>
#include <rebisco/Textos.h>

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace rebisco {

namespace P = Preferencias;

AjustesHistorial::AjustesHistorial(EstadoApp& estado, QWidget* padre)
    : QWidget(padre)
    , estado(estado) {
    auto& prefs = estado.preferencias();
    auto* columna = new QVBoxLayout(this);
    columna->setContentsMargins(20, 16, 20, 20);
    columna->setSpacing(18);

    auto* conserva = new Seccion(localizable("Cuánto se conserva"),
                                 localizable("Los recortes fijados no se borran solos."));
    struct Limite {
        const char* interruptor;
        QString texto;
        const char* clave;
        QString titulo;
        qint64 minimo, maximo, paso;
        QString unidad;
    };
    const Limite tabla[] = {
        {P::limitarCantidad, localizable("Limitar la cantidad de recortes"), P::maximoRecortes,
         localizable("Conservar los últimos"), 10, 100000, 50, localizable("recortes")},
        {P::limitarDias, localizable("Borrar los recortes que no se usan"), P::maximoDias,
         localizable("Borrar después de"), 1, 3650, 1, localizable("días")},
        {P::limitarEspacio, localizable("Limitar el espacio en disco"), P::megasTotales,
         localizable("Usar como máximo"), 10, 100000, 100, localizable("MB")},
    };
    for (const auto& limite : tabla) {
        auto* interruptor = new Interruptor(limite.texto);
        Filas::enlazar(*interruptor, prefs, limite.interruptor);
        conserva->anadir(Filas::conInterruptor(interruptor));
        auto* campo = new CampoNumero(prefs, limite.clave, limite.titulo, limite.minimo,
                                      limite.maximo, limite.paso, limite.unidad);
        auto* fila = Filas::etiquetada(limite.titulo, campo);
        fila->setVisible(prefs.boolean(limite.interruptor));
        conserva->anadir(fila);
        campos.emplace_back(limite.clave, campo);
        filasDeLimite.emplace_back(limite.interruptor, fila);
    }
    columna->addWidget(conserva);

    auto* guarda = new Seccion(localizable("Qué se guarda"));
    auto* imagenes = new Interruptor(localizable("Guardar imágenes"));
    Filas::enlazar(*imagenes, prefs, P::guardarImagenes);
    guarda->anadir(Filas::conInterruptor(imagenes));
    auto* porRecorte =
        new CampoNumero(prefs, P::megasMaximos, localizable("Tamaño máximo por recorte"), 1, 1000,
                        5, localizable("MB"));
    campos.emplace_back(P::megasMaximos, porRecorte);
    guarda->anadir(Filas::etiquetada(localizable("Tamaño máximo por recorte"), porRecorte));
    columna->addWidget(guarda);

    auto* uso = new Seccion;
    textoUso = new QLabel;
    Estilo::ponerTexto(*textoUso, textoUso->font(), Estilo::secundario(textoUso->palette()));
    uso->anadir(Filas::etiquetada(localizable("En uso"), textoUso));
    borrar_ = new QPushButton(localizable("Borrar el historial…"));
    {
        // El papel destructivo: el texto en rojo.
        QPalette p = borrar_->palette();
        const bool oscura = p.color(QPalette::Window).lightness() < 128;
        p.setColor(QPalette::ButtonText,
                   oscura ? QColor(0xff, 0x6b, 0x61) : QColor(0xc9, 0x25, 0x1d));
        borrar_->setPalette(p);
    }
    auto* filaBorrar = new QWidget;
    auto* lineaBorrar = new QHBoxLayout(filaBorrar);
    lineaBorrar->setContentsMargins(0, 6, 0, 6);
    lineaBorrar->addWidget(borrar_);
    lineaBorrar->addStretch(1);
    uso->anadir(filaBorrar);
    columna->addWidget(uso);
    columna->addStretch(1);

    connect(borrar_, &QPushButton::clicked, this, &AjustesHistorial::confirmarBorrado);
    connect(&estado, &EstadoApp::cambioTotal, this, &AjustesHistorial::actualizarUso);
    connect(&estado, &EstadoApp::cambioBytesTotales, this, &AjustesHistorial::actualizarUso);
    connect(&prefs, &AlmacenPreferencias::cambio, this, &AjustesHistorial::alCambiarPreferencia);
    ultimos = limites();
    actualizarUso();
}

CampoNumero& AjustesHistorial::campo(const char* clave) const {
    for (const auto& [nombre, campo] : campos)
        if (QLatin1String(nombre) == QLatin1String(clave)) return *campo;
    Q_UNREACHABLE();
}

std::vector<qint64> AjustesHistorial::limites() const {
    const auto& prefs = estado.preferencias();
    const auto limite = [&](const char* interruptor, const char* clave) -> qint64 {
        return prefs.boolean(interruptor) ? prefs.integer(clave) : -1;
    };
    return {limite(P::limitarCantidad, P::maximoRecortes), limite(P::limitarDias, P::maximoDias),
            limite(P::limitarEspacio, P::megasTotales)};
}

void AjustesHistorial::alCambiarPreferencia(const QString& clave) {
    for (const auto& [interruptor, fila] : filasDeLimite)
        if (clave == QLatin1String(interruptor))
            fila->setVisible(estado.preferencias().boolean(interruptor));
    // Bajar o encender un límite borra lo que sobra al momento; subirlo o apagarlo no borra.
    auto ahora = limites();
    if (ahora == ultimos) return;
    ultimos = std::move(ahora);
    estado.limpiar();
}

QString AjustesHistorial::enUso() const {
    return Formato::recortes(estado.total()) + QStringLiteral(" · ") +
           Formato::bytes(estado.bytesTotales());
}

void AjustesHistorial::actualizarUso() {
    textoUso->setText(enUso());
    borrar_->setEnabled(estado.total() > 0);
}

void AjustesHistorial::confirmarBorrado() {
    if (confirmacion_) return;
    auto* caja = new QMessageBox(this);
    caja->setAttribute(Qt::WA_DeleteOnClose);
    caja->setIcon(QMessageBox::Warning);
    caja->setWindowTitle(localizable("¿Borrar el historial?"));
    caja->setText(localizable("¿Borrar el historial?"));
    caja->setInformativeText(localizable("Esta acción no se puede deshacer."));
    auto* todo = caja->addButton(localizable("Borrar todo"), QMessageBox::DestructiveRole);
    auto* fijados =
        caja->addButton(localizable("Borrar y conservar los fijados"), QMessageBox::AcceptRole);
    auto* cancelar = caja->addButton(localizable("Cancelar"), QMessageBox::RejectRole);
    caja->setDefaultButton(cancelar);
    caja->setEscapeButton(cancelar);
    connect(caja, &QMessageBox::buttonClicked, this, [this, todo, fijados](QAbstractButton* b) {
        if (b == todo) estado.borrarHistorial(false);
        if (b == fijados) estado.borrarHistorial(true);
    });
    confirmacion_ = caja;
    caja->open();
}

} // namespace rebisco
