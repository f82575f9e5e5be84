// El panel y su controlador sobre la plataforma en memoria, en pantalla virtual: mostrar,
// colocar, ocultar y devolver el foco, el margen, el compositor.
#include "AyudasPanel.h"

#include <panel/CampoBusqueda.h>
#include <panel/FondoPanel.h>
#include <panel/GeometriaPanel.h>

#include <QApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

using namespace pruebas;
namespace G = rebisco::GeometriaPanel;

namespace {

struct CasoZona {
    const char* nombre;
    QRect zona;
    QRect tarjeta;
};

void PrintTo(const CasoZona& caso, std::ostream* salida) {
    *salida << caso.nombre;
}

class Colocacion : public testing::TestWithParam<CasoZona> {};

TEST_P(Colocacion, TarjetaCentradaYBajoElBorde) {
    EXPECT_EQ(G::tarjetaEn(GetParam().zona), GetParam().tarjeta);
}

INSTANTIATE_TEST_SUITE_P(
    Zonas, Colocacion,
    testing::Values(
        // 900 de alto: arriba a 144 (el 16 %), abajo a 604, es decir 296 sobre el borde.
        CasoZona{"alta", {0, 0, 1440, 900}, {380, 144, 680, 460}},
        // 500 de alto: el 16 % dejaría la tarjeta 40 por debajo; sube hasta quedar a 20.
        CasoZona{"baja", {0, 0, 1440, 500}, {380, 20, 680, 460}},
        // Una segunda pantalla a la derecha, con un panel arriba que quita 30 puntos.
        CasoZona{"segunda_pantalla", {1440, 30, 1920, 1050}, {2060, 198, 680, 460}}),
    [](const auto& info) { return std::string(info.param.nombre); });

TEST(Marco, ElMargenSoloConCompositor) {
    const QRect tarjeta{100, 100, 680, 460};
    EXPECT_EQ(G::marcoPara(tarjeta, true), QRect(48, 48, 784, 564));
    EXPECT_EQ(G::marcoPara(tarjeta, false), tarjeta);
}

class Panel : public testing::Test {
protected:
    BancoPanel banco;
};

TEST_F(Panel, MostrarLoPreparaLoColocaYLoActiva) {
    auto& estado = *banco.estado;
    estado.buscar("recorte 1", false);
    estado.moverSeleccion(1);
    estado.copiar(estado.recortes().front());
    ASSERT_TRUE(estado.aviso());
    EXPECT_FALSE(banco.control->visible());

    banco.mostrar();
    auto& panel = banco.panel();
    EXPECT_TRUE(banco.control->visible());
    EXPECT_TRUE(panel.isVisible());
    EXPECT_EQ(estado.busqueda(), "");
    EXPECT_FALSE(estado.aviso());
    EXPECT_EQ(banco.posicionSeleccion(), 0);
    EXPECT_EQ(estado.recortes().size(), 3u);
    EXPECT_EQ(panel.windowTitle(), "Historial del portapapeles");
    EXPECT_TRUE(panel.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(panel.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(banco.escritorio().flotantes().contains(panel.winId()));
    EXPECT_TRUE(banco.control->appEnPrimerPlano());
    // La ventana de antes queda recordada para devolverle el foco.
    ASSERT_TRUE(banco.control->appAnterior());
    EXPECT_EQ(banco.control->appAnterior()->id, BancoPanel::ventanaOtra);

    const QRect zona = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(panel.geometry(), G::marcoPara(G::tarjetaEn(zona), false));
    // El campo de búsqueda tiene el teclado.
    EXPECT_TRUE(esperarHasta([&] {
        return qobject_cast<rebisco::CampoBusqueda*>(QApplication::focusWidget()) != nullptr;
    }));
}

TEST_F(Panel, AlternarAbreYCierraYElFocoVuelveALaVentanaDeAntes) {
    banco.estado->alternarPanel();
    EXPECT_TRUE(esperarHasta([&] { return banco.activa() == banco.panel().winId(); }));
    banco.estado->alternarPanel();
    EXPECT_FALSE(banco.control->visible());
    EXPECT_EQ(banco.activa(), BancoPanel::ventanaOtra);
    EXPECT_EQ(banco.escritorio().activaciones(BancoPanel::ventanaOtra), 1);
    EXPECT_FALSE(banco.control->appEnPrimerPlano());
}

TEST_F(Panel, SiguiendoLaVentanaActivaRecuerdaLaUltimaDeOtroProceso) {
    banco.escritorio().ponerVentanaActiva(plataforma::Ventana{0x700002, 777});
    banco.mostrar();
    banco.escritorio().ponerVentanaActiva(plataforma::Ventana{0x999, ::getpid()});
    banco.control->ocultar();
    EXPECT_EQ(banco.activa(), 0x700002u);
}

TEST_F(Panel, SiLaVentanaDeAntesSeCerroNoSeActivaNada) {
    banco.mostrar();
    banco.escritorio().cerrarVentana(BancoPanel::ventanaOtra);
    banco.control->ocultar();
    EXPECT_FALSE(banco.control->visible());
    EXPECT_EQ(banco.activa(), banco.panel().winId());
}

TEST_F(Panel, ConLosAjustesALaVistaLaActivacionSeQuedaEnCasa) {
    QWidget ajustes;
    ajustes.setWindowTitle("Ajustes de rebisco");
    ajustes.show();
    banco.mostrar();
    banco.control->ocultar();
    EXPECT_EQ(banco.escritorio().activaciones(BancoPanel::ventanaOtra), 0);
}

TEST_F(Panel, OtraAplicacionActivaLoOculta) {
    banco.mostrar();
    banco.escritorio().ponerVentanaActiva(plataforma::Ventana{0x800003, 888});
    EXPECT_FALSE(banco.control->visible());
    // El usuario eligió otra ventana: no se le quita.
    EXPECT_EQ(banco.activa(), 0x800003u);
    EXPECT_EQ(banco.escritorio().activaciones(BancoPanel::ventanaOtra), 0);
}

TEST_F(Panel, PerderLaActivacionDeQtLoOculta) {
    banco.mostrar();
    ASSERT_TRUE(esperarHasta([&] { return banco.panel().isActiveWindow(); }));
    QWidget otra;
    otra.show();
    otra.activateWindow();
    EXPECT_TRUE(esperarHasta([&] { return !banco.control->visible(); }));
}

struct CasoCompositor {
    const char* nombre;
    bool compositor;
    QSize tamano;
    bool translucida;
    bool recortada;
};

void PrintTo(const CasoCompositor& caso, std::ostream* salida) {
    *salida << caso.nombre;
}

class Compositor : public testing::TestWithParam<CasoCompositor> {
protected:
    BancoPanel banco;
};

TEST_P(Compositor, LaVentanaSeAdaptaAlCompositor) {
    const auto& caso = GetParam();
    // Se abre una vez en el modo contrario: el cambio se sigue al volver a abrir.
    banco.escritorio().ponerCompositor(!caso.compositor);
    banco.mostrar();
    banco.control->ocultar();
    banco.escritorio().ponerCompositor(caso.compositor);
    banco.mostrar();
    auto& panel = banco.panel();
    EXPECT_EQ(panel.size(), caso.tamano);
    EXPECT_EQ(panel.testAttribute(Qt::WA_TranslucentBackground), caso.translucida);
    EXPECT_EQ(!panel.mask().isEmpty(), caso.recortada);
    EXPECT_EQ(panel.fondo().tarjeta().size(), QSize(680, 460));
    const QRect zona = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(panel.mapToGlobal(panel.fondo().tarjeta().topLeft()), G::tarjetaEn(zona).topLeft());
    // La ventana rehecha sigue recibiendo el teclado del panel.
    banco.pulsar(escape());
    EXPECT_FALSE(banco.control->visible());
}

INSTANTIATE_TEST_SUITE_P(Modos, Compositor,
                         testing::Values(CasoCompositor{"con", true, {784, 564}, true, false},
                                         CasoCompositor{"sin", false, {680, 460}, false, true}),
                         [](const auto& info) { return std::string(info.param.nombre); });

struct CasoClic {
    const char* nombre;
    QPoint punto; // en el panel de 784 × 564
    bool cierra;
};

void PrintTo(const CasoClic& caso, std::ostream* salida) {
    *salida << caso.nombre;
}

class Clic : public testing::TestWithParam<CasoClic> {
protected:
    BancoPanel banco;
};

TEST_P(Clic, SoloElMargenCierra) {
    banco.escritorio().ponerCompositor(true);
    banco.mostrar();
    // Por la ventana, como un clic de verdad: llega al hijo que haya en ese punto.
    QTest::mouseClick(banco.panel().windowHandle(), Qt::LeftButton, {}, GetParam().punto);
    EXPECT_EQ(banco.control->visible(), !GetParam().cierra);
}

INSTANTIATE_TEST_SUITE_P(Puntos, Clic,
                         testing::Values(CasoClic{"margen_izquierdo", {20, 280}, true},
                                         CasoClic{"margen_inferior", {392, 540}, true},
                                         // Fuera de la esquina redondeada de la tarjeta.
                                         CasoClic{"esquina_de_la_tarjeta", {54, 54}, true},
                                         CasoClic{"dentro_de_la_tarjeta", {392, 300}, false},
                                         CasoClic{"borde_de_la_tarjeta", {60, 280}, false}),
                         [](const auto& info) { return std::string(info.param.nombre); });

TEST_F(Panel, ReabrirTrasUnaBusquedaEmpiezaDeCero) {
    banco.mostrar();
    banco.pulsar(letra('1'));
    EXPECT_EQ(banco.estado->busqueda(), "1");
    EXPECT_EQ(banco.estado->recortes().size(), 1u);
    banco.control->ocultar();
    banco.mostrar();
    EXPECT_EQ(banco.estado->busqueda(), "");
    EXPECT_EQ(banco.estado->recortes().size(), 3u);
    EXPECT_EQ(banco.posicionSeleccion(), 0);
    auto* campo = banco.panel().findChild<rebisco::CampoBusqueda*>();
    ASSERT_NE(campo, nullptr);
    EXPECT_EQ(campo->text(), "");
}

TEST_F(Panel, SinControladorLosCierresNoHacenNada) {
    auto& estado = *banco.estado;
    banco.control.reset();
    estado.alternarPanel();
    estado.ocultarPanel();
    EXPECT_FALSE(estado.appEnPrimerPlano());
}

} // namespace
