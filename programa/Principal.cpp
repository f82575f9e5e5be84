// rebisco: el historial del portapapeles con su panel flotante.
#include "Delegado.h"
#include "UnaInstancia.h"

#include <ajustes/VentanaAjustes.h>
#include <bandeja/Bandeja.h>
#include <interfaz/Apariencia.h>
#include <interfaz/Marca.h>
#include <panel/ControlPanel.h>
#include <rebisco/InicioSesion.h>
#include <rebisco/Proceso.h>
#include <rebisco/SalidaOrdenada.h>

#include <QApplication>
#include <QStyleFactory>

#include <cstdio>
#include <cstring>
#include <memory>

int main(int argc, char** argv) {
    // Quitar el inicio automático no necesita nada más: ni pantalla ni historial. Si no había
    // entrada o no se pudo borrar, se dice y se sale igual con 0: no queda nada que hacer.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--quitar-inicio") != 0) continue;
        QCoreApplication nucleo(argc, argv);
        const auto fallo = rebisco::InicioSesion::cambiar(false, rebisco::InicioSesion::programa());
        if (fallo) std::fprintf(stderr, "%s\n", qPrintable(*fallo));
        return 0;
    }
    QApplication aplicacion(argc, argv);
    // La clase de ventana (WM_CLASS) y la entrada de escritorio se llaman como el programa.
    QApplication::setApplicationName(QStringLiteral("rebisco"));
    QApplication::setDesktopFileName(QStringLiteral("rebisco"));
    // El panel se oculta muchas veces al día; eso no es salir.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(rebisco::Marca::iconoApp());

    const auto& entorno = rebisco::Entorno::proceso();
    // Otro rebisco ya corre: que se muestre él, y este se va sin tocar nada.
    std::unique_ptr<rebisco::UnaInstancia> unica;
    if (!entorno.esPrueba()) {
        unica = rebisco::UnaInstancia::tomar();
        if (!unica) return 0;
    }
    // Las fotos no dependen del tema de quien las saca.
    if (entorno.instantanea || entorno.captura) {
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        QApplication::setPalette(entorno.aparienciaOscura ? rebisco::Apariencia::oscura()
                                                          : rebisco::Apariencia::clara());
    }
    rebisco::SalidaOrdenada senales;

    int estado = 0;
    {
        // Todo lo del proceso nace con la aplicación Qt ya creada y muere antes que ella.
        rebisco::Proceso proceso(entorno);
        rebisco::ControlPanel panel(proceso.estado());
        // La ventana de ajustes se crea la primera vez que se pide y luego se reutiliza.
        std::unique_ptr<rebisco::VentanaAjustes> ajustes;
        const auto abrirAjustes = [&] {
            if (!ajustes) ajustes = std::make_unique<rebisco::VentanaAjustes>(proceso.estado());
            ajustes->mostrar();
        };
        // Salir del menú termina el bucle; el estado se cierra al volver, como con una señal.
        rebisco::Bandeja bandeja(proceso.estado(), panel, abrirAjustes,
                                 [] { QApplication::quit(); });
        rebisco::Delegado delegado(proceso, panel);
        if (unica)
            QObject::connect(unica.get(), &rebisco::UnaInstancia::reabrir, &delegado,
                             &rebisco::Delegado::alReabrir);
        if (delegado.alTerminarDeArrancar()) estado = QApplication::exec();
        ajustes.reset();
        delegado.alTerminar();
    }
    return estado;
}
