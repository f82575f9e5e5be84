// Pinta sin pantalla el menú de la bandeja con un historial de muestra (en claro y en oscuro,
// también en pausa y en un ensayo), el encabezado del panel con el botón del menú donde no hay
// bandeja, y "Acerca de rebisco"; guarda las imágenes PNG: foto_bandeja <carpeta>.
#include "AyudasBandeja.h"
#include "HistorialDeMuestra.h"
#include <interfaz/Apariencia.h>

#include <bandeja/AcercaDe.h>
#include <panel/PanelFlotante.h>

#include <QApplication>
#include <QPixmap>
#include <QStyleFactory>

#include <cstdio>

using namespace pruebas;

namespace {

bool guardarFoto(QWidget& w, const QString& nombre) {
    if (!w.grab().save(nombre)) {
        std::fprintf(stderr, "no se pudo guardar %s\n", qPrintable(nombre));
        return false;
    }
    std::printf("%s %dx%d\n", qPrintable(nombre), w.width(), w.height());
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs("uso: foto_bandeja <carpeta>\n", stderr);
        return 2;
    }
    qputenv("LANGUAGE", "es");
    qputenv("LANG", "es_ES.UTF-8");
    qputenv("TZ", "UTC");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication aplicacion(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    const QString carpeta = QString::fromLocal8Bit(argv[1]);
    for (const auto& [tema, paleta] : {std::pair{"claro", rebisco::Apariencia::clara()},
                                       std::pair{"oscuro", rebisco::Apariencia::oscura()}}) {
        QApplication::setPalette(paleta);
        for (const char* caso : {"historial", "pausa", "ensayo"}) {
            const bool ensayo = qstrcmp(caso, "ensayo") == 0;
            BancoBandeja banco(ensayo);
            if (!ensayo) llenarDeMuestra(banco, std::nullopt);
            if (qstrcmp(caso, "pausa") == 0) banco.estado->ponerPausa(true);
            banco.menu().popup(QPoint(0, 0));
            esperar(std::chrono::milliseconds(50));
            if (!guardarFoto(banco.menu(),
                             QStringLiteral("%1/menu-%2-%3.png").arg(carpeta, caso, tema)))
                return 1;
            banco.menu().hide();
            if (ensayo) continue;
            banco.control->mostrar();
            esperar(std::chrono::milliseconds(50));
            if (!guardarFoto(*banco.control->panel(),
                             QStringLiteral("%1/panel-%2-%3.png").arg(carpeta, caso, tema)))
                return 1;
            if (qstrcmp(caso, "historial") != 0) continue;
            banco.bandeja->mostrarAcercaDe();
            esperar(std::chrono::milliseconds(50));
            if (!guardarFoto(*banco.bandeja->acercaDe(),
                             QStringLiteral("%1/acerca-%2.png").arg(carpeta, tema)))
                return 1;
        }
    }
    return 0;
}
