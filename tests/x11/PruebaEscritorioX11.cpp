// La aplicación en primer plano según el gestor de ventanas (openbox) y los archivos .desktop.
#include "EntornoX11.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

using namespace pruebas_x11;
namespace fs = std::filesystem;

namespace {

// Una ventana de otro cliente X con las propiedades que pondría una aplicación.
class VentanaDePrueba {
public:
    struct Propiedades {
        std::optional<std::pair<std::string, std::string>> claseWm; // instancia, clase
        std::optional<std::uint32_t> pid;
        std::optional<std::string> idGtk;
        std::optional<std::string> idKde;
        xcb_window_t transitoriaDe = XCB_NONE;
        bool mapear = true;
    };

    explicit VentanaDePrueba(const Propiedades& p) {
        conexion = xcb_connect(nullptr, nullptr);
        const xcb_screen_t* pantalla = xcb_setup_roots_iterator(xcb_get_setup(conexion)).data;
        raiz = pantalla->root;
        id = xcb_generate_id(conexion);
        xcb_create_window(conexion, XCB_COPY_FROM_PARENT, id, raiz, 10, 10, 200, 100, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, pantalla->root_visual, 0, nullptr);
        if (p.claseWm) {
            std::string valor = p.claseWm->first + '\0' + p.claseWm->second + '\0';
            cambiar(XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8, valor.size(), valor.data());
        }
        if (p.pid) cambiar(atomo("_NET_WM_PID"), XCB_ATOM_CARDINAL, 32, 1, &*p.pid);
        const xcb_atom_t utf8 = atomo("UTF8_STRING");
        if (p.idGtk)
            cambiar(atomo("_GTK_APPLICATION_ID"), utf8, 8, p.idGtk->size(), p.idGtk->data());
        if (p.idKde)
            cambiar(atomo("_KDE_NET_WM_DESKTOP_FILE"), utf8, 8, p.idKde->size(), p.idKde->data());
        if (p.transitoriaDe != XCB_NONE)
            cambiar(XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW, 32, 1, &p.transitoriaDe);
        // WM_HINTS con input=True: el gestor le da el foco al activarla.
        const std::uint32_t pistas[9] = {1, 1, 0, 0, 0, 0, 0, 0, 0};
        cambiar(XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS, 32, 9, pistas);
        if (p.mapear) mapear();
        xcb_flush(conexion);
    }

    void mapear() {
        xcb_map_window(conexion, id);
        xcb_flush(conexion);
    }

    bool gestionada() {
        return procesarHasta([&] { return enListaDeClientes(); });
    }

    // Una propiedad de 32 bits de la ventana, tal como está ahora en el servidor.
    std::vector<std::uint32_t> propiedad(const std::string& nombre) {
        auto* r = xcb_get_property_reply(
            conexion,
            xcb_get_property(conexion, 0, id, atomo(nombre), XCB_GET_PROPERTY_TYPE_ANY, 0, 1024),
            nullptr);
        std::vector<std::uint32_t> valores;
        if (r && r->format == 32) {
            const auto* v = static_cast<const std::uint32_t*>(xcb_get_property_value(r));
            valores.assign(v, v + xcb_get_property_value_length(r) / 4);
        }
        std::free(r);
        return valores;
    }

    void ponerEstados(const std::vector<std::string>& nombres) {
        std::vector<xcb_atom_t> atomos;
        for (const auto& n : nombres)
            atomos.push_back(atomo(n));
        cambiar(atomo("_NET_WM_STATE"), XCB_ATOM_ATOM, 32, atomos.size(), atomos.data());
        xcb_flush(conexion);
    }

    xcb_atom_t atomo(const std::string& n) {
        auto* r = xcb_intern_atom_reply(
            conexion, xcb_intern_atom(conexion, 0, static_cast<std::uint16_t>(n.size()), n.data()),
            nullptr);
        const xcb_atom_t a = r ? r->atom : XCB_NONE;
        std::free(r);
        return a;
    }

    ~VentanaDePrueba() { xcb_disconnect(conexion); }

    // Espera a que openbox la gestione y la activa como lo haría un clic.
    bool activar() {
        if (!gestionada()) return false;
        return ejecutar("xdotool", {"windowactivate", "--sync", QString::number(id)}) == 0;
    }

