#include "rebisco/EstadoApp.h"
#include "rebisco/Teclas.h"

namespace rebisco {

void EstadoApp::registrarAtajo() {
    auto codigo = dep.preferencias.integer(Preferencias::atajoCodigo);
    auto modificadores = dep.preferencias.integer(Preferencias::atajoModificadores);
    auto& teclado = dep.plataforma.teclado();
    poner(atajoTexto_, Teclas::texto(teclado, codigo, modificadores), &EstadoApp::cambioAtajoTexto);
    poner(grabandoAtajo_, false, &EstadoApp::cambioGrabandoAtajo);

    // Una combinación del sistema se deja al sistema: registrarla le quitaría su función.
    if (Teclas::usadaPorMacOS(teclado, codigo, modificadores)) {
        atajo.retirar();
        poner(problemaAtajo_, ProblemaAtajo::deMacOS, &EstadoApp::cambioProblemaAtajo);
        return;
    }
    if (dep.entorno.esPrueba() && !registrarEnPruebas) {
        poner(problemaAtajo_, std::nullopt, &EstadoApp::cambioProblemaAtajo);
        return;
    }
    std::optional<ProblemaAtajo> problema;
    if (!atajo.registrar(codigo, modificadores)) problema = ProblemaAtajo::rechazado;
    poner(problemaAtajo_, problema, &EstadoApp::cambioProblemaAtajo);
}

void EstadoApp::cambiarAtajo(std::int64_t codigo, std::int64_t modificadores) {
    dep.preferencias.set(Preferencias::atajoCodigo, QVariant::fromValue(codigo));
    dep.preferencias.set(Preferencias::atajoModificadores, QVariant::fromValue(modificadores));
    registrarAtajo();
}

void EstadoApp::suspenderAtajo() {
    atajo.retirar();
    poner(grabandoAtajo_, true, &EstadoApp::cambioGrabandoAtajo);
}

void EstadoApp::ponerRechazoAtajo(std::optional<QString> rechazo) {
    poner(rechazoAtajo_, std::move(rechazo), &EstadoApp::cambioRechazoAtajo);
}

} // namespace rebisco
