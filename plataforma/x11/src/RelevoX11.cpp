// El relevo del dueño de CLIPBOARD que se va: la entrega al gestor (SAVE_TARGETS) y el aviso
// de que se fue, para quien sirve después su contenido.
#include "PortapapelesX11.h"

#include "Registro.h"
#include "TiposX11.h"

#include <QClipboard>
#include <QMimeData>

#include <algorithm>
#include <array>
#include <set>

namespace plataforma::x11 {

namespace {

using namespace std::chrono_literals;

// Lo que se lee de una aplicación que entrega su portapapeles al salir: Qt la espera 5 s.
constexpr auto plazoEntrega = 3000ms;
// Lo que se guarda de una entrega: ni un dueño que ofrece gigas ni uno que anuncia miles de
// destinos hacen crecer el proceso sin límite.
constexpr std::size_t maximoBytesEntrega = std::size_t{64} << 20;
constexpr std::size_t maximoDestinosEntrega = 64;

// Los destinos que Qt ya ofrece al escribir el texto con setText.
constexpr std::array<std::string_view, 4> destinosDeSetText{"text/plain", "UTF8_STRING", "STRING",
                                                            "TEXT"};

bool loDaSetText(std::string_view destino) {
    for (const auto d : destinosDeSetText)
        if (d == destino) return true;
    return false;
}

} // namespace

Contenido PortapapelesX11::identidad(const Clave& clave) const {
    if (clave.ventana == XCB_NONE || clave.desde == XCB_CURRENT_TIME) return 0;
    if ((clave.ventana & ~mascaraQt) == baseQt) return 0;
    // La ventana y la hora en que tomó la selección: lo mismo desde cualquier conexión.
    return (Contenido{clave.ventana} << 32) | clave.desde;
}

Contenido PortapapelesX11::contenidoConsultado() {
    const auto vista = consultada();
    return vista ? identidad(*vista) : 0;
}

void PortapapelesX11::ponerRelevo(Relevo nuevo) {
    relevo = std::make_shared<const Relevo>(std::move(nuevo));
}

bool PortapapelesX11::esGestor() const {
    return gestor && gestor->esGestor();
}

void PortapapelesX11::alCambiarDueno(const CambioDeDueno& cambio) {
    const bool seFue = cambio.motivo != CambioDeDueno::Motivo::tomada;
    if (cambio.seleccion == "CLIPBOARD_MANAGER") {
        // El gestor que había se fue: ahora puede serlo este proceso.
        if (seFue) gestor->tomarSiEstaLibre();
        return;
    }
    if (!seFue) return;
    const Contenido deQuien = identidad(cambio.antes);
    if (deQuien == 0) return;
    qCInfo(registroX11, "el dueño de CLIPBOARD se fue (%s)",
           cambio.motivo == CambioDeDueno::Motivo::clienteCerrado ? "cerró" : "sin ventana");
    const auto quien = relevo;
    if (quien->alIrseElDueno) quien->alIrseElDueno(deQuien);
}

bool PortapapelesX11::guardarEntrega(const std::optional<std::vector<std::string>>& pedidos) {
    Clave clave;
    {
        std::lock_guard l(cerrojo);
        clave = seleccion.propietario();
    }
    const Contenido deQuien = identidad(clave);
    // Sin el sí de quien releva no se lee nada: ni lo oculto ni lo de una app excluida.
    const auto quien = relevo;
    if (deQuien == 0 || !quien->aceptarEntrega || !quien->aceptarEntrega(deQuien)) {
        qCInfo(registroX11, "entrega al gestor rechazada: ese contenido no se guarda");
        return false;
    }

    std::lock_guard l(cerrojo);
    std::vector<std::string> destinos;
    if (pedidos) {
        destinos = *pedidos;
    } else if (claveDestinos == clave && destinosGuardados) {
        destinos = *destinosGuardados;
    } else if (seleccion.destinos(clave, destinos, plazoPeticion) != Respuesta::datos) {
        return false;
    }

    const auto limite = std::chrono::steady_clock::now() + plazoEntrega;
    Entregado nuevo{deQuien, {}};
    std::size_t bytes = 0;
    std::set<std::string> vistos;
    for (const auto& destino : destinos) {
        if (tipos::esPseudoDestino(destino) || !vistos.insert(destino).second) continue;
        if (nuevo.piezas.size() >= maximoDestinosEntrega) break;
        const auto resta = std::chrono::duration_cast<Seleccion::Duracion>(
            limite - std::chrono::steady_clock::now());
        if (resta <= Seleccion::Duracion::zero()) break;
        const Seleccion::Duracion primera =
            destino.starts_with("image/") ? plazoImagen : plazoPeticion;
        Transferencia t = seleccion.pedir(clave, destino, std::min(primera, resta), resta);
        // Otro dueño a medias: nada de lo leído es de quien entrega.
        if (t.respuesta == Respuesta::otroDueno || t.respuesta == Respuesta::sinConexion)
            return false;
        if (t.respuesta == Respuesta::sinTiempo) break;
        if (t.respuesta != Respuesta::datos || t.formato != 8) continue;
        if (bytes + t.datos.size() > maximoBytesEntrega) {
            qCInfo(registroX11, "%s no cabe en lo que se guarda de una entrega", destino.c_str());
            continue;
        }
        bytes += t.datos.size();
        nuevo.piezas.push_back({destino, std::move(t.tipo), std::move(t.datos)});
    }
    if (nuevo.piezas.empty()) return false;
    qCInfo(registroX11, "entrega al gestor guardada: %zu destinos, %zu bytes", nuevo.piezas.size(),
           bytes);
    entregado = std::move(nuevo);
    return true;
}

bool PortapapelesX11::escribirEntregado(Contenido deQuien) {
    std::unique_ptr<QMimeData> nuevos;
    {
        std::lock_guard l(cerrojo);
        if (deQuien == 0 || !entregado || entregado->contenido != deQuien) return false;
        nuevos = std::make_unique<QMimeData>();
        std::vector<std::string> nombres;
        for (const auto& p : entregado->piezas)
            nombres.push_back(p.destino);
        // El texto, del mejor destino que se entregó; Qt lo ofrece en sus variantes.
        for (const auto& d : tipos::destinosParaLeer(tipos::texto, nombres)) {
            const auto& p = *std::find_if(entregado->piezas.begin(), entregado->piezas.end(),
                                          [&](const Leido& x) { return x.destino == d; });
            if (const auto texto = tipos::textoDe(p.destino, p.tipo, p.datos)) {
                nuevos->setText(QString::fromStdString(*texto));
                break;
            }
        }
        // Lo demás, con los mismos destinos y los mismos bytes.
        for (const auto& p : entregado->piezas) {
            if (loDaSetText(p.destino) || p.destino == "application/x-qt-image") continue;
            const QString formato = QString::fromStdString(p.destino);
            if (nuevos->hasFormat(formato)) continue;
            nuevos->setData(formato, QByteArray(reinterpret_cast<const char*>(p.datos.data()),
                                                static_cast<qsizetype>(p.datos.size())));
        }
    }
    return escribir(nuevos.release());
}

void PortapapelesX11::olvidarEntregado() {
    std::lock_guard l(cerrojo);
    entregado.reset();
}

} // namespace plataforma::x11