    // Destruida cuando vuelve: la petición de después ya tiene respuesta.
    void destruir() {
        xcb_destroy_window(conexion, id);
        std::free(xcb_get_input_focus_reply(conexion, xcb_get_input_focus(conexion), nullptr));
    }

    // Lo que haría un gestor de ventanas con la propiedad de la raíz: otro valor o ninguno.
    void ponerActivaEnRaiz(std::optional<xcb_window_t> valor) {
        const xcb_atom_t activa = atomo("_NET_ACTIVE_WINDOW");
        if (valor) {
            xcb_change_property(conexion, XCB_PROP_MODE_REPLACE, raiz, activa, XCB_ATOM_WINDOW, 32,
                                1, &*valor);
        } else {
            xcb_delete_property(conexion, raiz, activa);
        }
        std::free(xcb_get_input_focus_reply(conexion, xcb_get_input_focus(conexion), nullptr));
    }

    xcb_window_t id = XCB_NONE;

private:
    void cambiar(xcb_atom_t propiedad, xcb_atom_t tipo, std::uint8_t formato, std::size_t n,
                 const void* datos) {
        xcb_change_property(conexion, XCB_PROP_MODE_REPLACE, id, propiedad, tipo, formato,
                            static_cast<std::uint32_t>(n), datos);
    }

    std::vector<std::uint32_t> propiedadRaiz(const std::string& nombre) {
        auto* r = xcb_get_property_reply(
            conexion, xcb_get_property(conexion, 0, raiz, atomo(nombre), XCB_ATOM_WINDOW, 0, 1024),
            nullptr);
        std::vector<std::uint32_t> valores;
        if (r && r->format == 32) {
            const auto* v = static_cast<const std::uint32_t*>(xcb_get_property_value(r));
            valores.assign(v, v + xcb_get_property_value_length(r) / 4);
        }
        std::free(r);
        return valores;
    }

    bool enListaDeClientes() {
        const auto lista = propiedadRaiz("_NET_CLIENT_LIST");
        return std::find(lista.begin(), lista.end(), id) != lista.end();
    }

    xcb_connection_t* conexion = nullptr;
    xcb_window_t raiz = XCB_NONE;
};

// Cambia una variable de entorno mientras vive.
class Variable {
public:
    Variable(const char* nombre, const std::string& valor)
        : nombre(nombre) {
        if (const char* v = std::getenv(nombre)) antes = v;
        ::setenv(nombre, valor.c_str(), 1);
    }
    ~Variable() {
        if (antes)
            ::setenv(nombre, antes->c_str(), 1);
        else
            ::unsetenv(nombre);
    }

private:
    const char* nombre;
    std::optional<std::string> antes;
};

} // namespace

class EscritorioX11 : public ConPantalla {
protected:
    void SetUp() override {
        ConPantalla::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        // Solo las entradas de la prueba: ni las del sistema ni las del usuario.
        casa = std::make_unique<Variable>("XDG_DATA_HOME", (propia.ruta() / "casa").string());
        sistema = std::make_unique<Variable>("XDG_DATA_DIRS", (propia.ruta() / "sistema").string());
        idioma = std::make_unique<Variable>("LC_ALL", "es_ES.UTF-8");
    }

    void escribirEntrada(const std::string& donde, const std::string& archivo,
                         const std::string& contenido) {
        propia.escribir(donde + "/applications/" + archivo, bytes(contenido));
    }

    plataforma::Escritorio& escritorio() { return plataforma->escritorio(); }

    CarpetaTemporal propia;
    std::unique_ptr<Variable> casa, sistema, idioma;
};

struct CasoVentana {
    std::string nombre;
    VentanaDePrueba::Propiedades propiedades;
    // (carpeta "casa" o "sistema", archivo, contenido)
    std::vector<std::tuple<std::string, std::string, std::string>> entradas;
    plataforma::AppEnFrente esperada;
};

class AppDelante : public EscritorioX11, public testing::WithParamInterface<CasoVentana> {};

TEST_P(AppDelante, SeNombraPorSusPropiedadesYSuEntrada) {
    const auto& c = GetParam();
    for (const auto& [donde, archivo, contenido] : c.entradas)
        escribirEntrada(donde, archivo, contenido);
    VentanaDePrueba ventana(c.propiedades);
    ASSERT_TRUE(ventana.activar());
    EXPECT_EQ(escritorio().appEnPrimerPlano(), c.esperada);
}

