// rebisco-mirar: el estado de la aplicación sobre el portapapeles del escritorio, sin
// panel. Cada captura se anuncia en la terminal junto con lo más nuevo del historial, y
// cada pulsación del atajo global.
#include <rebisco/EstadoApp.h>
#include <rebisco/Proceso.h>
#include <rebisco/SalidaOrdenada.h>

#include <nucleo/Modelo.h>

#include <QGuiApplication>
#include <QTextStream>
#include <QTimer>

namespace {

QTextStream salida(stdout);
QString linea(const nucleo::Recorte& r) {
    auto vista = QString::fromStdString(r.vista).simplified();
    if (vista.size() > 70) vista = vista.left(69) + "…";
    return QStringLiteral("%1%2 %3 %4 B  %5  [%6]")
        .arg(r.fijado ? "📌" : "  ")
        .arg(r.id, 6)
        .arg(QString::fromUtf8(nucleo::valor(r.clase).data()), -8)
        .arg(r.bytes, 8)
        .arg(vista, QString::fromStdString(r.appNombre.value_or(r.appId.value_or("—"))));
}

void mostrar(rebisco::EstadoApp& estado) {
    salida << "\n── " << estado.total() << " recortes, " << estado.bytesTotales() << " bytes ──\n";
    for (const auto& r : estado.recientes())
        salida << linea(r) << '\n';
    salida.flush();
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName("rebisco");
    rebisco::SalidaOrdenada senales;

    // Todo lo del proceso muere antes que la aplicación Qt, al salir de main.
    rebisco::Proceso proceso(rebisco::Entorno::proceso());
    auto& estado = proceso.estado();
    salida << "rebisco-mirar sobre la plataforma "
           << QString::fromStdString(proceso.plataforma().nombre()) << "; historial en "
           << QString::fromStdString(
                  rebisco::Preferencias::carpetaDatos(proceso.entorno()).string())
           << "\n"
           << "Copia algo en cualquier aplicación; Ctrl+C para salir.\n";
    if (auto* archivo = dynamic_cast<rebisco::PreferenciasEnArchivo*>(&estado.preferencias());
        archivo && archivo->problema())
        salida << "Preferencias: " << *archivo->problema() << '\n';

    // Se muestra cuando la recarga entera ha terminado, con el total ya al día.
    QTimer pendiente;
    pendiente.setSingleShot(true);
    QObject::connect(&pendiente, &QTimer::timeout, [&] { mostrar(estado); });
    for (auto senal : {&rebisco::EstadoApp::cambioRecientes, &rebisco::EstadoApp::cambioTotal})
        QObject::connect(&estado, senal, &pendiente, [&] { pendiente.start(0); });
    QObject::connect(&estado, &rebisco::EstadoApp::cambioAviso, [&] {
        if (estado.aviso()) salida << "Aviso: " << *estado.aviso() << Qt::endl;
    });
    QObject::connect(&estado, &rebisco::EstadoApp::cambioErrorAlmacen, [&] {
        if (estado.errorAlmacen()) salida << "Historial: " << *estado.errorAlmacen() << Qt::endl;
    });
    // Sin panel todavía: el atajo global solo se anuncia.
    estado.alternarPanel = [&] {
        salida << "Atajo " << estado.atajoTexto() << " pulsado" << Qt::endl;
    };
    estado.iniciar();
    if (!estado.problemaAtajo())
        salida << "Atajo global: " << estado.atajoTexto() << '\n';
    else if (*estado.problemaAtajo() == rebisco::ProblemaAtajo::deMacOS)
        salida << "El sistema ya usa " << estado.atajoTexto() << " para otra función\n";
    else
        salida << "El sistema no aceptó el atajo " << estado.atajoTexto() << '\n';
    mostrar(estado);
    return app.exec();
}
