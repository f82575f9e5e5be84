#include "rebisco/EstadoApp.h"
#include "rebisco/Textos.h"

#include <nucleo/Captura.h>

#include <variant>

namespace rebisco {

void EstadoApp::alCambiarPortapapeles() {
    actualizarAcceso();
    if (!almacen || pausado_) return;
    if (acceso_ != AccesoPortapapeles::permitido && acceso_ != AccesoPortapapeles::sinDecidir)
        return;

    auto opciones = Preferencias::opcionesCaptura(dep.preferencias);
    auto tipos = Lector::tipos(dep.portapapeles);
    std::optional<plataforma::AppEnFrente> origen;
    if (!dep.entorno.esPrueba()) origen = dep.plataforma.escritorio().appEnPrimerPlano();
    auto appId = origen ? origen->id : std::nullopt;
    if (origen)
        for (const auto& otro : origen->otrosIds)
            if (opciones.appsExcluidas.contains(otro)) return;

    // Lo confidencial, lo remoto y lo de apps excluidas no se llega a leer.
    if (nucleo::Captura::motivoParaNoLeer(tipos, appId, opciones)) return;

    auto lectura = Lector::leer(dep.portapapeles, tipos, opciones.guardarImagenes);
    lectura.appId = appId;
    lectura.appNombre = origen ? origen->nombre : std::nullopt;
    actualizarAcceso();

    auto resultado = nucleo::Captura::interpretar(lectura, opciones);
    auto* nuevo = std::get_if<nucleo::RecorteNuevo>(&resultado);
    if (!nuevo) return;
    auto guardar = [&] {
        almacen->guardar(*nuevo, dep.reloj());
        almacen->aplicarRetencion(Preferencias::politica(dep.preferencias), dep.reloj());
    };
    try {
        try {
            guardar();
        } catch (const nucleo::ErrorAlmacen& error) {
            // Con el historial dañado sustituido, la copia va al nuevo: no se pierde.
            if (!tratarDano(error) || !almacen) throw;
            guardar();
        }
    } catch (const nucleo::ErrorAlmacen& error) {
        avisar(localizable("No se pudo guardar el recorte: ") +
               QString::fromStdString(error.description()));
    }
    recargar(true);
}

void EstadoApp::ponerPausa(bool pausa) {
    poner(pausado_, pausa, &EstadoApp::cambioPausado);
    dep.preferencias.set(Preferencias::pausado, pausa);
    if (vigilante) vigilante->ignorarCambioActual();
}

void EstadoApp::avisar(const QString& texto) {
    poner(aviso_, std::optional(texto), &EstadoApp::cambioAviso);
    borradoDelAviso.start(dep.tiempos.vidaDelAviso);
}

void EstadoApp::quitarAviso() {
    borradoDelAviso.stop();
    poner(aviso_, {}, &EstadoApp::cambioAviso);
}

} // namespace rebisco
