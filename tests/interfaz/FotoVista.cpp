// Pinta el panel sin pantalla, con un historial de muestra y vacío, en claro y en oscuro, y
// guarda las imágenes PNG en la carpeta pedida: foto_vista <carpeta>.
#include "AyudasPanel.h"
#include "HistorialDeMuestra.h"
#include <interfaz/Apariencia.h>

#include <QApplication>
#include <QPalette>
#include <QPixmap>
#include <QStyleFactory>

#include <cstdio>

using namespace pruebas;

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs("uso: foto_vista <carpeta>\n", stderr);
        return 2;
    }
    qputenv("LANGUAGE", "es");
    qputenv("LANG", "es_ES.UTF-8");
    qputenv("TZ", "UTC");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    CarpetaTemporal datos;
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString(datos.ruta().string()));
    QApplication aplicacion(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    const QString carpeta = QString::fromLocal8Bit(argv[1]);
    for (const auto& [tema, paleta] : {std::pair{"claro", rebisco::Apariencia::clara()},
                                       std::pair{"oscuro", rebisco::Apariencia::oscura()}}) {
        QApplication::setPalette(paleta);
        for (const bool vacio : {false, true}) {
            BancoPanel banco(0);
            if (!vacio) llenarDeMuestra(banco, datos.ruta());
            banco.mostrar();
            QPixmap foto = banco.panel().grab();
            const QString nombre = QStringLiteral("%1/vista-%2-%3.png")
                                       .arg(carpeta, vacio ? "vacio" : "historial", tema);
            if (!foto.save(nombre)) {
                std::fprintf(stderr, "no se pudo guardar %s\n", qPrintable(nombre));
                return 1;
            }
            std::printf("%s\n", qPrintable(nombre));
        }
    }
    return 0;
}
