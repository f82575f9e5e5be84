// El panel se abre en la pantalla que tiene el puntero: dos pantallas virtuales de Qt
// (offscreen con su archivo de configuración), una al lado de la otra y de tamaños distintos.
#include "AyudasPanel.h"

#include <panel/GeometriaPanel.h>

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QScreen>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace pruebas;
namespace G = rebisco::GeometriaPanel;

namespace {

struct CasoPantalla {
    const char* nombre;
    QPoint puntero;
    int pantalla; // la que debe usar, en el orden de Qt
};

void PrintTo(const CasoPantalla& caso, std::ostream* salida) {
    *salida << caso.nombre;
}

class DosPantallas : public testing::TestWithParam<CasoPantalla> {};

TEST_P(DosPantallas, SeAbreEnLaDelPuntero) {
    const auto pantallas = QGuiApplication::screens();
    ASSERT_EQ(pantallas.size(), 2);
    BancoPanel banco;
    QCursor::setPos(GetParam().puntero);
    banco.mostrar();
    const QRect zona = pantallas[GetParam().pantalla]->availableGeometry();
    EXPECT_EQ(banco.panel().geometry(), G::marcoPara(G::tarjetaEn(zona), false));
    EXPECT_TRUE(zona.contains(banco.panel().geometry()));
}

INSTANTIATE_TEST_SUITE_P(Puntero, DosPantallas,
                         testing::Values(CasoPantalla{"en_la_primera", {100, 100}, 0},
                                         CasoPantalla{"en_la_segunda", {2000, 900}, 1},
                                         // Fuera de todas: la principal.
                                         CasoPantalla{"fuera_de_todas", {-500, -500}, 0}),
                         [](const auto& info) { return std::string(info.param.nombre); });

} // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QTemporaryDir carpeta;
    const QString archivo = QDir(carpeta.path()).filePath("pantallas.json");
    QFile f(archivo);
    if (!f.open(QIODevice::WriteOnly)) return 1;
    f.write(R"({"screens": [
        {"name": "principal", "x": 0, "y": 0, "width": 1440, "height": 900},
        {"name": "secundaria", "x": 1440, "y": 0, "width": 1920, "height": 1200}]})");
    f.close();
    qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + archivo).toUtf8());
    QApplication aplicacion(argc, argv);
    return RUN_ALL_TESTS();
}
