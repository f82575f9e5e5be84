// rebisco: el historial del portapapeles con su panel flotante.
#include "Delegado.h"

#include <interfaz/Marca.h>
#include <panel/ControlPanel.h>
#include <rebisco/Proceso.h>
#include <rebisco/SalidaOrdenada.h>

#include <QApplication>

int main(int argc, char** argv) {
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
        rebisco::Delegado delegado(proceso.estado(), panel);
        delegado.alTerminarDeArrancar();
        estado = QApplication::exec();
        delegado.alTerminar();
    }
    return estado;
}
