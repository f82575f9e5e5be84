// El panel sobre un escritorio X11 de verdad (Xvfb y openbox, con y sin xcompmgr): el atajo
// lo abre sobre el campo de texto de otra aplicación, se escribe, se elige y se pega allí.
#include "EntornoX11.h"

#include <Ayudas.h>

#include <panel/ControlPanel.h>
#include <panel/FondoPanel.h>
#include <panel/PanelFlotante.h>
#include <rebisco/EstadoApp.h>

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

using namespace pruebas_x11;

namespace {

bool tecla(const QString& teclas) {
    return ejecutar("xdotool", {"key", "--clearmodifiers", teclas}) == 0;
}

// Un compositor de verdad mientras vive.
class Compositor {
public:
    Compositor() {
        proceso.setStandardErrorFile(QProcess::nullDevice());
        proceso.start("xcompmgr", {});
        proceso.waitForStarted(5000);
    }
    ~Compositor() {
        proceso.terminate();
        if (!proceso.waitForFinished(3000)) proceso.kill();
        proceso.waitForFinished(3000);
    }

private:
    QProcess proceso;
};

class PanelX11 : public ConPantallaYParametro<bool> {
protected:
    void SetUp() override {
        qunsetenv("XDG_CURRENT_DESKTOP");
        ConPantalla::SetUp();
        if (IsSkipped()) return;
        auto& escritorio = plataforma->escritorio();
        if (GetParam()) compositor = std::make_unique<Compositor>();
        ASSERT_TRUE(procesarHasta([&] { return escritorio.hayCompositor() == GetParam(); }))
            << "el compositor no llegó (o no se fue)";
        campo = std::make_unique<CampoAjeno>(QStringLiteral(CAMPO_DE_TEXTO));
        ASSERT_TRUE(campo->listo());
        ASSERT_TRUE(procesarHasta([&] {
            const auto v = escritorio.ventanaActiva();
            return v && v->pid == campo->pid();
        }));
        ventanaCampo = escritorio.ventanaActiva()->id;

        preferencias.registrar(rebisco::Preferencias::registrados());
        // Un ensayo: registra el atajo y pega de verdad.
        estado = std::make_unique<rebisco::EstadoApp>(rebisco::EstadoApp::Dependencias{
            .plataforma = *plataforma,
            .portapapeles = plataforma->general(),
            .preferencias = preferencias,
            .entorno = rebisco::Entorno{.ensayo = carpeta.ruta()},
        });
        estado->iniciar();
        ASSERT_FALSE(estado->problemaAtajo());
        for (const auto* texto : {"texto tres", "texto dos", "texto uno"})
            estado->almacenAbierto()->guardar(pruebas::recorteDeTexto(texto),
                                              std::chrono::system_clock::now());
        estado->recargar(false);
        control = std::make_unique<rebisco::ControlPanel>(*estado);
        control->conectar();
    }
    void TearDown() override {
        control.reset();
        if (estado) estado->cerrar();
        estado.reset();
        campo.reset();
        compositor.reset();
        if (qGuiApp) ejecutar("setxkbmap", {"us"});
    }

    bool activaEsDe(std::int64_t pid) {
        const auto v = plataforma->escritorio().ventanaActiva();
        return v && v->pid == pid;
    }

    // El atajo abre el panel y le da el teclado.
    void abrir() {
        ASSERT_TRUE(tecla("shift+super+v"));
        ASSERT_TRUE(procesarHasta([&] { return control->visible() && activaEsDe(::getpid()); }))
            << "el panel no se abrió o no tiene la activación";
        ASSERT_TRUE(procesarHasta([&] { return control->panel()->isActiveWindow(); }));
    }

    bool cerradoConElFocoEnElCampo() {
        return procesarHasta([&] { return !control->visible() && activaEsDe(campo->pid()); });
    }

