// La bandeja con anfitriones de verdad bajo Xvfb: sin bandeja, el menú en el encabezado del
// panel; trayer (XEmbed) que aparece después y acoge el icono, con su menú a los dos clics; y
// un observador StatusNotifierItem propio en un bus de sesión propio, donde el menú se ve y se
// usa por com.canonical.dbusmenu.
#include "EntornoX11.h"

#include <AyudasBandeja.h>

#include <bandeja/EtiquetaBarra.h>
#include <vista/Encabezado.h>
#include <vista/VistaHistorial.h>

#include <QApplication>
#include <QMenu>
#include <QProcess>
#include <QRegularExpression>
#include <QToolButton>

#include <unistd.h>

using namespace pruebas_x11;
using namespace std::chrono_literals;

namespace {

// Un programa cualquiera con el bucle de Qt vivo (quien contesta puede ser este proceso): lo
// que escribe, o nada si falla.
std::optional<QString> salidaDe(const QString& programa, const QStringList& argumentos) {
    QProcess proceso;
    proceso.start(programa, argumentos);
    if (!proceso.waitForStarted(5000)) return std::nullopt;
    if (!procesarHasta([&] { return proceso.state() == QProcess::NotRunning; }, 10s)) {
        proceso.kill();
        proceso.waitForFinished(5000);
        return std::nullopt;
    }
    if (proceso.exitStatus() != QProcess::NormalExit || proceso.exitCode() != 0) {
        ADD_FAILURE() << programa.toStdString() << ": "
                      << proceso.readAllStandardError().toStdString();
        return std::nullopt;
    }
    return QString::fromUtf8(proceso.readAllStandardOutput());
}

// Un programa de fondo mientras vive, con lo que va escribiendo.
class Fondo {
public:
    Fondo(const QString& programa, const QStringList& argumentos,
          const QProcessEnvironment& entorno = QProcessEnvironment::systemEnvironment()) {
        proceso.setProcessEnvironment(entorno);
        proceso.start(programa, argumentos);
        proceso.waitForStarted(5000);
    }
    ~Fondo() { terminar(); }
    void terminar() {
        if (proceso.state() == QProcess::NotRunning) return;
        proceso.terminate();
        if (!proceso.waitForFinished(3000)) proceso.kill();
        proceso.waitForFinished(3000);
    }
    // Espera a una línea que empieza así y la devuelve entera.
    std::optional<QString> linea(const QString& comienzo, std::chrono::milliseconds plazo = 10s) {
        std::optional<QString> hallada;
        procesarHasta(
            [&] {
                salida += QString::fromUtf8(proceso.readAllStandardOutput());
                for (const auto& l : salida.split(u'\n'))
                    if (l.startsWith(comienzo) && salida.contains(l + u'\n')) hallada = l;
                return hallada.has_value() || proceso.state() == QProcess::NotRunning;
            },
            plazo);
        return hallada;
    }

private:
    QProcess proceso;
    QString salida;
};

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

// El padre de una ventana según el servidor.
std::optional<QString> padreDe(WId ventana) {
    const auto arbol = salidaDe("xwininfo", {"-tree", "-id", QString::number(ventana)});
    if (!arbol) return std::nullopt;
    const auto m =
        QRegularExpression(QStringLiteral("Parent window id: (0x[0-9a-f]+)")).match(*arbol);
    if (!m.hasMatch()) return std::nullopt;
    return m.captured(1);
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
    // Abrir su menú no cierra el panel.
    EXPECT_TRUE(banco.control->visible());
    ASSERT_TRUE(clic(centroDe(banco.menu(), banco.entrada("Pausar la captura")), 1));
    EXPECT_TRUE(procesarHasta([&] { return banco.estado->pausado(); }));
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
        return icono && icono->isVisible() && padreDe(icono->winId()).value_or("") != "";
    }));
    const auto padre = padreDe(icono->winId());
    const auto raiz = salidaDe("xwininfo", {"-root"});
    ASSERT_TRUE(padre && raiz);
    EXPECT_FALSE(raiz->contains(*padre)) << "el icono sigue en la raíz: no está incrustado";
    const QRect donde = banco.bandeja->etiqueta().icono().geometry();
    ASSERT_FALSE(donde.isEmpty());
    EXPECT_TRUE(QRect(0, 0, 1280, 32).contains(donde)) << "fuera de la barra de trayer";

    // El clic principal y el secundario abren el mismo menú; una entrada funciona.
    for (const int boton : {1, 3}) {
        ASSERT_TRUE(clic(donde.center(), boton));
        ASSERT_TRUE(procesarHasta([&] { return banco.menu().isVisible(); }))
            << "el clic " << boton << " no abrió el menú";
        const bool antes = banco.estado->pausado();
        ASSERT_TRUE(clic(centroDe(banco.menu(), banco.entrada("Pausar la captura")), 1));
        EXPECT_TRUE(procesarHasta([&] { return banco.estado->pausado() != antes; }));
        EXPECT_FALSE(banco.menu().isVisible());
    }
    ASSERT_TRUE(clic(donde.center(), 1));
    ASSERT_TRUE(procesarHasta([&] { return banco.menu().isVisible(); }));
    ASSERT_TRUE(clic(centroDe(banco.menu(), banco.entrada("Salir de rebisco")), 1));
    EXPECT_TRUE(procesarHasta([&] { return banco.salidas == 1; }));

    // Si la bandeja se va, el menú vuelve al encabezado.
    trayer.terminar();
    EXPECT_TRUE(procesarHasta([&] { return !banco.bandeja->enBandeja(); }, 15s));
    EXPECT_EQ(banco.control->menuSinBandeja(), &banco.menu());
}

} // namespace
