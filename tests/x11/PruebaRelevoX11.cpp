// El contenido sobrevive a la aplicación que copió: programas de verdad (xclip, una aplicación
// Qt) copian y salen, y el portapapeles sigue dando lo que ofrecían.
#include "EntornoX11.h"
#include "PortapapelesX11.h"

#include <rebisco/EstadoApp.h>

#include <QBuffer>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>

using namespace pruebas_x11;

namespace {

const std::string textoRico = "Hola, «mundo»";
const Bytes htmlRico = bytes("<p><b>Hola, «mundo»</b></p>");

Bytes png(int ancho, int alto) {
    QImage imagen(ancho, alto, QImage::Format_RGB32);
    for (int y = 0; y < alto; ++y)
        for (int x = 0; x < ancho; ++x)
            imagen.setPixel(x, y, qRgb(x * 4, y * 5, 128));
    QByteArray salida;
    QBuffer buffer(&salida);
    buffer.open(QIODevice::WriteOnly);
    imagen.save(&buffer, "PNG");
    return Bytes(salida.begin(), salida.end());
}

QImage decodificar(const std::optional<Bytes>& datos) {
    if (!datos) return {};
    return QImage::fromData(QByteArray(reinterpret_cast<const char*>(datos->data()),
                                       static_cast<qsizetype>(datos->size())),
                            "PNG");
}

// xclip -o termina bien y sin salida, o falla, cuando no hay contenido.
bool sinContenidoX(const std::string& destino) {
    const auto leido = leerConXclip(destino);
    return !leido || leido->empty();
}

// Un programa que copia y sale cuando se le dice (o solo, como xclip -loops 1).
// Una ventana de la conexión de Qt de este proceso: la del relevo.
bool deEsteProceso(xcb_window_t ventana) {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    const xcb_setup_t* setup = xcb_get_setup(x11->connection());
    return ventana != XCB_NONE && (ventana & ~setup->resource_id_mask) == setup->resource_id_base;
}

class Programa {
public:
    virtual ~Programa() = default;
    virtual bool copiar() = 0;
    virtual bool salir() = 0;
    xcb_window_t ventana = XCB_NONE;
};

// xclip -loops 1: atiende una petición de pegar y sale.
class XclipUnaVez : public Programa {
public:
    XclipUnaVez(std::string destino, Bytes datos)
        : destino(std::move(destino)) {
        archivo = carpeta.escribir("datos", datos);
    }
    ~XclipUnaVez() override {
        proceso.kill();
        proceso.waitForFinished(5000);
    }
    bool copiar() override {
        const xcb_window_t antes = duenoActual();
        proceso.setStandardOutputFile(QProcess::nullDevice());
        proceso.setStandardErrorFile(QProcess::nullDevice());
        proceso.start("xclip", {"-quiet", "-loops", "1", "-selection", "clipboard", "-t",
                                QString::fromStdString(destino), "-i",
                                QString::fromStdString(archivo.string())});
        if (!esperarDueno([&](xcb_window_t d) { return d != XCB_NONE && d != antes; }))
            return false;
        ventana = duenoActual();
        // xclip pudo servir su única petición, salir y dejar el relevo hecho antes de que se
        // le viera como dueño: su ventana ya no existe.
        if (deEsteProceso(ventana)) ventana = XCB_NONE;
        return true;
    }
    bool salir() override {
        return procesarHasta([&] { return proceso.state() == QProcess::NotRunning; }, 10s);
    }

private:
    std::string destino;
    CarpetaTemporal carpeta;
    std::filesystem::path archivo;
    QProcess proceso;
};

class QtQueSale : public Programa {
public:
    explicit QtQueSale(QStringList argumentos)
        : app(COPIA_Y_SALE, argumentos) {}
    bool copiar() override {
        const bool hecho = app.copiado();
        ventana = app.ventana;
        return hecho;
    }
    bool salir() override { return app.salir() == 0; }

private:
    AppQueCopia app;
};

class RelevoX11 : public ConPantalla {
protected:
    void SetUp() override {
        ConPantalla::SetUp();
        if (IsSkipped()) return;
        preferencias.registrar(rebisco::Preferencias::registrados());
        estado = std::make_unique<rebisco::EstadoApp>(rebisco::EstadoApp::Dependencias{
            .plataforma = *plataforma,
            .portapapeles = plataforma->general(),
            .preferencias = preferencias,
            .entorno = rebisco::Entorno{.modo = rebisco::ModoEjecucion::prueba,
                                        .carpetaDatos = carpeta.ruta()},
        });
        estado->iniciar();
        ASSERT_TRUE(procesarHasta([&] { return x11().esGestor(); }));
    }
    void TearDown() override {
        if (estado) estado->cerrar();
    }
    plataforma::x11::PortapapelesX11& x11() {
        return dynamic_cast<plataforma::x11::PortapapelesX11&>(plataforma->general());
    }
    // Espera a que el programa se haya ido y este proceso tenga el portapapeles.
    bool relevado(xcb_window_t delPrograma) {
        return procesarHasta([&] {
            const auto d = duenoActual();
            return deEsteProceso(d) && d != delPrograma;
        });
    }

