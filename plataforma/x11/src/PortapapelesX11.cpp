#include "PortapapelesX11.h"

#include "Registro.h"
#include "TiposX11.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QObject>
#include <QThread>
#include <QWindow>

#include <unistd.h>

#include <algorithm>

namespace plataforma::x11 {

namespace {

using namespace std::chrono_literals;

// Una transferencia entera, y todo lo que se espera a un dueño por un mismo contenido: ni
// un dueño que contesta siempre justo antes del plazo congela más que esto.
constexpr auto plazoTransferencia = 2000ms;
constexpr auto presupuestoPorContenido = 2500ms;

QByteArray aQt(std::string_view s) {
    return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}
QByteArray aQt(const Datos& d) {
    return QByteArray(reinterpret_cast<const char*>(d.data()), static_cast<qsizetype>(d.size()));
}
Datos deQt(const QByteArray& b) {
    return Datos(b.begin(), b.end());
}

std::string nombreDeMaquina() {
    char nombre[256] = {};
    if (::gethostname(nombre, sizeof nombre - 1) != 0) return {};
    return nombre;
}

} // namespace

PortapapelesX11::PortapapelesX11(const char* pantalla, std::uint32_t baseQt,
                                 std::uint32_t mascaraQt)
    : portapapeles(QGuiApplication::clipboard())
    , contexto(std::make_unique<QObject>())
    , baseQt(baseQt)
    , mascaraQt(mascaraQt)
    , maquina(nombreDeMaquina())
    , seleccion(pantalla, plazoPeticion) {
    // Qt avisa de los cambios de otros (XFixes) y de los nuestros (setMimeData). Con el
    // contenido en nuestras manos, un aviso que no viene de una escritura nuestra es el tardío
    // de un dueño anterior que se fue: lo que hay no cambió.
    QObject::connect(portapapeles, &QClipboard::dataChanged, contexto.get(), [this] {
        if (!escribiendo && portapapeles->ownsClipboard()) return;
        contador.fetch_add(1, std::memory_order_relaxed);
        std::function<void()> avisar;
        {
            std::lock_guard l(cerrojoAviso);
            avisar = aviso;
        }
        if (avisar) avisar();
    });
    gestor = std::make_unique<GestorX11>(
        pantalla, [this](const auto& pedidos) { return guardarEntrega(pedidos); });
    cambios = std::make_unique<CambiosDeDueno>(
        pantalla, std::vector<std::string>{"CLIPBOARD", "CLIPBOARD_MANAGER"},
        [this](const CambioDeDueno& cambio) { alCambiarDueno(cambio); });
    if (cambios->avisa()) gestor->tomarSiEstaLibre();
}

bool PortapapelesX11::avisaCambios() {
    // Qt se entera de los cambios de otros por XFixes; sin la extensión solo vería los suyos.
    return seleccion.conXFixes();
}

void PortapapelesX11::alCambiar(std::function<void()> nuevo) {
    std::lock_guard l(cerrojoAviso);
    aviso = std::move(nuevo);
}

std::optional<PortapapelesX11::Clave> PortapapelesX11::consultada() {
    std::lock_guard l(cerrojoConsultas);
    const auto c = consultadas.find(std::this_thread::get_id());
    if (c == consultadas.end()) return std::nullopt;
    return c->second;
}

PortapapelesX11::~PortapapelesX11() = default;

std::int64_t PortapapelesX11::contadorCambios() {
    {
        std::lock_guard l(cerrojoConsultas);
        consultadas.erase(std::this_thread::get_id());
    }
    return contador.load(std::memory_order_relaxed);
}

PortapapelesX11::Estado PortapapelesX11::mirar(bool paraLeer) {
    Estado estado;
    estado.clave = seleccion.propietario();
    const xcb_window_t dueno = estado.clave.ventana;
    if (dueno == XCB_NONE) return estado;
    // Un contenido es un cambio de dueño visto por XFixes en la conexión propia; sin XFixes,
    // el contador de Qt.
    if (estado.clave.cambio < 0) estado.clave.cambio = contador.load(std::memory_order_relaxed);
    const auto vista = consultada();
    if (paraLeer && vista && *vista != estado.clave) {
        // Otro contenido que nadie ha mirado aún: se leerá como el cambio que es.
        qCInfo(registroX11, "CLIPBOARD cambió de dueño después de mirar sus tipos: no se lee");
        return {};
    }

    if ((dueno & ~mascaraQt) == baseQt) {
        // Una ventana de este proceso: pedírsela a Qt por X bloquearía el hilo que debe
        // contestar. Mientras Qt no confirme que es suya (está soltándola), no hay nada. Lo
        // nuestro solo se mira desde el hilo de Qt: desde otro, no hay nada que leer.
        if (QThread::currentThread() != portapapeles->thread()) return estado;
        if (!portapapeles->ownsClipboard()) return estado;
        estado.origen = Origen::propio;
        estado.propios = portapapeles->mimeData(QClipboard::Clipboard);
        if (!estado.propios) return estado;
        std::vector<std::string> formatos;
        for (const auto& f : estado.propios->formats())
            formatos.push_back(f.toStdString());
        // Sin formatos es lo que deja vaciar(): no hay lista de tipos.
        if (!formatos.empty()) estado.destinos = std::move(formatos);
        return estado;
    }

    estado.origen = Origen::ajeno;
    // La lista ya leída de este contenido sigue valiendo aunque luego el dueño callara.
    if (claveDestinos == estado.clave) {
        estado.destinos = destinosGuardados;
        return estado;
    }
    if (mudoEn == estado.clave) return estado;
    std::vector<std::string> nombres;
    const Respuesta respuesta = conPresupuesto(estado.clave, [&](Seleccion::Duracion restante) {
        return seleccion.destinos(estado.clave, nombres,
                                  std::min<Seleccion::Duracion>(plazoPeticion, restante));
    });
    if (respuesta == Respuesta::datos) estado.destinos = std::move(nombres);
    claveDestinos = estado.clave;
    destinosGuardados = estado.destinos;
    return estado;
}

template <typename Peticion>
Respuesta PortapapelesX11::conPresupuesto(const Clave& clave, Peticion peticion) {
    if (gasto.clave != clave) gasto = {clave, {}};
    const auto restante =
        std::chrono::duration_cast<Seleccion::Duracion>(presupuestoPorContenido - gasto.usado);
    if (restante <= Seleccion::Duracion::zero()) {
        qCInfo(registroX11, "el dueño de CLIPBOARD agotó su tiempo para este contenido");
        mudoEn = clave;
        return Respuesta::sinTiempo;
    }
    const auto inicio = std::chrono::steady_clock::now();
    const Respuesta respuesta = peticion(restante);
    gasto.usado += std::chrono::steady_clock::now() - inicio;
    // Un dueño que ya hizo esperar una vez no vuelve a hacerlo con este contenido.
    if (respuesta == Respuesta::sinTiempo) mudoEn = clave;
    return respuesta;
}

std::optional<std::vector<std::string>> PortapapelesX11::tipos() {
    std::lock_guard l(cerrojo);
    const Estado estado = mirar(false);
    {
        std::lock_guard c(cerrojoConsultas);
        consultadas[std::this_thread::get_id()] = estado.clave;
    }
    if (!estado.destinos) return std::nullopt;
    return tipos::identificadores(*estado.destinos);
}

std::optional<PortapapelesX11::Leido> PortapapelesX11::leer(std::string_view identificador) {
    const Estado estado = mirar(true);
    if (estado.origen == Origen::nadie) return std::nullopt;

    std::vector<std::string> candidatos;
    if (estado.destinos) {
        candidatos = tipos::destinosParaLeer(identificador, *estado.destinos);
    } else if (identificador == tipos::texto && estado.origen == Origen::ajeno) {
        // Un dueño antiguo sin lista de destinos suele entender al menos estos dos.
        candidatos = {"UTF8_STRING", "STRING"};
    }

    for (const auto& destino : candidatos) {
        if (estado.origen == Origen::propio) {
            const QString formato = QString::fromStdString(destino);
            if (!estado.propios->hasFormat(formato)) continue;
            return Leido{destino, destino, deQt(estado.propios->data(formato))};
        }
        if (mudoEn == estado.clave) return std::nullopt;
        const Seleccion::Duracion primera =
            destino.starts_with("image/") ? plazoImagen : plazoPeticion;
        Transferencia t;
        conPresupuesto(estado.clave, [&](Seleccion::Duracion restante) {
            t = seleccion.pedir(estado.clave, destino, std::min(primera, restante),
                                std::min<Seleccion::Duracion>(plazoTransferencia, restante));
            return t.respuesta;
        });
        switch (t.respuesta) {
        case Respuesta::datos:
            if (identificador == tipos::texto && !tipos::esRespuestaDeTexto(t.tipo, t.formato)) {
                // Un entero o un átomo no es texto aunque se pidiera como tal.
                qCInfo(registroX11, "%s contestado con tipo %s y formato %d: no es texto",
                       destino.c_str(), t.tipo.c_str(), t.formato);
                break;
            }
            return Leido{destino, std::move(t.tipo), std::move(t.datos)};
        case Respuesta::sinTiempo:
        case Respuesta::sinConexion:
        case Respuesta::otroDueno:
            return std::nullopt;
        case Respuesta::rechazo:
            break;
        }
    }
    return std::nullopt;
}

std::optional<std::vector<std::filesystem::path>> PortapapelesX11::archivos() {
    std::lock_guard l(cerrojo);
    const auto leido = leer(tipos::urlArchivo);
    if (!leido) return std::nullopt;
    const std::string lista(leido->datos.begin(), leido->datos.end());
    auto rutas = tipos::rutasDeUris(lista, leido->destino == tipos::archivosGnome, maquina);
    if (rutas.empty()) return std::nullopt;
    return rutas;
}

std::optional<std::string> PortapapelesX11::texto() {
    std::lock_guard l(cerrojo);
    const auto leido = leer(tipos::texto);
    if (!leido) return std::nullopt;
    return tipos::textoDe(leido->destino, leido->tipo, leido->datos);
}

std::optional<Datos> PortapapelesX11::datos(std::string_view tipo) {
    std::lock_guard l(cerrojo);
    if (tipo == tipos::texto) {
        auto t = texto();
        if (!t) return std::nullopt;
        return Datos(t->begin(), t->end());
    }
    if (tipo == tipos::urlArchivo) {
        auto rutas = archivos();
        if (!rutas) return std::nullopt;
        const std::string uri = tipos::uriDeRuta(rutas->front());
        return Datos(uri.begin(), uri.end());
    }
    auto leido = leer(tipo);
    if (!leido) return std::nullopt;
    if (tipo == tipos::html) return tipos::htmlEnUtf8(std::move(leido->datos));
    return std::move(leido->datos);
}

int PortapapelesX11::comportamientoAcceso() {
    return 2; // X11 no tiene permiso de acceso al portapapeles: siempre permitido
}

bool PortapapelesX11::escribir(QMimeData* nuevos) {
    // Qt se queda con los datos y sirve las peticiones (también INCR) desde su bucle.
    escribiendo = true;
    portapapeles->setMimeData(nuevos, QClipboard::Clipboard);
    escribiendo = false;
    // ownsClipboard() no basta: el servidor ignora la petición de Qt si su hora es anterior
    // al último cambio de dueño, y Qt lo da por hecho igualmente. Si otro hilo está leyendo
    // (hasta 2,5 s), no se le espera: vale lo que dice Qt.
    std::unique_lock l(cerrojo, std::try_to_lock);
    if (!l.owns_lock()) return portapapeles->ownsClipboard();
    const xcb_window_t dueno = seleccion.propietario().ventana;
    if (portapapeles->ownsClipboard() && dueno != XCB_NONE && (dueno & ~mascaraQt) == baseQt)
        return true;
    // Rechazada, Qt se cree dueño igualmente y callaría los avisos de los dueños siguientes
    // (parecerían los tardíos de lo nuestro): se le quita lo que cree tener.
    if (portapapeles->ownsClipboard()) {
        escribiendo = true;
        portapapeles->setMimeData(nullptr, QClipboard::Clipboard);
        escribiendo = false;
    }
    avivarHoraDeQt();
    return false;
}

void PortapapelesX11::avivarHoraDeQt() {
    // Qt pone su hora con los eventos que recibe. Un cambio de propiedad en una ventana suya
    // le trae la del servidor en la siguiente vuelta del bucle, y la próxima escritura ya no
    // llega con una hora anterior a la del último cambio de dueño.
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection()) return;
    if (!ventanaHora) {
        ventanaHora = std::make_unique<QWindow>();
        ventanaHora->create();
    }
    auto* c = x11->connection();
    xcb_change_property(c, XCB_PROP_MODE_APPEND, static_cast<xcb_window_t>(ventanaHora->winId()),
                        XCB_ATOM_WM_COMMAND, XCB_ATOM_STRING, 8, 0, nullptr);
    xcb_flush(c);
}

