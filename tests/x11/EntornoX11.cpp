#include "EntornoX11.h"

#include <QAbstractNativeEventFilter>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QWindow>

#include <poll.h>

#include <cstdlib>
#include <fstream>
#include <random>

namespace pruebas_x11 {

Bytes bytes(std::string_view s) {
    return Bytes(s.begin(), s.end());
}
std::string cadena(const Bytes& b) {
    return std::string(b.begin(), b.end());
}

bool hayPantallaAislada() {
    const char* aislado = std::getenv("REBISCO_X11_AISLADO");
    const char* pantalla = std::getenv("DISPLAY");
    return aislado && *aislado && pantalla && *pantalla;
}

namespace {

// Una conexión de las pruebas para preguntar al servidor sin pasar por Qt ni por el backend.
xcb_connection_t* conexionPrueba() {
    static xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    return c;
}

xcb_atom_t atomoPrueba(const std::string& n) {
    auto* c = conexionPrueba();
    auto* r = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(n.size()), n.data()), nullptr);
    const xcb_atom_t a = r ? r->atom : XCB_NONE;
    std::free(r);
    return a;
}

BarreraQt* barreraActual = nullptr;

} // namespace

struct BarreraQt::Estado : QAbstractNativeEventFilter {
    QWindow ventana;
    xcb_atom_t tipo = XCB_NONE;
    std::uint32_t enviado = 0;
    std::uint32_t visto = 0;

    bool nativeEventFilter(const QByteArray& clase, void* mensaje, qintptr*) override {
        if (clase != "xcb_generic_event_t") return false;
        const auto* e = static_cast<const xcb_generic_event_t*>(mensaje);
        if ((e->response_type & 0x7F) != XCB_CLIENT_MESSAGE) return false;
        const auto* m = static_cast<const xcb_client_message_event_t*>(mensaje);
        if (m->type != tipo) return false;
        visto = m->data.data32[0];
        return true;
    }
};

BarreraQt::BarreraQt()
    : estado(std::make_unique<Estado>()) {
    estado->ventana.create();
    estado->tipo = atomoPrueba("REBISCO_BARRERA_PRUEBAS");
    QCoreApplication::instance()->installNativeEventFilter(estado.get());
    barreraActual = this;
}

BarreraQt::~BarreraQt() {
    barreraActual = nullptr;
    QCoreApplication::instance()->removeNativeEventFilter(estado.get());
}

bool BarreraQt::cruzar() {
    xcb_client_message_event_t m{};
    m.response_type = XCB_CLIENT_MESSAGE;
    m.format = 32;
    m.window = static_cast<xcb_window_t>(estado->ventana.winId());
    m.type = estado->tipo;
    m.data.data32[0] = ++estado->enviado;
    xcb_send_event(conexionPrueba(), 0, m.window, XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char*>(&m));
    xcb_flush(conexionPrueba());
    return procesarHasta([&] { return estado->visto == estado->enviado; });
}

bool sincronizarConQt() {
    EXPECT_NE(barreraActual, nullptr);
    return barreraActual && barreraActual->cruzar();
}

xcb_window_t duenoActual() {
    auto* c = conexionPrueba();
    static const xcb_atom_t clipboard = atomoPrueba("CLIPBOARD");
    auto* r = xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, clipboard), nullptr);
    const xcb_window_t dueno = r ? r->owner : XCB_NONE;
    std::free(r);
    return dueno;
}

xcb_window_t duenoDe(const std::string& seleccion) {
    auto* c = conexionPrueba();
    auto* r = xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, atomoPrueba(seleccion)),
                                            nullptr);
    const xcb_window_t dueno = r ? r->owner : XCB_NONE;
    std::free(r);
    return dueno;
}

