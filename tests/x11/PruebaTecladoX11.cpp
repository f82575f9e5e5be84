// El teclado de verdad: la distribución que pone setxkbmap, el atajo global pulsado con
// xdotool, capturas de otros clientes X y la pulsación de pegar en otra aplicación.
#include "EntornoX11.h"

#include <rebisco/EstadoApp.h>
#include <rebisco/Teclas.h>

#include <QByteArray>
#include <QGuiApplication>
#include <QProcess>
#include <QRasterWindow>

#include <cstdlib>

using namespace pruebas_x11;
namespace Teclas = rebisco::Teclas;
using rebisco::ProblemaAtajo;

namespace {

// Códigos X (evdev + 8) de las teclas que se capturan en las pruebas.
constexpr xcb_keycode_t teclaV = 55, teclaF18 = 196, teclaF19 = 197;
constexpr std::uint16_t mayusculasSuper = XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_4;
constexpr std::uint16_t cuatro =
    XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_1 | XCB_MOD_MASK_4;
constexpr int f18 = 79, f19 = 80, todos = 6912;

// Otra aplicación que captura combinaciones en la raíz con su propia conexión.
class OtroCliente {
public:
    OtroCliente()
        : conexion(xcb_connect(nullptr, nullptr)) {
        raiz = xcb_setup_roots_iterator(xcb_get_setup(conexion)).data->root;
    }
    ~OtroCliente() { xcb_disconnect(conexion); }
    OtroCliente(const OtroCliente&) = delete;
    OtroCliente& operator=(const OtroCliente&) = delete;

    bool capturar(xcb_keycode_t tecla, std::uint16_t modificadores) {
        auto galleta = xcb_grab_key_checked(conexion, 1, raiz, modificadores, tecla,
                                            XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
        xcb_generic_error_t* error = xcb_request_check(conexion, galleta);
        std::free(error);
        return error == nullptr;
    }

private:
    xcb_connection_t* conexion;
    xcb_window_t raiz;
};

bool distribucion(const QStringList& argumentos) {
    return ejecutar("setxkbmap", argumentos) == 0;
}

// El campo de texto de otra aplicación.
class Campo : public CampoAjeno {
public:
    Campo()
        : CampoAjeno(QStringLiteral(CAMPO_DE_TEXTO)) {}
};

class TecladoX11 : public ConPantalla {
protected:
    void SetUp() override {
        // Solo las combinaciones de las aplicaciones, no las del escritorio de quien prueba.
        qunsetenv("XDG_CURRENT_DESKTOP");
        ConPantalla::SetUp();
        if (IsSkipped()) return;
        ASSERT_TRUE(distribucion({"us"}));
        preferencias.registrar(rebisco::Preferencias::registrados());
    }
    void TearDown() override {
        if (estado) estado->cerrar();
        estado.reset();
        if (qGuiApp) distribucion({"us"});
    }

    // Ejecución de prueba que sí registra el atajo, o un ensayo, que además puede pegar.
    rebisco::EstadoApp& iniciar(bool ensayo = false) {
        const rebisco::Entorno entorno{
            .modo = ensayo ? rebisco::ModoEjecucion::ensayo : rebisco::ModoEjecucion::prueba,
            .carpetaDatos = carpeta.ruta(),
        };
        estado = std::make_unique<rebisco::EstadoApp>(rebisco::EstadoApp::Dependencias{
            .plataforma = *plataforma,
            .portapapeles = plataforma->general(),
            .preferencias = preferencias,
            .entorno = entorno,
        });
        estado->registrarEnPruebas = true;
        estado->alternarPanel = [this] { ++alternados; };
        estado->iniciar();
        return *estado;
    }

    bool pulsar(const QString& teclas) { return ejecutar("xdotool", {"key", teclas}) == 0; }

    // Otra aplicación copia un texto; cuando está en el historial, el usuario lo elige.
    void elegir(const std::string& texto) {
        auto copia = copiarConXclip(plataforma->general(), "UTF8_STRING", bytes(texto));
        ASSERT_TRUE(procesarHasta([&] { return !estado->recortes().empty(); }));
        ASSERT_EQ(estado->recortes().front().vista, texto);
        estado->pegar(estado->recortes().front(), false);
    }

