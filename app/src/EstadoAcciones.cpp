#include "rebisco/EstadoApp.h"
#include "rebisco/Registro.h"
#include "rebisco/Textos.h"

#include <algorithm>

namespace rebisco {

namespace {

std::optional<std::size_t> posicion(const ListaRecortes& lista, std::int64_t id) {
    auto it = std::find_if(lista.begin(), lista.end(), [id](const auto& r) { return r.id == id; });
    if (it == lista.end()) return std::nullopt;
    return static_cast<std::size_t>(it - lista.begin());
}

} // namespace

void EstadoApp::recargar(bool conservarSeleccion) {
    if (!almacen) {
        poner(recortes_, {}, &EstadoApp::cambioRecortes);
        poner(recientes_, {}, &EstadoApp::cambioRecientes);
        return;
    }
    try {
        auto busqueda = busqueda_.toStdString();
        poner(recortes_, almacen->listar(busqueda, limiteLista), &EstadoApp::cambioRecortes);
        if (busqueda.empty()) {
            auto n = std::min<std::size_t>(recortes_.size(), limiteRecientes);
            poner(recientes_, ListaRecortes(recortes_.begin(), recortes_.begin() + n),
                  &EstadoApp::cambioRecientes);
        } else {
            poner(recientes_, almacen->listar("", limiteRecientes), &EstadoApp::cambioRecientes);
        }
        auto estadisticas = almacen->estadisticas();
        poner(total_, estadisticas.recortes, &EstadoApp::cambioTotal);
        poner(bytesTotales_, estadisticas.bytes, &EstadoApp::cambioBytesTotales);
    } catch (const nucleo::ErrorAlmacen& error) {
        // Un historial dañado se sustituye por uno nuevo, vacío, que se lee sin más; si también
        // ese falla, se avisa y no se sigue sustituyendo.
        if (!releyendoTrasDano && tratarDano(error)) {
            releyendoTrasDano = true;
            recargar(false);
            releyendoTrasDano = false;
            return;
        }
        avisar(localizable("No se pudo leer el historial: ") +
               QString::fromStdString(error.description()));
    }

    if (conservarSeleccion && seleccion_ && posicion(recortes_, *seleccion_)) return;
    ponerSeleccion(recortes_.empty() ? std::nullopt : std::optional(recortes_.front().id));
}

void EstadoApp::buscar(const QString& texto, bool desdeElCampo) {
    if (!desdeElCampo) fijarTextoDelCampo(texto);
    if (texto == busqueda_) return;
    poner(busqueda_, texto, &EstadoApp::cambioBusqueda);
    recargar(false);
}

void EstadoApp::moverSeleccion(int paso) {
    if (recortes_.empty()) return;
    auto largo = static_cast<long>(recortes_.size());
    auto actual = seleccion_ ? posicion(recortes_, *seleccion_) : std::nullopt;
    long inicio = actual ? static_cast<long>(*actual) : (paso > 0 ? -1 : largo);
    auto nuevo = std::clamp(inicio + paso, 0L, largo - 1);
    ponerSeleccion(recortes_[static_cast<std::size_t>(nuevo)].id);
}

std::optional<nucleo::Recorte> EstadoApp::recorteSeleccionado() const {
    if (!seleccion_) return std::nullopt;
    auto i = posicion(recortes_, *seleccion_);
    if (!i) return std::nullopt;
    return recortes_[*i];
}

bool EstadoApp::copiarAlPortapapeles(const nucleo::Recorte& recorte, bool soloTexto) {
    if (!almacen) return false;
    try {
        auto representaciones = almacen->representaciones(recorte.id);
        if (!Pegador::escribir(representaciones, soloTexto, dep.portapapeles)) {
            avisar(localizable("Ese recorte ya no tiene contenido"));
            return false;
        }
        // La escritura propia no debe volver como una copia nueva.
        if (vigilante) vigilante->ignorarCambioActual();
        almacen->marcarUsado(recorte.id, dep.reloj());
    } catch (const nucleo::ErrorAlmacen& error) {
        if (tratarDano(error)) {
            recargar(false);
            return false;
        }
        avisar(localizable("No se pudo copiar: ") + QString::fromStdString(error.description()));
        return false;
    }
    recargar(true);
    return true;
}

void EstadoApp::copiar(const nucleo::Recorte& recorte) {
    if (copiarAlPortapapeles(recorte, false)) avisar(localizable("Copiado al portapapeles"));
}

void EstadoApp::pegar(const nucleo::Recorte& recorte, bool soloTexto) {
    if (!copiarAlPortapapeles(recorte, soloTexto)) return;
    bool estabamosDelante = appEnPrimerPlano();
    ocultarPanel();
    if (!dep.preferencias.boolean(Preferencias::pegarAlElegir) || dep.entorno.esPrueba() ||
        !Pegador::puedePegar(dep.entorno, dep.plataforma.escritorio()))
        return;
    pegado.start(estabamosDelante ? dep.tiempos.pegadoSiEstamosDelante : dep.tiempos.pegado);
}

void EstadoApp::eliminar(const nucleo::Recorte& recorte) {
    if (!almacen) return;
    auto indice = posicion(recortes_, recorte.id);
    try {
        almacen->borrar(recorte.id);
    } catch (const nucleo::ErrorAlmacen& error) {
        // Que nadie crea borrado lo que sigue ahí.
        if (!tratarDano(error))
            avisar(localizable("No se pudo borrar el recorte: ") +
                   QString::fromStdString(error.description()));
    }
    olvidarLoBorrado();
    recargar(true);
    if (indice && !recortes_.empty())
        ponerSeleccion(recortes_[std::min(*indice, recortes_.size() - 1)].id);
}

void EstadoApp::alternarFijado(const nucleo::Recorte& recorte) {
    if (!almacen) return;
    try {
        almacen->fijar(recorte.id, !recorte.fijado);
    } catch (const nucleo::ErrorAlmacen& error) {
        qCWarning(registroEstado) << "no se pudo fijar o soltar un recorte:"
                                  << QString::fromStdString(error.description());
        tratarDano(error);
    }
    recargar(true);
}

void EstadoApp::borrarHistorial(bool conservarFijados) {
    if (!almacen) return;
    try {
        almacen->borrarTodo(conservarFijados);
    } catch (const nucleo::ErrorAlmacen& error) {
        if (!tratarDano(error))
            avisar(localizable("No se pudo borrar el historial: ") +
                   QString::fromStdString(error.description()));
    }
    olvidarLoBorrado();
    recargar(false);
}

void EstadoApp::limpiar() {
    if (!almacen) return;
    try {
        if (almacen->aplicarRetencion(Preferencias::politica(dep.preferencias), dep.reloj()) > 0)
            recargar(true);
    } catch (const nucleo::ErrorAlmacen& error) {
        // Se reintenta en el siguiente paso del temporizador; no es un aviso para el usuario.
        qCWarning(registroEstado) << "no se pudo aplicar la retención:"
                                  << QString::fromStdString(error.description());
        if (tratarDano(error)) recargar(false);
    }
}

} // namespace rebisco
