// EstadoApp entero sobre el escritorio X11: el vigilante de verdad, xclip como la
// aplicación que copia y lee.
#include "EntornoX11.h"

#include <rebisco/EstadoApp.h>

#include <nucleo/Captura.h>

#include <QBuffer>
#include <QElapsedTimer>
#include <QImage>
#include <QProcess>
#include <QTimer>
#include <QUrl>

using namespace pruebas_x11;
namespace TipoDato = nucleo::TipoDato;

namespace {

class EstadoX11 : public ConPantalla {
protected:
    void SetUp() override {
        ConPantalla::SetUp();
        if (IsSkipped()) return;
        preferencias.registrar(rebisco::Preferencias::registrados());
        // Un ensayo: mira la aplicación de delante, como el programa de verdad.
        estado = std::make_unique<rebisco::EstadoApp>(rebisco::EstadoApp::Dependencias{
            .plataforma = *plataforma,
            .portapapeles = plataforma->general(),
            .preferencias = preferencias,
            .entorno = rebisco::Entorno{.modo = rebisco::ModoEjecucion::ensayo,
                                        .carpetaDatos = carpeta.ruta()},
        });
        estado->iniciar();
    }
    void TearDown() override {
        if (estado) estado->cerrar();
    }

    std::vector<std::string> tiposDelPrimero() {
        std::vector<std::string> tipos;
        for (const auto& r :
             estado->almacenAbierto()->representaciones(estado->recortes().front().id))
            tipos.push_back(r.tipo);
        return tipos;
    }

