#include "rebisco/EstadoApp.h"
#include "rebisco/Textos.h"

#include <nucleo/Captura.h>

#include <variant>

namespace rebisco {

void EstadoApp::alCambiarPortapapeles() {
    if (auto pedido = pedidoDeLectura())
        alLeer(Lector::leerEInterpretar(dep.portapapeles, *pedido));
}

std::optional<Lector::Pedido> EstadoApp::pedidoDeLectura() {
    actualizarAcceso();
    if (!almacen || pausado_) return std::nullopt;
    if (acceso_ != AccesoPortapapeles::permitido && acceso_ != AccesoPortapapeles::sinDecidir)
        return std::nullopt;
    Lector::Pedido pedido{.opciones = Preferencias::opcionesCaptura(dep.preferencias)};
    // La app de delante es la del momento del cambio, no la de cuando acabe la lectura.
    if (!dep.entorno.esPrueba()) {
        if (auto origen = dep.plataforma.escritorio().appEnPrimerPlano()) {
            // Una app excluida con el nombre que tenía antes (su clase de ventana) sigue
            // excluida: no se lee nada.
            for (const auto& otro : origen->otrosIds)
                if (pedido.opciones.appsExcluidas.contains(otro)) return std::nullopt;
            pedido.appId = origen->id;
            pedido.appNombre = origen->nombre;
        }
    }
    return pedido;
}

void EstadoApp::alLeer(Lector::Leido leido) {
    actualizarAcceso();
    // Lo leído mientras se ponía la pausa o se cerraba el historial no se guarda.
    if (!almacen || pausado_) return;
    const auto contenido = leido.contenido;
    // Un contenido reconocible sustituye al capturado, se capture o no; sin dueño (el que
    // se fue y aún no se ha relevado) no cambia nada.
    if (contenido != 0) capturado.reset();
    if (!leido.resultado) return;
    auto& resultado = *leido.resultado;
    auto* nuevo = std::get_if<nucleo::RecorteNuevo>(&resultado);
    if (!nuevo) return;
    auto guardar = [&] {
        const auto guardado = almacen->guardar(*nuevo, dep.reloj());
        if (contenido != 0) capturado = Capturado{contenido, guardado.id};
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
