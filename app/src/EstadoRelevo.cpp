#include "rebisco/EstadoApp.h"
#include "rebisco/Registro.h"

namespace rebisco {

bool EstadoApp::esperarLectura(plataforma::Contenido contenido) {
    const auto visto = [&] { return capturado && capturado->contenido == contenido; };
    // Si ese cambio se está leyendo en el hilo lector, se espera a que acabe (tiene su plazo).
    while (!visto() && lector && lector->ocupado())
        lector->esperar();
    return visto();
}

bool EstadoApp::aceptarEntrega(plataforma::Contenido contenido) {
    if (!almacen || pausado_ || contenido == 0) return false;
    const auto visto = [&] { return capturado && capturado->contenido == contenido; };
    // Quien copia y sale enseguida puede entregar antes del siguiente tic: se mira ya, con
    // las mismas reglas que cualquier copia.
    if (!esperarLectura(contenido) && vigilante)
        vigilante->revisar([this] { alCambiarPortapapeles(); });
    return !pausado_ && visto();
}

void EstadoApp::alIrseElDueno(plataforma::Contenido contenido) {
    relevar(contenido, 3);
}

void EstadoApp::relevar(plataforma::Contenido contenido, int intentos) {
    if (!almacen || pausado_ || contenido == 0 || !esperarLectura(contenido)) return;
    const auto id = capturado->id;
    bool escrito = dep.portapapeles.escribirEntregado(contenido);
    if (!escrito) {
        std::vector<nucleo::Representacion> representaciones;
        try {
            representaciones = almacen->representaciones(id);
        } catch (const nucleo::ErrorAlmacen& error) {
            qCWarning(registroEstado) << "no se pudo leer el recorte para el relevo:"
                                      << QString::fromStdString(error.description());
            return;
        }
        if (representaciones.empty()) return;
        // Lo mismo que escribe una elección, pero sin marcarlo usado ni moverlo.
        escrito = Pegador::escribir(representaciones, false, dep.portapapeles);
    }
    if (vigilante) vigilante->ignorarCambioActual();
    if (escrito) {
        servido = Servido{id, dep.portapapeles.contadorCambios()};
        return;
    }
    // El servidor rechaza la escritura si la hora de Qt es anterior a la salida del dueño:
    // se vuelve a probar cuando Qt ya la ha visto, mientras nadie más haya copiado.
    if (--intentos <= 0) return;
    const auto cambio = dep.portapapeles.contadorCambios();
    QTimer::singleShot(80, this, [this, contenido, intentos, cambio] {
        if (dep.portapapeles.contadorCambios() == cambio) relevar(contenido, intentos);
    });
}

void EstadoApp::olvidarLoBorrado() {
    const auto existe = [this](std::int64_t id) {
        try {
            return almacen && !almacen->representaciones(id).empty();
        } catch (const nucleo::ErrorAlmacen&) {
            return false;
        }
    };
    if (capturado && !existe(capturado->id)) {
        capturado.reset();
        dep.portapapeles.olvidarEntregado();
    }
    if (servido && !existe(servido->id)) {
        // Solo si el portapapeles sigue siendo lo que escribió el relevo.
        if (dep.portapapeles.contadorCambios() == servido->cambio) {
            dep.portapapeles.vaciar();
            if (vigilante) vigilante->ignorarCambioActual();
        }
        servido.reset();
    }
}

} // namespace rebisco