INSTANTIATE_TEST_SUITE_P(
    Tabla, AppDelante,
    testing::Values(
        CasoVentana{"soloClase",
                    {.claseWm = {{"inst", "PruebaClase"}}, .pid = 4242},
                    {},
                    {.id = "PruebaClase", .nombre = "PruebaClase", .pid = 4242}},
        CasoVentana{"sinPid",
                    {.claseWm = {{"inst", "SinPid"}}},
                    {},
                    {.id = "SinPid", .nombre = "SinPid", .pid = 0}},
        CasoVentana{"entradaPorClase",
                    {.claseWm = {{"inst", "Editor"}}, .pid = 7},
                    {{"casa", "Editor.desktop", "[Desktop Entry]\nName=Editor de pruebas\n"}},
                    {.id = "Editor", .nombre = "Editor de pruebas", .pid = 7}},
        CasoVentana{
            "entradaEnMinusculas",
            {.claseWm = {{"visor", "Visor"}}},
            {{"sistema", "visor.desktop", "[Desktop Entry]\nName=Visor de im\xc3\xa1genes\n"}},
            {.id = "visor", .nombre = "Visor de im\xc3\xa1genes", .otrosIds = {"Visor"}}},
        CasoVentana{"startupWmClass",
                    {.claseWm = {{"navegador", "Navegador-bin"}}, .pid = 99},
                    {{"sistema", "org.ejemplo.Navegador.desktop",
                      "[Desktop Entry]\nName=Navegador\nName[es]=Navegador "
                      "web\nStartupWMClass=Navegador-bin\n"}},
                    {.id = "org.ejemplo.Navegador",
                     .nombre = "Navegador web",
                     .pid = 99,
                     .otrosIds = {"Navegador-bin"}}},
        // El identificador es el de la entrada, como lo guarda el selector de apps.
        CasoVentana{
            "ultimaParteDelArchivo",
            {.claseWm = {{"mousepad", "Mousepad"}}, .pid = 8},
            {{"sistema", "org.xfce.mousepad.desktop", "[Desktop Entry]\nName=Mousepad\n"},
             {"sistema", "org.xfce.mousepad-settings.desktop", "[Desktop Entry]\nName=Ajustes\n"}},
            {.id = "org.xfce.mousepad", .nombre = "Mousepad", .pid = 8, .otrosIds = {"Mousepad"}}},
        CasoVentana{"idDeGtkSinEntradaPeroConClase",
                    {.claseWm = {{"nota", "Nota"}}, .idGtk = "org.sin.Entrada"},
                    {{"casa", "nota.desktop", "[Desktop Entry]\nName=Nota\n"}},
                    {.id = "nota", .nombre = "Nota", .otrosIds = {"org.sin.Entrada"}}},
        CasoVentana{"idDeGtk",
                    {.claseWm = {{"gtk-app", "Gtk-app"}}, .pid = 5, .idGtk = "org.ejemplo.Notas"},
                    {{"sistema", "org.ejemplo.Notas.desktop",
                      "[Desktop Entry]\nName=Notes\nName[es_ES]=Notas\nName[es]=Apuntes\n"}},
                    {.id = "org.ejemplo.Notas", .nombre = "Notas", .pid = 5}},
        CasoVentana{"idDeKde",
                    {.claseWm = {{"gestor", "gestor"}}, .idKde = "org.ejemplo.gestor"},
                    {{"sistema", "org.ejemplo.gestor.desktop", "[Desktop Entry]\nName=Gestor\n"}},
                    {.id = "org.ejemplo.gestor", .nombre = "Gestor"}},
        CasoVentana{
            "gtkAntesQueKde",
            {.claseWm = {{"a", "A"}}, .idGtk = "org.ejemplo.Gtk", .idKde = "org.ejemplo.kde"},
            {{"sistema", "org.ejemplo.kde.desktop", "[Desktop Entry]\nName=Kde\n"},
             {"sistema", "org.ejemplo.Gtk.desktop", "[Desktop Entry]\nName=Gtk\n"}},
            {.id = "org.ejemplo.Gtk", .nombre = "Gtk"}},
        // La carpeta del usuario va antes que la del sistema, y Hidden=true la borra.
        CasoVentana{"casaAntesQueSistema",
                    {.claseWm = {{"x", "Prioridad"}}},
                    {{"casa", "Prioridad.desktop", "[Desktop Entry]\nName=Del usuario\n"},
                     {"sistema", "Prioridad.desktop", "[Desktop Entry]\nName=Del sistema\n"}},
                    {.id = "Prioridad", .nombre = "Del usuario"}},
        CasoVentana{"ocultaEnCasa",
                    {.claseWm = {{"x", "Borrada"}}},
                    {{"casa", "Borrada.desktop", "[Desktop Entry]\nName=Vieja\nHidden=true\n"},
                     {"sistema", "Borrada.desktop", "[Desktop Entry]\nName=Del sistema\n"}},
                    {.id = "Borrada", .nombre = "Borrada"}},
        CasoVentana{"sinClaseUsaInstancia",
                    {.claseWm = {{"solo-instancia", ""}}, .pid = 3},
                    {},
                    {.id = "solo-instancia", .nombre = std::nullopt, .pid = 3}}),
    [](const auto& info) { return info.param.nombre; });