void PortapapelesX11::vaciar() {
    // Se vacía quedándose la selección sin nada que ofrecer. QClipboard::clear preguntaría
    // antes a un dueño ajeno (hasta cinco segundos si no contesta), y soltarla desde otra
    // conexión haría que la escritura siguiente de Qt, con una hora anterior, se ignorase.
    escribir(new QMimeData);
}

bool PortapapelesX11::escribirTexto(std::string_view texto) {
    return escribirPiezas({Pieza{std::string(tipos::texto), Datos(texto.begin(), texto.end())}});
}

bool PortapapelesX11::escribirArchivos(const std::vector<std::filesystem::path>& rutas) {
    if (rutas.empty()) return false;
    // Como los gestores de archivos: URL estándar, la variante de GNOME y las rutas como texto.
    QByteArray uris;
    QByteArray gnome = "copy";
    QString texto;
    for (const auto& ruta : rutas) {
        const QByteArray uri = aQt(tipos::uriDeRuta(ruta));
        uris += uri + "\r\n";
        gnome += "\n" + uri;
        if (!texto.isEmpty()) texto += QLatin1Char('\n');
        texto += QString::fromStdString(ruta.string());
    }
    auto* nuevos = new QMimeData;
    nuevos->setData(QString::fromLatin1(tipos::listaUris), uris);
    nuevos->setData(QString::fromLatin1(tipos::archivosGnome), gnome);
    nuevos->setText(texto);
    return escribir(nuevos);
}

