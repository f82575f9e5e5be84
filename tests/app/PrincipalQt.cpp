#include <QCoreApplication>

#include <gtest/gtest.h>

// Las pruebas de la aplicación necesitan el bucle de eventos de Qt para los temporizadores.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