    CarpetaTemporal carpeta;
    rebisco::PreferenciasEnMemoria preferencias;
    std::unique_ptr<rebisco::EstadoApp> estado;
};

struct CasoCopia {
    const char* nombre;
    std::string destino;
    std::string contenido;
    nucleo::ClaseRecorte clase;
    std::vector<std::string> tipos;
};

class CopiaCapturada : public EstadoX11, public testing::WithParamInterface<CasoCopia> {};

TEST_P(CopiaCapturada, ConSuClaseYSusRepresentaciones) {
    const auto& caso = GetParam();
    auto contenido = caso.contenido;
    if (caso.clase == nucleo::ClaseRecorte::archivos) {
        auto ruta = carpeta.escribir("informe final.txt", bytes("hola"));
        contenido =
            QUrl::fromLocalFile(QString::fromStdString(ruta.string())).toEncoded().toStdString();
    }
    auto copia = copiarConXclip(plataforma->general(), caso.destino, bytes(contenido));
    ASSERT_TRUE(procesarHasta([&] { return estado->total() == 1; })) << caso.nombre;
    EXPECT_EQ(estado->recortes().front().clase, caso.clase);
    EXPECT_EQ(tiposDelPrimero(), caso.tipos);
    if (caso.clase == nucleo::ClaseRecorte::archivos) {
        EXPECT_EQ(estado->recortes().front().vista, "informe final.txt");
    }
}

INSTANTIATE_TEST_SUITE_P(Xclip, CopiaCapturada,
                         testing::Values(CasoCopia{"texto",
                                                   "UTF8_STRING",
                                                   "Hola, ¿qué tal?",
                                                   nucleo::ClaseRecorte::texto,
                                                   {std::string(TipoDato::texto)}},
                                         CasoCopia{"enlace",
                                                   "UTF8_STRING",
                                                   "https://es.wikipedia.org/wiki/Añoranza",
                                                   nucleo::ClaseRecorte::enlace,
                                                   {std::string(TipoDato::texto)}},
                                         CasoCopia{"archivos",
                                                   "text/uri-list",
                                                   "",
                                                   nucleo::ClaseRecorte::archivos,
                                                   {std::string(TipoDato::rutas)}}),
                         [](const auto& info) { return std::string(info.param.nombre); });

TEST_F(EstadoX11, TextoConFormatoEImagen) {
    {
        DuenoXcb dueno({{.destino = "UTF8_STRING", .datos = bytes("Hola mundo")},
                        {.destino = "text/html", .datos = bytes("<p>Hola <b>mundo</b></p>")},
                        {.destino = "text/rtf", .datos = bytes("{\\rtf1 Hola {\\b mundo}}")}});
        ASSERT_TRUE(procesarHasta([&] { return estado->total() == 1; }));
        EXPECT_EQ(tiposDelPrimero(), (std::vector<std::string>{std::string(TipoDato::texto),
                                                               std::string(TipoDato::rtf),
                                                               std::string(TipoDato::html)}));
    }
    QImage imagen(320, 200, QImage::Format_ARGB32);
    imagen.fill(QColor(30, 120, 200, 180));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    imagen.save(&buffer, "PNG");
    auto copia = copiarConXclip(plataforma->general(), "image/png", Bytes(png.begin(), png.end()));
    ASSERT_TRUE(procesarHasta([&] { return estado->total() == 2; }));
    const auto& recorte = estado->recortes().front();
    EXPECT_EQ(recorte.clase, nucleo::ClaseRecorte::imagen);
    EXPECT_EQ(recorte.vista, "320 × 200");
    EXPECT_TRUE(recorte.miniatura.has_value());
    EXPECT_EQ(tiposDelPrimero(), std::vector<std::string>{std::string(TipoDato::png)});
}

TEST_F(EstadoX11, LoElegidoVuelveAlPortapapelesSinCapturarseOtraVez) {
    {
        auto copia = copiarConXclip(plataforma->general(), "UTF8_STRING", bytes("primero"));
        ASSERT_TRUE(procesarHasta([&] { return estado->total() == 1; }));
    }
    {
        auto copia = copiarConXclip(plataforma->general(), "UTF8_STRING", bytes("segundo"));
        ASSERT_TRUE(procesarHasta([&] { return estado->total() == 2; }));
    }
    estado->pegar(estado->recortes().back(), false);
    EXPECT_EQ(estado->recortes().front().vista, "primero");
    EXPECT_EQ(leerConXclip("UTF8_STRING"), bytes("primero"));
    // Varios tics del vigilante después, sigue habiendo dos recortes.
    procesarHasta([] { return false; }, 1200ms);
    EXPECT_EQ(estado->total(), 2);
    EXPECT_EQ(estado->recortes().front().vista, "primero");
}

TEST_F(EstadoX11, UnaContrasenaNoSeLee) {
    DuenoXcb dueno({{.destino = "UTF8_STRING", .datos = bytes("hunter2")},
                    {.destino = "x-kde-passwordManagerHint", .datos = bytes("secret")}});
    procesarHasta([] { return false; }, 1000ms);
    EXPECT_EQ(estado->total(), 0);
    // Se miró la lista de tipos, pero nada más.
    EXPECT_EQ(dueno.pedidos(), std::vector<std::string>{"TARGETS"});
}

TEST_F(EstadoX11, UnaContrasenaQueLlegaMientrasSeMiranLosTiposNoSeGuarda) {
    // A deja que B, con una contraseña, tome la selección mientras contesta a TARGETS.
    DuenoXcb b(
        {{"UTF8_STRING", bytes("secreto de B")}, {"x-kde-passwordManagerHint", bytes("secret")}},
        DuenoXcb::Modo::enEspera);
    DuenoXcb a({{"UTF8_STRING", bytes("texto de A")}}, DuenoXcb::Modo::atento, [&b] { b.tomar(); });
    procesarHasta([] { return false; }, 1500ms);
    for (const auto& r : estado->recortes())
        EXPECT_EQ(r.vista.find("secreto"), std::string::npos) << r.vista;
    EXPECT_EQ(estado->total(), 0);
    // El cambio de B se miró como el suyo: su lista de tipos, y nada más.
    EXPECT_EQ(b.pedidos(), std::vector<std::string>{"TARGETS"});
}

TEST_F(EstadoX11, UnDuenoMudoNoCongelaElEstado) {
    {
        DuenoXcb mudo({{.destino = "UTF8_STRING", .datos = bytes("nunca")}}, DuenoXcb::Modo::mudo);
        QElapsedTimer reloj;
        reloj.start();
        estado->alCambiarPortapapeles();
        EXPECT_LT(reloj.elapsed(), 1500);
        EXPECT_EQ(estado->total(), 0);
    }
    auto copia = copiarConXclip(plataforma->general(), "UTF8_STRING", bytes("después del mudo"));
    ASSERT_TRUE(procesarHasta([&] { return estado->total() == 1; }));
    EXPECT_EQ(estado->recortes().front().vista, "después del mudo");
}

// Dueños de verdad (xclip) que se quitan la selección unos a otros, o que viven 50 ms.
class Duenos {
public:
    ~Duenos() {
        for (auto& p : vivos) {
            p->kill();
            p->waitForFinished(2000);
        }
    }
    QProcess& copiar(const std::string& texto) {
        auto& p = *vivos.emplace_back(std::make_unique<QProcess>());
        p.setStandardOutputFile(QProcess::nullDevice());
        p.setStandardErrorFile(QProcess::nullDevice());
        p.start("xclip", {"-selection", "clipboard", "-quiet", "-i"});
        p.waitForStarted(5000);
        p.write(QByteArray::fromStdString(texto));
        p.closeWriteChannel();
        return p;
    }

private:
    std::vector<std::unique_ptr<QProcess>> vivos;
};

TEST_F(EstadoX11, UnaRafagaDeCopiasSeGuardaEnteraYEnSuOrden) {
    constexpr int copias = 20;
    Duenos duenos;
    for (int i = 0; i < copias; ++i) {
        duenos.copiar("ráfaga " + std::to_string(i));
        procesarHasta([] { return false; }, 100ms);
    }
    ASSERT_TRUE(procesarHasta([&] { return estado->total() == copias; }, 10s))
        << estado->total() << " de " << copias;
    for (int i = 0; i < copias; ++i)
        EXPECT_EQ(estado->recortes()[static_cast<std::size_t>(i)].vista,
                  "ráfaga " + std::to_string(copias - 1 - i));
}

TEST_F(EstadoX11, LaCopiaDeUnDuenoQueViveCincuentaMilisegundosSeGuarda) {
    Duenos duenos;
    for (int i = 0; i < 5; ++i) {
        const auto texto = "breve " + std::to_string(i);
        auto& dueno = duenos.copiar(texto);
        procesarHasta([] { return false; }, 50ms);
        dueno.kill();
        EXPECT_TRUE(procesarHasta(
            [&] {
                return !estado->recortes().empty() && estado->recortes().front().vista == texto;
            },
            3s))
            << texto;
    }
}

// Mientras se espera a un dueño que tarda en dar su imagen (hasta 1 s), el hilo principal
// sigue atendiendo eventos: entre dos vueltas de un temporizador de 1 ms nunca pasa ni un
// tercio de esa espera.
TEST_F(EstadoX11, EsperarAUnDuenoLentoNoParaElBucleDeEventos) {
    using Reloj = std::chrono::steady_clock;
    Reloj::duration hueco{};
    auto anterior = Reloj::now();
    QTimer latido;
    QObject::connect(&latido, &QTimer::timeout, [&] {
        const auto ahora = Reloj::now();
        hueco = std::max(hueco, ahora - anterior);
        anterior = ahora;
    });
    latido.start(1);
    DuenoXcb lento({{.destino = "image/png", .datos = bytes("no llega"), .retraso = 5s}});
    const auto pidioLaImagen = [&] {
        const auto p = lento.pedidos();
        return std::find(p.begin(), p.end(), "image/png") != p.end();
    };
    ASSERT_TRUE(procesarHasta(pidioLaImagen, 5s)) << "nadie le pidió la imagen";
    procesarHasta([] { return false; }, 1200ms);
    latido.stop();
    EXPECT_LT(hueco, std::chrono::milliseconds(330));
    EXPECT_EQ(estado->total(), 0);
}

} // namespace
