// El main de las pruebas que usan X: una QGuiApplication con la plataforma xcb (una
// QApplication en las pruebas con ventanas de Qt Widgets).
#include "EntornoX11.h"

#ifdef REBISCO_CON_WIDGETS
#include <QApplication>
using Aplicacion = QApplication;
#else
#include <QGuiApplication>
using Aplicacion = QGuiApplication;
#endif

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    // El listado de pruebas (al compilar) y las ejecuciones fuera de con-x11.sh no abren X.
    if (GTEST_FLAG_GET(list_tests) || !pruebas_x11::hayPantallaAislada()) return RUN_ALL_TESTS();
    qputenv("QT_QPA_PLATFORM", "xcb");
    Aplicacion aplicacion(argc, argv);
    pruebas_x11::BarreraQt barrera;
    return RUN_ALL_TESTS();
}
