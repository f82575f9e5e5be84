// La bandeja bajo Xvfb: sin bandeja, el menú en el encabezado del panel; trayer (XEmbed) que
// aparece después y acoge el icono, con su menú a los dos clics.
#include "AyudasBandejaX11.h"

#include <AyudasBandeja.h>
#include <AyudasUi.h>

#include <bandeja/EtiquetaBarra.h>
#include <vista/Encabezado.h>
#include <vista/VistaHistorial.h>

#include <QApplication>
#include <QGuiApplication>
#include <QMenu>
#include <QRegularExpression>
#include <QScreen>
#include <QToolButton>

using namespace pruebas_x11;

namespace {

bool clic(QPoint punto, int boton) {
    return ejecutar("xdotool", {"mousemove", "--sync", QString::number(punto.x()),
                                QString::number(punto.y()), "click", QString::number(boton)}) == 0;
}

// El centro de una entrada del menú abierto, en la pantalla.
QPoint centroDe(QMenu& menu, QAction* accion) {
    return menu.mapToGlobal(menu.actionGeometry(accion).center());
}

// La ventana de Qt que pone el icono en una bandeja XEmbed.
QWidget* ventanaDelIcono() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qstrcmp(w->metaObject()->className(), "QSystemTrayIconSys") == 0) return w;
    return nullptr;
}

// Las clases (WM_CLASS) de las ventanas que contienen a esta, hasta la raíz, según el servidor.
std::optional<QStringList> clasesDeLosPadres(WId ventana) {
    static const QRegularExpression padreYRaiz(
        QStringLiteral("Root window id: (0x[0-9a-f]+).*Parent window id: (0x[0-9a-f]+)"),
        QRegularExpression::DotMatchesEverythingOption);
    QStringList clases;
    QString actual = QStringLiteral("0x") + QString::number(ventana, 16);
    for (int i = 0; i < 20; ++i) {
        const auto arbol = salidaDe("xwininfo", {"-tree", "-id", actual});
        if (!arbol) return std::nullopt;
        const auto m = padreYRaiz.match(*arbol);
        if (!m.hasMatch()) return std::nullopt;
        if (m.captured(2) == m.captured(1)) return clases;
        actual = m.captured(2);
        clases.push_back(salidaDe("xprop", {"-id", actual, "WM_CLASS"}).value_or(QString()));
    }
    return std::nullopt;
}

class BandejaX11 : public testing::Test {
protected:
    void SetUp() override {
        if (!hayPantallaAislada()) GTEST_SKIP() << "sin el servidor X de scripts/con-x11.sh";
    }

    rebisco::Encabezado& encabezado(pruebas::BancoBandeja& banco) {
        if (!banco.control->visible()) banco.control->mostrar();
        auto* vista = banco.control->panel()->findChild<rebisco::VistaHistorial*>();
        EXPECT_NE(vista, nullptr);
        return vista->encabezado();
    }
};

TEST_F(BandejaX11, SinBandejaElEncabezadoYLuegoTrayerAcogeElIcono) {
    // Ni la bandeja de D-Bus de la sesión de quien prueba.
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    pruebas::BancoBandeja banco(false, 3);
    ASSERT_FALSE(banco.bandeja->enBandeja());
    auto& boton = encabezado(banco).menu();
    ASSERT_TRUE(procesarHasta(
        [&] { return boton.isVisible() && banco.control->panel()->isActiveWindow(); }));
    ASSERT_TRUE(clic(boton.mapToGlobal(boton.rect().center()), 1));
    ASSERT_TRUE(procesarHasta([&] { return banco.menu().isVisible(); }))
        << "el botón no abrió el menú";
    pruebas::guardarCaptura(QGuiApplication::primaryScreen()->grabWindow(0).toImage(),
                            QStringLiteral("bandeja-sin-bandeja.png"));
    // Abrir su menú no cierra el panel.
    EXPECT_TRUE(banco.control->visible());
    ASSERT_TRUE(clic(centroDe(banco.menu(), banco.entrada("Pausar la captura")), 1));
    EXPECT_TRUE(procesarHasta([&] { return banco.estado->pausado(); }));

    // Ctrl+Q sale desde el menú abierto, nunca desde el panel.
    auto teclear = [](const char* teclas) {
        return ejecutar("xdotool", {"key", "--clearmodifiers", teclas}) == 0;
    };
    ASSERT_TRUE(procesarHasta([&] { return banco.control->panel()->isActiveWindow(); }));
    ASSERT_TRUE(teclear("ctrl+q"));
    EXPECT_FALSE(procesarHasta([&] { return banco.salidas > 0; }, 500ms));
    ASSERT_TRUE(clic(boton.mapToGlobal(boton.rect().center()), 1));
    ASSERT_TRUE(procesarHasta([&] { return banco.menu().isVisible(); }));
    ASSERT_TRUE(teclear("ctrl+q"));
    EXPECT_TRUE(procesarHasta([&] { return banco.salidas == 1; }));
    banco.control->ocultar();

    // Una bandeja que aparece después: el icono pasa a ella y el botón se va.
    Fondo trayer("trayer",
                 {"--edge", "top", "--align", "right", "--widthtype", "request", "--height", "32",
                  "--SetDockType", "true", "--transparent", "false", "--tint", "0x303030"});
    ASSERT_TRUE(procesarHasta([&] { return banco.bandeja->enBandeja(); }, 15s))
        << "rebisco no vio la bandeja de trayer";
    EXPECT_EQ(banco.control->menuSinBandeja(), nullptr);
    QWidget* icono = nullptr;
    ASSERT_TRUE(procesarHasta([&] {
        icono = ventanaDelIcono();
        return icono && icono->isVisible();
    }));
    // Incrustado: dentro de una ventana de trayer, no colgado de la raíz.
    const auto padres = clasesDeLosPadres(icono->winId());
    ASSERT_TRUE(padres);
    EXPECT_TRUE(padres->filter(QStringLiteral("\"trayer\"")).size() > 0)
        << "el icono no está dentro de trayer: " << padres->join(u'|').toStdString();
    const QRect donde = banco.bandeja->etiqueta().icono().geometry();
    ASSERT_FALSE(donde.isEmpty());
    EXPECT_TRUE(QRect(0, 0, 1280, 32).contains(donde)) << "fuera de la barra de trayer";

    // El clic principal y el secundario abren el mismo menú; una entrada funciona.
    for (const int boton : {1, 3}) {
        ASSERT_TRUE(clic(donde.center(), boton));
        ASSERT_TRUE(procesarHasta([&] { return banco.menu().isVisible(); }))
            << "el clic " << boton << " no abrió el menú";
        pruebas::guardarCaptura(QGuiApplication::primaryScreen()->grabWindow(0).toImage(),
                                QStringLiteral("bandeja-trayer-clic%1.png").arg(boton));
        const bool antes = banco.estado->pausado();
        ASSERT_TRUE(clic(centroDe(banco.menu(), banco.entrada("Pausar la captura")), 1));
        EXPECT_TRUE(procesarHasta([&] { return banco.estado->pausado() != antes; }));
        EXPECT_FALSE(banco.menu().isVisible());
    }
    ASSERT_TRUE(clic(donde.center(), 1));
    ASSERT_TRUE(procesarHasta([&] { return banco.menu().isVisible(); }));
    ASSERT_TRUE(clic(centroDe(banco.menu(), banco.entrada("Salir de rebisco")), 1));
    EXPECT_TRUE(procesarHasta([&] { return banco.salidas == 2; }));
}

} // namespace