    CarpetaTemporal carpeta;
    rebisco::PreferenciasEnMemoria preferencias;
    std::unique_ptr<Compositor> compositor;
    std::unique_ptr<CampoAjeno> campo;
    std::uint64_t ventanaCampo = 0;
    std::unique_ptr<rebisco::EstadoApp> estado;
    std::unique_ptr<rebisco::ControlPanel> control;
};

TEST_P(PanelX11, ElAtajoLoAbreEscribirFiltraYRetornoPegaEnElCampo) {
    abrir();
    auto& panel = *control->panel();
    EXPECT_EQ(panel.size(), GetParam() ? QSize(784, 564) : QSize(680, 460));
    ASSERT_EQ(ejecutar("xdotool", {"type", "--delay", "20", "dos"}), 0);
    ASSERT_TRUE(procesarHasta([&] { return estado->recortes().size() == 1; }));
    EXPECT_EQ(estado->recortes().front().vista, "texto dos");
    EXPECT_EQ(campo->texto(), "");

    ASSERT_TRUE(tecla("Return"));
    EXPECT_TRUE(cerradoConElFocoEnElCampo());
    EXPECT_TRUE(campo->esperarTexto("texto dos")) << campo->texto();
}

TEST_P(PanelX11, EscapeLoCierraYElFocoVuelveSinPegar) {
    abrir();
    ASSERT_TRUE(tecla("Escape"));
    EXPECT_TRUE(cerradoConElFocoEnElCampo());
    procesarHasta([] { return false; }, 700ms);
    EXPECT_EQ(campo->texto(), "");
}

TEST_P(PanelX11, Ctrl2PegaLaSegunda) {
    abrir();
    ASSERT_TRUE(tecla("ctrl+2"));
    EXPECT_TRUE(cerradoConElFocoEnElCampo());
    EXPECT_TRUE(campo->esperarTexto("texto dos")) << campo->texto();
}

TEST_P(PanelX11, ElAtajoOtraVezLoCierra) {
    abrir();
    ASSERT_TRUE(tecla("shift+super+v"));
    EXPECT_TRUE(cerradoConElFocoEnElCampo());
}

TEST_P(PanelX11, PerderLaActivacionLoOculta) {
    abrir();
    ASSERT_EQ(ejecutar("xdotool", {"windowactivate", QString::number(ventanaCampo)}), 0);
    EXPECT_TRUE(cerradoConElFocoEnElCampo());
}

// Con la composición de Qt (teclas muertas de xkb) el acento se compone en el campo, y la
// búsqueda, que no distingue acentos, lo encuentra.
TEST_P(PanelX11, UnAcentoConTeclaMuertaSeComponeEnLaBusqueda) {
    ASSERT_EQ(ejecutar("setxkbmap", {"us", "-variant", "intl"}), 0);
    abrir();
    ASSERT_TRUE(tecla("dead_acute"));
    ASSERT_TRUE(tecla("e"));
    ASSERT_TRUE(procesarHasta([&] { return estado->busqueda() == QStringLiteral("é"); }))
        << estado->busqueda().toStdString();
    EXPECT_TRUE(control->visible());
    ASSERT_TRUE(tecla("Return"));
    EXPECT_TRUE(cerradoConElFocoEnElCampo());
    EXPECT_TRUE(campo->esperarTexto("texto uno")) << campo->texto();
}

// El margen solo existe con un compositor.
class MargenX11 : public PanelX11 {};

TEST_P(MargenX11, UnClicEnElMargenLoCierraYEnLaTarjetaNo) {
    abrir();
    const QRect marco = control->panel()->frameGeometry();
    const auto clic = [](QPoint p) {
        return ejecutar("xdotool", {"mousemove", QString::number(p.x()), QString::number(p.y()),
                                    "click", "1"}) == 0;
    };
    ASSERT_TRUE(clic(marco.topLeft() + QPoint(392, 300)));
    procesarHasta([] { return false; }, 300ms);
    EXPECT_TRUE(control->visible());
    ASSERT_TRUE(clic(marco.topLeft() + QPoint(20, 280)));
    EXPECT_TRUE(procesarHasta([&] { return !control->visible(); }));
}

INSTANTIATE_TEST_SUITE_P(X11, MargenX11, testing::Values(true),
                         [](const auto&) { return std::string("con_compositor"); });

INSTANTIATE_TEST_SUITE_P(X11, PanelX11, testing::Values(false, true), [](const auto& info) {
    return std::string(info.param ? "con_compositor" : "sin_compositor");
});

} // namespace