TEST_F(EscritorioX11, UnDialogoSinNombreEsDeSuVentanaPrincipal) {
    VentanaDePrueba principal({.claseWm = {{"prin", "Principal"}}, .pid = 11});
    ASSERT_TRUE(principal.activar());
    VentanaDePrueba dialogo({.pid = 11, .transitoriaDe = principal.id});
    ASSERT_TRUE(dialogo.activar());
    EXPECT_EQ(escritorio().appEnPrimerPlano(),
              (plataforma::AppEnFrente{.id = "Principal", .nombre = "Principal", .pid = 11}));
}

TEST_F(EscritorioX11, UnaAplicacionInstaladaDespuesSeNombraBien) {
    VentanaDePrueba ventana({.claseWm = {{"nueva", "Nueva"}}});
    ASSERT_TRUE(ventana.activar());
    EXPECT_EQ(escritorio().appEnPrimerPlano()->nombre, "Nueva");
    // Instalarla cambia la carpeta: lo guardado se descarta.
    escribirEntrada("casa", "Nueva.desktop", "[Desktop Entry]\nName=Aplicaci\xc3\xb3n nueva\n");
    EXPECT_EQ(escritorio().appEnPrimerPlano()->nombre, "Aplicaci\xc3\xb3n nueva");
}

TEST_F(EscritorioX11, SinVentanaActivaNoHayApp) {
    VentanaDePrueba ventana({.claseWm = {{"breve", "Breve"}}, .pid = 1});
    ASSERT_TRUE(ventana.activar());
    ASSERT_TRUE(escritorio().appEnPrimerPlano().has_value());

    ventana.ponerActivaEnRaiz(XCB_NONE);
    EXPECT_EQ(escritorio().appEnPrimerPlano(), std::nullopt);
    ventana.ponerActivaEnRaiz(std::nullopt);
    EXPECT_EQ(escritorio().appEnPrimerPlano(), std::nullopt);

    // openbox deja la propiedad apuntando a la ventana destruida: tampoco es una app.
    ventana.ponerActivaEnRaiz(ventana.id);
    ASSERT_TRUE(escritorio().appEnPrimerPlano().has_value());
    ventana.destruir();
    EXPECT_EQ(escritorio().appEnPrimerPlano(), std::nullopt);
}

TEST_F(EscritorioX11, DatosDelPropioProceso) {
    EXPECT_EQ(escritorio().pidPropio(), ::getpid());
    // Xvfb trae XTEST: se pueden mandar pulsaciones.
    EXPECT_TRUE(escritorio().confiable());
    EXPECT_NE(escritorio().empezarActividad("vigilar"), nullptr);
}

// La ventana activa, activar una ventana y el compositor, con sus avisos.
class Activacion : public EscritorioX11 {
protected:
    void SetUp() override {
        EscritorioX11::SetUp();
        if (IsSkipped()) return;
        observador = escritorio().observar([this] { ++avisos; });
    }
    void TearDown() override {
        if (observador) escritorio().dejarDeObservar(*observador);
    }
    bool activaEs(xcb_window_t id, std::uint32_t pid) {
        return procesarHasta([&] {
            return escritorio().ventanaActiva() == plataforma::Ventana{id, pid};
        });
    }

    std::optional<plataforma::Escritorio::Observador> observador;
    int avisos = 0;
};