bool PortapapelesX11::escribirPiezas(const std::vector<Pieza>& piezas) {
    auto nuevos = std::make_unique<QMimeData>();
    bool alguna = false;
    for (const auto& pieza : piezas) {
        const auto formatos = tipos::formatosParaEscribir(pieza.tipo);
        for (const auto& formato : formatos) {
            const QString f = QString::fromStdString(formato);
            if (nuevos->hasFormat(f)) continue;
            if (formato == "text/plain") {
                // setText hace que Qt ofrezca también UTF8_STRING, STRING y TEXT.
                nuevos->setText(QString::fromUtf8(aQt(pieza.datos)));
            } else {
                // Bytes tal cual: setData no convierte ni añade otros formatos de imagen.
                nuevos->setData(f, aQt(pieza.datos));
            }
        }
        alguna = alguna || !formatos.empty();
    }
    if (!alguna) return false;
    return escribir(nuevos.release());
}

bool PortapapelesX11::aceptaTipo(std::string_view tipo) {
    return !tipos::formatosParaEscribir(tipo).empty();
}

std::int64_t PortapapelesX11::transferenciasIncrementales() {
    std::lock_guard l(cerrojo);
    return seleccion.transferenciasIncrementales();
}

std::size_t PortapapelesX11::atomosEnCache() {
    std::lock_guard l(cerrojo);
    return seleccion.atomosEnCache();
}

} // namespace plataforma::x11