std::optional<bool> pedirGuardar(std::chrono::milliseconds plazo) {
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    std::optional<bool> respuesta;
    if (!xcb_connection_has_error(c)) {
        const xcb_screen_t* pantalla = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
        const xcb_window_t ventana = xcb_generate_id(c);
        xcb_create_window(c, XCB_COPY_FROM_PARENT, ventana, pantalla->root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, pantalla->root_visual, 0, nullptr);
        // Como Qt: sin la propiedad, el gestor guarda todo lo que se anuncia.
        xcb_convert_selection(c, ventana, atomoPrueba("CLIPBOARD_MANAGER"),
                              atomoPrueba("SAVE_TARGETS"), atomoPrueba("REBISCO_ENTREGA"),
                              XCB_CURRENT_TIME);
        xcb_flush(c);
        procesarHasta(
            [&] {
                while (xcb_generic_event_t* e = xcb_poll_for_event(c)) {
                    if ((e->response_type & 0x7F) == XCB_SELECTION_NOTIFY)
                        respuesta = reinterpret_cast<xcb_selection_notify_event_t*>(e)->property !=
                                    XCB_NONE;
                    std::free(e);
                }
                return respuesta.has_value();
            },
            plazo);
    }
    xcb_disconnect(c);
    return respuesta;
}

AppQueCopia::AppQueCopia(const QString& programa, const QStringList& argumentos) {
    proceso.setStandardErrorFile(QProcess::nullDevice());
    proceso.start(programa, argumentos);
}

AppQueCopia::~AppQueCopia() {
    if (proceso.state() == QProcess::NotRunning) return;
    proceso.kill();
    proceso.waitForFinished(5000);
}

bool AppQueCopia::copiado() {
    const bool listo = procesarHasta([&] { return proceso.canReadLine(); }, 10s) &&
                       proceso.readLine().trimmed() == "copiado";
    if (!listo) return false;
    ventana = duenoActual();
    return sincronizarConQt();
}

int AppQueCopia::salir() {
    proceso.write("sal\n");
    const bool acabo = procesarHasta([&] { return proceso.state() == QProcess::NotRunning; }, 10s);
    if (!acabo) return -1;
    return proceso.exitStatus() == QProcess::NormalExit ? proceso.exitCode() : -1;
}

OtroGestor::OtroGestor() {
    conexion = xcb_connect(nullptr, nullptr);
    const xcb_screen_t* pantalla = xcb_setup_roots_iterator(xcb_get_setup(conexion)).data;
    ventana = xcb_generate_id(conexion);
    xcb_create_window(conexion, XCB_COPY_FROM_PARENT, ventana, pantalla->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, pantalla->root_visual, 0, nullptr);
    xcb_set_selection_owner(conexion, ventana, atomoPrueba("CLIPBOARD_MANAGER"), XCB_CURRENT_TIME);
    std::free(xcb_get_input_focus_reply(conexion, xcb_get_input_focus(conexion), nullptr));
}

OtroGestor::~OtroGestor() {
    xcb_disconnect(conexion);
}

bool esperarDueno(const std::function<bool(xcb_window_t)>& condicion) {
    const bool visto = procesarHasta([&] { return condicion(duenoActual()); });
    return sincronizarConQt() && visto;
}

