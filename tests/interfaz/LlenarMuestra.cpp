// Deja en <carpeta>/historial.sqlite el historial de muestra de las fotos del README, con
// sus edades contadas desde ahora, y en <carpeta>/apps las entradas de escritorio de sus
// apps con sus iconos: llenar_muestra <carpeta>.
#include "HistorialDeMuestra.h"

#include <nucleo/Almacen.h>

#include <QGuiApplication>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs("uso: llenar_muestra <carpeta>\n", stderr);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication aplicacion(argc, argv);
    const std::filesystem::path carpeta = argv[1];
    std::filesystem::create_directories(carpeta);
    pruebas::Banco banco;
    // Cada recorte suma un segundo: el último queda como recién copiado.
    banco.ahora = std::chrono::system_clock::now() - std::chrono::minutes(1);
    banco.iniciar();
    pruebas::llenarDeMuestra(banco, carpeta / "apps");
    banco.estado->cerrar();
    try {
        nucleo::Almacen::copiarBase(banco.base(), carpeta / "historial.sqlite");
    } catch (const std::exception& error) {
        std::fprintf(stderr, "llenar_muestra: %s\n", error.what());
        return 1;
    }
    return 0;
}
