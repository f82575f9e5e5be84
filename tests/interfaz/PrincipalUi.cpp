#include <QApplication>

#include <gtest/gtest.h>

// Las vistas necesitan una QApplication, sin pantalla. Los textos se comparan en español (el
// idioma del programa) salvo que REBISCO_PRUEBA_IDIOMA pida otro, y las fechas en UTC, sea cual
// sea el entorno de quien corre las pruebas.
int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    // El listado de pruebas, al compilar, no abre ninguna aplicación.
    if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
    auto idioma = qgetenv("REBISCO_PRUEBA_IDIOMA");
    if (idioma.isEmpty()) idioma = "es";
    qputenv("LANGUAGE", idioma);
    qputenv("LANG", idioma == "es" ? "es_ES.UTF-8" : idioma + "_US.UTF-8");
    qunsetenv("LC_ALL");
    qunsetenv("LC_MESSAGES");
    qputenv("TZ", "UTC");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication aplicacion(argc, argv);
    return RUN_ALL_TESTS();
}
