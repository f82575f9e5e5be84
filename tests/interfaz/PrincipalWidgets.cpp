#include <QApplication>

#include <gtest/gtest.h>

// Las pruebas de la interfaz necesitan una QApplication (ventanas) y su bucle de eventos,
// siempre en la pantalla virtual: nunca abren ventanas en el escritorio de quien prueba.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication aplicacion(argc, argv);
    return RUN_ALL_TESTS();
}