    CarpetaTemporal carpeta;
    rebisco::PreferenciasEnMemoria preferencias;
    std::unique_ptr<rebisco::EstadoApp> estado;
    int alternados = 0;
};

TEST_F(TecladoX11, NombresEnLaDistribucionActual) {
    auto& teclado = plataforma->teclado();
    struct Caso {
        const char* capa;
        int codigo;
        const char* nombre;
    };
    const Caso
        casos[] =
            {
                {"us", 9, "V"},         {"us", 0, "A"},      {"us", 27, "-"},
                {"us", 49, "Espacio"},  {"us", 47, "."},     {"us", 50, "`"},
                {"us", 82, "Tecla 82"}, // el 0 del teclado numérico, sin Bloq Num, no escribe
                {"dvorak", 9, "K"},     {"dvorak", 47, "V"}, {"dvorak", 0, "A"},
                {"es", 41, "Ñ"},        {"es", 9, "V"},      {"de", 6, "Y"},
                {"de", 16, "Z"},
            };
    for (const auto& caso : casos) {
        SCOPED_TRACE(testing::Message() << caso.capa << " " << caso.codigo);
        const QStringList argumentos = QString(caso.capa) == "dvorak"
                                           ? QStringList{"us", "-variant", "dvorak"}
                                           : QStringList{caso.capa};
        ASSERT_TRUE(distribucion(argumentos));
        // El aviso de XKB llega por su conexión cuando el servidor lo manda.
        const auto esperado = QString::fromUtf8(caso.nombre);
        EXPECT_TRUE(
            procesarHasta([&] { return Teclas::nombre(teclado, caso.codigo) == esperado; }, 3s))
            << Teclas::nombre(teclado, caso.codigo).toStdString();
    }
    EXPECT_EQ(teclado.codigoDeEvento(55), 9);
    EXPECT_EQ(teclado.codigoDeEvento(125 + 8), 55); // Super izquierda es ⌘
    EXPECT_EQ(teclado.codigoDeEvento(118), 114);    // Insert es la tecla de ayuda
    EXPECT_EQ(teclado.codigoDeEvento(7), std::nullopt);
    EXPECT_EQ(teclado.codigoDeEvento(300), std::nullopt);
}

TEST_F(TecladoX11, LosAtajosDeLasAplicacionesSiguenALaDistribucion) {
    auto& teclado = plataforma->teclado();
    struct Caso {
        int codigo, modificadores;
        bool usada;
    };
    const Caso estadounidense[] = {
        {8, 4096, true}, {9, 4096, true},  {8, 4096 | 512, true}, {114, 512, true},
        {9, 768, false}, {8, 2048, false}, {34, 4096, false},
    };
    for (const auto& caso : estadounidense)
        EXPECT_EQ(Teclas::usadaPorMacOS(teclado, caso.codigo, caso.modificadores), caso.usada)
            << caso.codigo << "/" << caso.modificadores;

    // Los valores de fábrica de GNOME (gsettings-desktop-schemas) cambian de grupo con
    // Super+Above_Tab, la tecla de encima del tabulador sea cual sea su símbolo.
    qputenv("GSETTINGS_BACKEND", "memory");
    qputenv("XDG_CURRENT_DESKTOP", "GNOME");
    EXPECT_TRUE(Teclas::usadaPorMacOS(teclado, 50, 256));
    EXPECT_TRUE(Teclas::usadaPorMacOS(teclado, 118, 2048)); // Alt+F4
    EXPECT_FALSE(Teclas::usadaPorMacOS(teclado, 9, 768));
    qunsetenv("XDG_CURRENT_DESKTOP");
    EXPECT_FALSE(Teclas::usadaPorMacOS(teclado, 50, 256));

    // En Dvorak la «c» está donde la «i» estadounidense, y Control+C va con ella.
    ASSERT_TRUE(distribucion({"us", "-variant", "dvorak"}));
    ASSERT_TRUE(procesarHasta([&] { return Teclas::usadaPorMacOS(teclado, 34, 4096); }, 3s));
    EXPECT_FALSE(Teclas::usadaPorMacOS(teclado, 8, 4096));
}

TEST_F(TecladoX11, ElAtajoPorOmisionAlternaElPanelConYSinBloqueos) {
    auto& estado = iniciar();
    EXPECT_EQ(estado.atajoTexto(), QStringLiteral("Mayús+Súper+V"));
    EXPECT_EQ(estado.problemaAtajo(), std::nullopt);
    ASSERT_TRUE(estado.atajoGlobal().registrado());

    ASSERT_TRUE(pulsar("shift+super+v"));
    EXPECT_TRUE(procesarHasta([&] { return alternados == 1; }));
    ASSERT_TRUE(pulsar("shift+super+v"));
    EXPECT_TRUE(procesarHasta([&] { return alternados == 2; }));

    for (const char* bloqueo : {"Caps_Lock", "Num_Lock"}) {
        SCOPED_TRACE(bloqueo);
        ASSERT_TRUE(pulsar(bloqueo));
        const int antes = alternados;
        ASSERT_TRUE(pulsar("shift+super+v"));
        EXPECT_TRUE(procesarHasta([&] { return alternados == antes + 1; }));
        ASSERT_TRUE(pulsar(bloqueo));
    }

    // Con una ventana propia delante (el panel abierto) la combinación sigue siendo el atajo.
    QRasterWindow ventana;
    ventana.resize(200, 100);
    ventana.show();
    ventana.requestActivate();
    ASSERT_TRUE(procesarHasta([&] { return ventana.isActive(); }));
    {
        const int antes = alternados;
        ASSERT_TRUE(pulsar("shift+super+v"));
        EXPECT_TRUE(procesarHasta([&] { return alternados == antes + 1; }));
    }
    ventana.hide();

    // Otra combinación no es la suya; después de cerrar, ni la suya.
    const int antes = alternados;
    ASSERT_TRUE(pulsar("super+v"));
    estado.cerrar();
    ASSERT_TRUE(pulsar("shift+super+v"));
    procesarHasta([] { return false; }, 300ms);
    EXPECT_EQ(alternados, antes);
    EXPECT_TRUE(OtroCliente().capturar(teclaV, mayusculasSuper));
}

TEST_F(TecladoX11, UnaCombinacionDeOtroClienteEsRechazada) {
    auto otro = std::make_unique<OtroCliente>();
    ASSERT_TRUE(otro->capturar(teclaV, mayusculasSuper));
    auto& estado = iniciar();
    EXPECT_EQ(estado.problemaAtajo(), ProblemaAtajo::rechazado);
    EXPECT_FALSE(estado.atajoGlobal().registrado());

    otro.reset();
    estado.registrarAtajo();
    EXPECT_EQ(estado.problemaAtajo(), std::nullopt);
    EXPECT_TRUE(estado.atajoGlobal().registrado());
}

TEST_F(TecladoX11, UnRechazoParcialNoDejaCapturasSueltas) {
    // El otro solo tiene la variante con Bloq Mayús: el resto se pudo capturar y se suelta.
    OtroCliente otro;
    ASSERT_TRUE(otro.capturar(teclaV, mayusculasSuper | XCB_MOD_MASK_LOCK));
    rebisco::AtajoGlobal atajo(plataforma->atajos());
    EXPECT_FALSE(atajo.registrar(9, 768));
    OtroCliente tercero;
    EXPECT_TRUE(tercero.capturar(teclaV, mayusculasSuper));
    EXPECT_TRUE(tercero.capturar(teclaV, mayusculasSuper | XCB_MOD_MASK_2));
}

TEST_F(TecladoX11, DosAtajosDelMismoProcesoNoComparten) {
    rebisco::AtajoGlobal primero(plataforma->atajos()), segundo(plataforma->atajos());
    ASSERT_TRUE(primero.registrar(9, 768));
    EXPECT_FALSE(segundo.registrar(9, 768));
    EXPECT_FALSE(segundo.registrar(9, 768 | 0x10000)); // los bits ajenos no la hacen otra
    primero.retirar();
    EXPECT_TRUE(segundo.registrar(9, 768));
    EXPECT_FALSE(OtroCliente().capturar(teclaV, mayusculasSuper));
}

TEST_F(TecladoX11, CambiarDeF19AF18SueltaUnaYTomaLaOtra) {
    auto& estado = iniciar();
    estado.cambiarAtajo(f19, todos);
    ASSERT_EQ(estado.problemaAtajo(), std::nullopt);
    EXPECT_FALSE(OtroCliente().capturar(teclaF19, cuatro));

    estado.cambiarAtajo(f18, todos);
    ASSERT_EQ(estado.problemaAtajo(), std::nullopt);
    EXPECT_TRUE(OtroCliente().capturar(teclaF19, cuatro));
    EXPECT_FALSE(OtroCliente().capturar(teclaF18, cuatro));
    EXPECT_TRUE(OtroCliente().capturar(teclaV, mayusculasSuper));
}

TEST_F(TecladoX11, UnCambioDeModificadoresRenuevaLasCapturas) {
    auto& estado = iniciar();
    ASSERT_TRUE(estado.atajoGlobal().registrado());
    // Bloq Num pasa de Mod2 a Mod3: las variantes capturadas con Mod2 ya no sirven.
    ASSERT_EQ(ejecutar("xmodmap", {"-e", "clear mod2", "-e", "add mod3 = Num_Lock"}), 0);
    procesarHasta([] { return false; }, 300ms);
    ASSERT_TRUE(pulsar("Num_Lock"));
    ASSERT_TRUE(pulsar("shift+super+v"));
    EXPECT_TRUE(procesarHasta([&] { return alternados == 1; }));
    ASSERT_TRUE(pulsar("Num_Lock"));
    EXPECT_FALSE(OtroCliente().capturar(teclaV, mayusculasSuper | XCB_MOD_MASK_3));
    ASSERT_EQ(ejecutar("xmodmap", {"-e", "clear mod3", "-e", "add mod2 = Num_Lock"}), 0);
}

struct CasoPegado {
    const char* nombre;
    QStringList distribucion;
    bool conMayusculas;
};

void PrintTo(const CasoPegado& caso, std::ostream* salida) {
    *salida << caso.nombre;
}

class Pegado : public TecladoX11, public testing::WithParamInterface<CasoPegado> {};

TEST_P(Pegado, ElegirPegaEnElCampoDeOtraAplicacion) {
    const auto& caso = GetParam();
    ASSERT_TRUE(distribucion(caso.distribucion));
    Campo campo;
    ASSERT_TRUE(campo.listo());
    auto& estado = iniciar(true);
    ASSERT_TRUE(estado.puedePegar());

    if (caso.conMayusculas) {
        ASSERT_EQ(ejecutar("xdotool", {"keydown", "shift"}), 0);
    }
    elegir("pegado desde rebisco");
    if (caso.conMayusculas) {
        // Mientras sigue pulsada no se pega nada; al soltarla, sí.
        procesarHasta([] { return false; }, 700ms);
        EXPECT_EQ(campo.texto(), "");
        ASSERT_EQ(ejecutar("xdotool", {"keyup", "shift"}), 0);
    }
    EXPECT_TRUE(campo.esperarTexto("pegado desde rebisco")) << campo.texto();

    // El recorte también quedó en PRIMARY, de donde pegan los terminales.
    QProcess xclip;
    xclip.start("xclip", {"-o", "-selection", "primary"});
    ASSERT_TRUE(procesarHasta([&] { return xclip.state() == QProcess::NotRunning; }));
    EXPECT_EQ(xclip.readAllStandardOutput().toStdString(), "pegado desde rebisco");
}

INSTANTIATE_TEST_SUITE_P(X11, Pegado,
                         testing::Values(CasoPegado{"estadounidense", {"us"}, false},
                                         CasoPegado{"con_mayusculas_pulsada", {"us"}, true},
                                         CasoPegado{"dvorak", {"us", "-variant", "dvorak"}, false}),
                         [](const auto& info) { return std::string(info.param.nombre); });

} // namespace