TEST_F(Activacion, ActivarPasaLaActivacionYCadaCambioSeAvisa) {
    VentanaDePrueba a({.claseWm = {{"a", "A"}}, .pid = 21});
    VentanaDePrueba b({.claseWm = {{"b", "B"}}, .pid = 22});
    ASSERT_TRUE(a.activar());
    ASSERT_TRUE(b.activar());
    ASSERT_TRUE(activaEs(b.id, 22));
    ASSERT_TRUE(procesarHasta([&] { return avisos > 0; }));

    const int antes = avisos;
    EXPECT_TRUE(escritorio().activar(a.id));
    EXPECT_TRUE(activaEs(a.id, 21));
    EXPECT_TRUE(procesarHasta([&] { return avisos > antes; }));

    // El usuario vuelve a la otra: también se avisa, sin preguntar.
    const int despues = avisos;
    ASSERT_TRUE(b.activar());
    EXPECT_TRUE(procesarHasta([&] { return avisos > despues; }));
    EXPECT_TRUE(activaEs(b.id, 22));
}

TEST_F(Activacion, UnaVentanaQueYaNoExisteNoSeActiva) {
    VentanaDePrueba a({.claseWm = {{"a", "A"}}, .pid = 21});
    ASSERT_TRUE(a.activar());
    const auto id = a.id;
    a.destruir();
    EXPECT_FALSE(escritorio().activar(id));
    EXPECT_FALSE(escritorio().activar(0));
}

TEST_F(Activacion, ElCompositorSeVeLlegarYIrse) {
    ASSERT_FALSE(escritorio().hayCompositor());
    QProcess compositor;
    compositor.start("xcompmgr", {});
    ASSERT_TRUE(compositor.waitForStarted(5000));
    EXPECT_TRUE(procesarHasta([&] { return escritorio().hayCompositor(); }));
    EXPECT_GT(avisos, 0);
    const int antes = avisos;
    compositor.terminate();
    compositor.waitForFinished(5000);
    EXPECT_TRUE(procesarHasta([&] { return !escritorio().hayCompositor(); }));
    EXPECT_GT(avisos, antes);
}

TEST_F(Activacion, UnaFlotanteVaEnTodosLosEscritoriosYFueraDeLaBarra) {
    VentanaDePrueba v({.claseWm = {{"f", "F"}}, .pid = 23, .mapear = false});
    v.ponerEstados({"_NET_WM_STATE_ABOVE"});
    escritorio().prepararFlotante(v.id);
    // Dos veces no repite los estados.
    escritorio().prepararFlotante(v.id);
    const std::vector<std::uint32_t> esperados{v.atomo("_NET_WM_STATE_ABOVE"),
                                               v.atomo("_NET_WM_STATE_SKIP_TASKBAR"),
                                               v.atomo("_NET_WM_STATE_SKIP_PAGER")};
    EXPECT_EQ(v.propiedad("_NET_WM_STATE"), esperados);
    EXPECT_EQ(v.propiedad("_NET_WM_DESKTOP"), std::vector<std::uint32_t>{0xFFFFFFFF});

    // El gestor la acepta así al mostrarla.
    v.mapear();
    ASSERT_TRUE(v.gestionada());
    EXPECT_TRUE(procesarHasta([&] {
        auto estados = v.propiedad("_NET_WM_STATE");
        std::sort(estados.begin(), estados.end());
        auto e = esperados;
        std::sort(e.begin(), e.end());
        return estados == e;
    }));
    EXPECT_EQ(v.propiedad("_NET_WM_DESKTOP"), std::vector<std::uint32_t>{0xFFFFFFFF});
}

TEST_F(Activacion, ElDesenfoqueDetrasSePideYSeRetira) {
    VentanaDePrueba v({.claseWm = {{"d", "D"}}, .pid = 24});
    const auto region = [&] { return v.propiedad("_KDE_NET_WM_BLUR_BEHIND_REGION"); };
    escritorio().desenfocarDetras(v.id, 52, 52, 680, 460);
    // Lo pidió otra conexión: se espera a que el servidor lo haya hecho.
    EXPECT_TRUE(procesarHasta([&] {
        return region() == std::vector<std::uint32_t>{52, 52, 680, 460};
    }));
    escritorio().desenfocarDetras(v.id, 0, 0, 0, 0);
    EXPECT_TRUE(procesarHasta([&] { return region().empty(); }));
}