bool procesarHasta(const std::function<bool()>& condicion, std::chrono::milliseconds plazo) {
    QElapsedTimer reloj;
    reloj.start();
    while (!condicion()) {
        if (reloj.elapsed() > plazo.count()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

void ConPantalla::SetUp() {
    if (!qGuiApp) GTEST_SKIP() << "sin servidor X aislado: ejecútalas con scripts/con-x11.sh";
    plataforma = plataforma::x11::crear();
    ASSERT_NE(plataforma, nullptr);
}

CarpetaTemporal::CarpetaTemporal() {
    std::random_device azar;
    raiz = std::filesystem::temp_directory_path() /
           ("rebisco-x11-" + std::to_string(azar()) + "-" + std::to_string(azar()));
    std::filesystem::create_directories(raiz);
}

CarpetaTemporal::~CarpetaTemporal() {
    std::error_code error;
    std::filesystem::remove_all(raiz, error);
}

std::filesystem::path CarpetaTemporal::escribir(const std::string& nombre,
                                                const Bytes& datos) const {
    const auto ruta = raiz / nombre;
    std::filesystem::create_directories(ruta.parent_path());
    std::ofstream f(ruta, std::ios::binary);
    f.write(reinterpret_cast<const char*>(datos.data()),
            static_cast<std::streamsize>(datos.size()));
    return ruta;
}

CopiaXclip::CopiaXclip(const std::string& destino, const Bytes& datos) {
    const auto archivo = carpeta.escribir("datos", datos);
    proceso.setStandardOutputFile(QProcess::nullDevice());
    proceso.setStandardErrorFile(QProcess::nullDevice());
    // -quiet la deja en primer plano: así se puede terminar al acabar la prueba.
    proceso.start("xclip",
                  {"-quiet", "-selection", "clipboard", "-t", QString::fromStdString(destino), "-i",
                   QString::fromStdString(archivo.string())});
    proceso.waitForStarted(5000);
}

CopiaXclip::~CopiaXclip() {
    terminar();
}

void CopiaXclip::terminar() {
    if (proceso.state() == QProcess::NotRunning) return;
    const bool eraDueno = ventana != XCB_NONE && duenoActual() == ventana;
    proceso.kill();
    proceso.waitForFinished(5000);
    if (eraDueno) {
        EXPECT_TRUE(esperarDueno([&](xcb_window_t d) { return d != ventana; }));
    }
}

std::unique_ptr<CopiaXclip> copiarConXclip(plataforma::Portapapeles& p, const std::string& destino,
                                           const Bytes& datos) {
    const auto antes = p.contadorCambios();
    const xcb_window_t duenoAntes = duenoActual();
    auto copia = std::make_unique<CopiaXclip>(destino, datos);
    EXPECT_TRUE(esperarDueno([&](xcb_window_t d) { return d != XCB_NONE && d != duenoAntes; }))
        << "xclip no tomó el portapapeles";
    copia->ventana = duenoActual();
    EXPECT_NE(p.contadorCambios(), antes) << "Qt no avisó del cambio";
    return copia;
}

int ejecutar(const QString& programa, const QStringList& argumentos,
             std::chrono::milliseconds plazo) {
    QProcess proceso;
    proceso.setStandardErrorFile(QProcess::nullDevice());
    proceso.start(programa, argumentos);
    if (!proceso.waitForStarted(5000)) return -1;
    const bool acabo =
        procesarHasta([&] { return proceso.state() == QProcess::NotRunning; }, plazo);
    if (!acabo) {
        proceso.kill();
        proceso.waitForFinished(5000);
        return -1;
    }
    return proceso.exitStatus() == QProcess::NormalExit ? proceso.exitCode() : -1;
}

std::optional<Bytes> leerConXclip(const std::string& destino) {
    QProcess proceso;
    proceso.setStandardErrorFile(QProcess::nullDevice());
    proceso.start("xclip",
                  {"-o", "-selection", "clipboard", "-t", QString::fromStdString(destino)});
    if (!proceso.waitForStarted(5000)) return std::nullopt;
    const bool acabo = procesarHasta([&] { return proceso.state() == QProcess::NotRunning; }, 10s);
    if (!acabo) {
        proceso.kill();
        proceso.waitForFinished(5000);
        return std::nullopt;
    }
    if (proceso.exitStatus() != QProcess::NormalExit || proceso.exitCode() != 0)
        return std::nullopt;
    const QByteArray salida = proceso.readAllStandardOutput();
    return Bytes(salida.begin(), salida.end());
}

CampoAjeno::CampoAjeno(const QString& programa) {
    proceso.setStandardErrorFile(QProcess::nullDevice());
    proceso.start(programa, {});
}

CampoAjeno::~CampoAjeno() {
    proceso.kill();
    proceso.waitForFinished(5000);
}

bool CampoAjeno::listo() {
    return procesarHasta([&] { return leer(), preparado; }, 10s);
}

std::string CampoAjeno::texto() {
    leer();
    return contenido;
}

bool CampoAjeno::esperarTexto(const std::string& esperado, std::chrono::milliseconds plazo) {
    return procesarHasta([&] { return texto() == esperado; }, plazo);
}

void CampoAjeno::leer() {
    while (proceso.canReadLine()) {
        const QByteArray linea = proceso.readLine().trimmed();
        if (linea == "listo") preparado = true;
        if (linea.startsWith("texto"))
            contenido = QByteArray::fromPercentEncoding(linea.mid(6)).toStdString();
    }
}

DuenoXcb::DuenoXcb(std::vector<Oferta> ofertas, Modo modo, std::function<void()> antesDeDestinos)
    : ofertas(std::move(ofertas))
    , modo(modo)
    , antesDeDestinos(std::move(antesDeDestinos)) {
    conexion = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(conexion)) {
        ADD_FAILURE() << "el dueño de prueba no pudo conectar con X";
        return;
    }
    const xcb_screen_t* pantalla = xcb_setup_roots_iterator(xcb_get_setup(conexion)).data;
    ventana = xcb_generate_id(conexion);
    xcb_create_window(conexion, XCB_COPY_FROM_PARENT, ventana, pantalla->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, pantalla->root_visual, 0, nullptr);
    if (this->modo == Modo::enEspera) {
        hilo = std::thread([this] { atender(); });
        return;
    }
    tomar();
    if (this->modo != Modo::mudo) hilo = std::thread([this] { atender(); });
    // Al volver, Qt ya vio el cambio de dueño.
    EXPECT_TRUE(sincronizarConQt());
}

void DuenoXcb::tomar() {
    const xcb_atom_t clipboard = atomo("CLIPBOARD");
    xcb_set_selection_owner(conexion, ventana, clipboard, XCB_CURRENT_TIME);
    auto* r = xcb_get_selection_owner_reply(conexion, xcb_get_selection_owner(conexion, clipboard),
                                            nullptr);
    const bool esDueno = r && r->owner == ventana;
    std::free(r);
    if (!esDueno) ADD_FAILURE() << "el dueño de prueba no consiguió CLIPBOARD";
}

DuenoXcb::~DuenoXcb() {
    parar = true;
    if (hilo.joinable()) hilo.join();
    const bool eraDueno = ventana != XCB_NONE && duenoActual() == ventana;
    if (conexion) xcb_disconnect(conexion);
    if (eraDueno) {
        EXPECT_TRUE(esperarDueno([&](xcb_window_t d) { return d != ventana; }));
    }
}

std::vector<std::string> DuenoXcb::pedidos() {
    std::lock_guard l(cerrojo);
    return pedidosHechos;
}

xcb_atom_t DuenoXcb::atomo(const std::string& n) {
    auto* r = xcb_intern_atom_reply(
        conexion, xcb_intern_atom(conexion, 0, static_cast<std::uint16_t>(n.size()), n.data()),
        nullptr);
    const xcb_atom_t a = r ? r->atom : XCB_NONE;
    std::free(r);
    return a;
}

std::string DuenoXcb::nombre(xcb_atom_t a) {
    auto* r = xcb_get_atom_name_reply(conexion, xcb_get_atom_name(conexion, a), nullptr);
    std::string n;
    if (r)
        n.assign(xcb_get_atom_name_name(r),
                 static_cast<std::size_t>(xcb_get_atom_name_name_length(r)));
    std::free(r);
    return n;
}

void DuenoXcb::atender() {
    const xcb_atom_t targets = atomo("TARGETS");
    const xcb_atom_t incr = atomo("INCR");
    bool destinosDados = false;
    // Transferencias INCR en curso: cada borrado de la propiedad pide el trozo siguiente.
    struct Goteo {
        xcb_window_t ventana;
        xcb_atom_t propiedad;
        xcb_atom_t tipo;
        const Oferta* oferta;
        std::size_t enviado = 0;
        bool terminado = false;
    };
    std::vector<Goteo> goteos;
    while (!parar) {
        pollfd p{xcb_get_file_descriptor(conexion), POLLIN, 0};
        ::poll(&p, 1, 20);
        while (xcb_generic_event_t* e = xcb_poll_for_event(conexion)) {
            const auto clase = e->response_type & 0x7F;
            if (clase == XCB_PROPERTY_NOTIFY) {
                const auto aviso = *reinterpret_cast<xcb_property_notify_event_t*>(e);
                std::free(e);
                if (aviso.state != XCB_PROPERTY_DELETE) continue;
                for (auto& g : goteos) {
                    if (g.ventana != aviso.window || g.propiedad != aviso.atom || g.terminado)
                        continue;
                    std::this_thread::sleep_for(g.oferta->retraso);
                    const Bytes& datos = *g.oferta->datos;
                    const std::size_t tamTrozo =
                        (datos.size() + g.oferta->trozos - 1) / g.oferta->trozos;
                    const std::size_t n = std::min(tamTrozo, datos.size() - g.enviado);
                    // El trozo vacío cierra la transferencia.
                    xcb_change_property(conexion, XCB_PROP_MODE_REPLACE, g.ventana, g.propiedad,
                                        g.tipo, 8, static_cast<std::uint32_t>(n),
                                        datos.data() + g.enviado);
                    g.terminado = n == 0;
                    g.enviado += n;
                    xcb_flush(conexion);
                }
                continue;
            }
            if (clase != XCB_SELECTION_REQUEST) {
                std::free(e);
                continue;
            }
            const auto pedido = *reinterpret_cast<xcb_selection_request_event_t*>(e);
            std::free(e);
            const std::string destino = nombre(pedido.target);
            {
                std::lock_guard l(cerrojo);
                pedidosHechos.push_back(destino);
            }
            if (modo == Modo::soloDestinos && destinosDados) continue;

            xcb_selection_notify_event_t aviso{};
            aviso.response_type = XCB_SELECTION_NOTIFY;
            aviso.time = pedido.time;
            aviso.requestor = pedido.requestor;
            aviso.selection = pedido.selection;
            aviso.target = pedido.target;
            aviso.property = XCB_NONE;
            const xcb_atom_t propiedad =
                pedido.property != XCB_NONE ? pedido.property : pedido.target;
            if (pedido.target == targets) {
                if (antesDeDestinos) antesDeDestinos();
                std::vector<xcb_atom_t> lista{targets, atomo("TIMESTAMP")};
                for (const auto& o : ofertas)
                    lista.push_back(atomo(o.destino));
                xcb_change_property(conexion, XCB_PROP_MODE_REPLACE, pedido.requestor, propiedad,
                                    XCB_ATOM_ATOM, 32, static_cast<std::uint32_t>(lista.size()),
                                    lista.data());
                aviso.property = propiedad;
                destinosDados = true;
            } else {
                for (const auto& o : ofertas) {
                    if (o.destino != destino || !o.datos) continue;
                    const xcb_atom_t tipo = atomo(o.tipo.empty() ? o.destino : o.tipo);
                    if (o.trozos > 0) {
                        const std::uint32_t mascara = XCB_EVENT_MASK_PROPERTY_CHANGE;
                        xcb_change_window_attributes(conexion, pedido.requestor, XCB_CW_EVENT_MASK,
                                                     &mascara);
                        const auto total = static_cast<std::uint32_t>(o.datos->size());
                        xcb_change_property(conexion, XCB_PROP_MODE_REPLACE, pedido.requestor,
                                            propiedad, incr, 32, 1, &total);
                        goteos.push_back({pedido.requestor, propiedad, tipo, &o});
                    } else {
                        std::this_thread::sleep_for(o.retraso);
                        xcb_change_property(
                            conexion, XCB_PROP_MODE_REPLACE, pedido.requestor, propiedad, tipo, 8,
                            static_cast<std::uint32_t>(o.datos->size()), o.datos->data());
                    }
                    aviso.property = propiedad;
                    break;
                }
            }
            xcb_send_event(conexion, 0, pedido.requestor, XCB_EVENT_MASK_NO_EVENT,
                           reinterpret_cast<const char*>(&aviso));
            xcb_flush(conexion);
        }
        if (xcb_connection_has_error(conexion)) return;
    }
}

} // namespace pruebas_x11