    CarpetaTemporal carpeta;
    rebisco::PreferenciasEnMemoria preferencias;
    std::unique_ptr<rebisco::EstadoApp> estado;
};

struct CasoPrograma {
    const char* nombre;
    std::function<std::unique_ptr<Programa>()> crear;
    // Sale sin esperar a que el vigilante vea la copia.
    bool saleEnseguida;
    std::map<std::string, Bytes> seLee;
    bool esImagen = false;
};

class ProgramaQueSale : public RelevoX11, public testing::WithParamInterface<CasoPrograma> {};

TEST_P(ProgramaQueSale, SuCopiaSigueEnElPortapapeles) {
    const auto& caso = GetParam();
    const xcb_window_t primaria = duenoDe("PRIMARY");
    auto programa = caso.crear();
    ASSERT_TRUE(programa->copiar());
    if (!caso.saleEnseguida) {
        ASSERT_TRUE(procesarHasta([&] { return estado->total() == 1; }));
    }
    ASSERT_TRUE(programa->salir());
    ASSERT_TRUE(relevado(programa->ventana)) << "nadie tomó el relevo";
    ASSERT_EQ(estado->total(), 1);
    const auto antes = estado->recortes();

    for (const auto& [destino, esperado] : caso.seLee) {
        const auto leido = leerConXclip(destino);
        if (caso.esImagen) {
            const QImage imagen = decodificar(leido);
            EXPECT_EQ(imagen.convertToFormat(QImage::Format_RGB32),
                      decodificar(esperado).convertToFormat(QImage::Format_RGB32))
                << destino;
        } else {
            EXPECT_EQ(leido, esperado) << destino;
        }
    }
    // Ni se capturó la escritura propia ni el recorte se marcó usado.
    procesarHasta([] { return false; }, 1000ms);
    EXPECT_EQ(estado->recortes(), antes);
    EXPECT_EQ(duenoDe("PRIMARY"), primaria);
}

INSTANTIATE_TEST_SUITE_P(
    Programas, ProgramaQueSale,
    testing::Values(
        CasoPrograma{"xclipTexto",
                     [] { return std::make_unique<XclipUnaVez>("UTF8_STRING", bytes("de xclip")); },
                     false,
                     {{"UTF8_STRING", bytes("de xclip")}, {"text/plain", bytes("de xclip")}}},
        CasoPrograma{"xclipImagen",
                     [] { return std::make_unique<XclipUnaVez>("image/png", png(40, 30)); },
                     false,
                     {{"image/png", png(40, 30)}},
                     true},
        // Qt entrega al salir todo lo que ofrecía, también el tipo que el historial no guarda.
        CasoPrograma{"qtTextoRico",
                     [] {
                         return std::make_unique<QtQueSale>(
                             QStringList{"rico", QString::fromStdString(textoRico)});
                     },
                     false,
                     {{"UTF8_STRING", bytes(textoRico)},
                      {"text/html", htmlRico},
                      {"application/x-rebisco-prueba", bytes("solo de la app")}}},
        CasoPrograma{"qtTextoRicoSaleEnseguida",
                     [] {
                         return std::make_unique<QtQueSale>(
                             QStringList{"rico", QString::fromStdString(textoRico)});
                     },
                     true,
                     {{"UTF8_STRING", bytes(textoRico)},
                      {"text/html", htmlRico},
                      {"application/x-rebisco-prueba", bytes("solo de la app")}}},
        CasoPrograma{"qtImagen",
                     [] { return std::make_unique<QtQueSale>(QStringList{"imagen"}); },
                     false,
                     {{"image/png", png(64, 48)}},
                     true}),
    [](const auto& info) { return std::string(info.param.nombre); });

TEST_F(RelevoX11, UnaContrasenaNoSeLeeNiSobrevive) {
    {
        DuenoXcb dueno({{.destino = "UTF8_STRING", .datos = bytes("hunter2")},
                        {.destino = "x-kde-passwordManagerHint", .datos = bytes("secret")}});
        procesarHasta([] { return false; }, 800ms);
        EXPECT_EQ(pedirGuardar(), std::optional(false));
        EXPECT_EQ(dueno.pedidos(), std::vector<std::string>{"TARGETS"});
    }
    procesarHasta([] { return false; }, 800ms);
    EXPECT_EQ(duenoActual(), XCB_NONE);
    EXPECT_TRUE(sinContenidoX("UTF8_STRING"));
    EXPECT_EQ(estado->total(), 0);
}

struct CasoNadaQueda {
    const char* nombre;
    QStringList argumentos;
    bool enPausa;
};

class NadaQueda : public RelevoX11, public testing::WithParamInterface<CasoNadaQueda> {};

// La aplicación sale enseguida (Qt espera la respuesta del gestor) y no queda nada.
TEST_P(NadaQueda, TrasSalirLaAplicacion) {
    const auto& caso = GetParam();
    if (caso.enPausa) estado->ponerPausa(true);
    QtQueSale app(caso.argumentos);
    ASSERT_TRUE(app.copiar());
    procesarHasta([] { return false; }, 800ms);
    QElapsedTimer reloj;
    reloj.start();
    ASSERT_TRUE(app.salir());
    // El rechazo llega enseguida: Qt no se queda sus cinco segundos esperando.
    EXPECT_LT(reloj.elapsed(), 4000);
    procesarHasta([] { return false; }, 800ms);
    EXPECT_EQ(duenoActual(), XCB_NONE);
    EXPECT_EQ(estado->total(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Tabla, NadaQueda,
    testing::Values(CasoNadaQueda{"contrasena", {"contrasena", "hunter2"}, false},
                    CasoNadaQueda{"enPausa", {"rico", "copiado en pausa"}, true}),
    [](const auto& info) { return std::string(info.param.nombre); });

TEST_F(RelevoX11, EnPausaXclipNoDejaNada) {
    estado->ponerPausa(true);
    XclipUnaVez xclip("UTF8_STRING", bytes("en pausa"));
    ASSERT_TRUE(xclip.copiar());
    ASSERT_EQ(leerConXclip("UTF8_STRING"), bytes("en pausa"));
    ASSERT_TRUE(xclip.salir());
    procesarHasta([] { return false; }, 800ms);
    EXPECT_EQ(duenoActual(), XCB_NONE);
    EXPECT_EQ(estado->total(), 0);
}

struct CasoBorrar {
    const char* nombre;
    std::function<void(rebisco::EstadoApp&)> borrar;
};

class BorrarLoServido : public RelevoX11, public testing::WithParamInterface<CasoBorrar> {};

TEST_P(BorrarLoServido, DejaDeServirlo) {
    QtQueSale app({"rico", "se borrará"});
    ASSERT_TRUE(app.copiar());
    ASSERT_TRUE(procesarHasta([&] { return estado->total() == 1; }));
    ASSERT_TRUE(app.salir());
    ASSERT_TRUE(relevado(app.ventana));
    ASSERT_EQ(leerConXclip("application/x-rebisco-prueba"), bytes("solo de la app"));

    GetParam().borrar(*estado);
    EXPECT_TRUE(sinContenidoX("UTF8_STRING"));
    EXPECT_TRUE(sinContenidoX("application/x-rebisco-prueba"));
}

INSTANTIATE_TEST_SUITE_P(
    Tabla, BorrarLoServido,
    testing::Values(
        CasoBorrar{"eliminar", [](rebisco::EstadoApp& e) { e.eliminar(e.recortes().front()); }},
        CasoBorrar{"borrarHistorial", [](rebisco::EstadoApp& e) { e.borrarHistorial(false); }}),
    [](const auto& info) { return std::string(info.param.nombre); });

TEST_F(RelevoX11, ConOtroGestorNoSeToma) {
    estado->cerrar();
    estado.reset();
    plataforma.reset();
    ASSERT_TRUE(procesarHasta([] { return duenoDe("CLIPBOARD_MANAGER") == XCB_NONE; }));
    auto otro = std::make_unique<OtroGestor>();
    plataforma = plataforma::x11::crear();
    procesarHasta([] { return false; }, 300ms);
    EXPECT_FALSE(x11().esGestor());
    EXPECT_EQ(duenoDe("CLIPBOARD_MANAGER"), otro->ventana);
    // Nadie contesta: el otro gestor calla y rebisco no se mete.
    EXPECT_EQ(pedirGuardar(500ms), std::nullopt);
    // Cuando el otro se va, rebisco pasa a serlo.
    otro.reset();
    EXPECT_TRUE(procesarHasta([&] { return x11().esGestor(); }));
}

} // namespace
