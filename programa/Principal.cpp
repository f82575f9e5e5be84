// rebisco: el historial del portapapeles con su panel flotante.
#include "Delegado.h"

#include <ajustes/VentanaAjustes.h>
#include <interfaz/Marca.h>
#include <panel/ControlPanel.h>
#include <rebisco/InicioSesion.h>
#include <rebisco/Proceso.h>
#include <rebisco/SalidaOrdenada.h>

#include <QApplication>

#include <cstdio>
#include <cstring>
#include <memory>

int main(int argc, char** argv) {
    // Quitar el inicio automático no necesita nada más: ni pantalla ni historial.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--quitar-inicio") != 0) continue;
        QCoreApplication nucleo(argc, argv);
        const auto fallo = rebisco::InicioSesion::cambiar(false, rebisco::InicioSesion::programa());
        if (fallo) std::fprintf(stderr, "%s\n", qPrintable(*fallo));
        return fallo ? 1 : 0;
    }
    QApplication aplicacion(argc, argv);
    // La clase de ventana (WM_CLASS) y la entrada de escritorio se llaman como el programa.
    QApplication::setApplicationName(QStringLiteral("rebisco"));
    QApplication::setDesktopFileName(QStringLiteral("rebisco"));
    // El panel se oculta muchas veces al día; eso no es salir.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(rebisco::Marca::iconoApp());
    rebisco::SalidaOrdenada senales;

    int estado = 0;
    {
        // Todo lo del proceso nace con la aplicación Qt ya creada y muere antes que ella.
        rebisco::Proceso proceso(rebisco::Entorno::proceso());
        rebisco::ControlPanel panel(proceso.estado());
        // La ventana de ajustes se crea la primera vez que se pide y luego se reutiliza.
        std::unique_ptr<rebisco::VentanaAjustes> ajustes;
        panel.abrirAjustes = [&] {
            if (!ajustes) ajustes = std::make_unique<rebisco::VentanaAjustes>(proceso.estado());
            ajustes->mostrar();
        };
        rebisco::Delegado delegado(proceso.estado(), panel);
        delegado.alTerminarDeArrancar();
        estado = QApplication::exec();
        ajustes.reset();
        delegado.alTerminar();
    }
    return estado;
}
