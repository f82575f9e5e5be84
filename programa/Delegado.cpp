#include "Delegado.h"

#include <ajustes/VentanaAjustes.h>
#include <arranque/AvisosArranque.h>
#include <autoprueba/Diagnostico.h>
#include <panel/ControlPanel.h>
#include <rebisco/EstadoApp.h>
#include <rebisco/InicioSesion.h>
#include <rebisco/Instalacion.h>
#include <rebisco/Mudanza.h>
#include <rebisco/Preferencias.h>
#include <rebisco/Proceso.h>

#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QTimer>

#include <filesystem>

namespace rebisco {

namespace {

// La ruta sin su extensión: "/a/foto.png" da "/a/foto".
QString base(const QString& ruta) {
    return QString::fromStdString(
        std::filesystem::path(ruta.toStdString()).replace_extension().string());
}

// Un fallo al escribir una foto no para las demás.
void escribir(const QString& ruta, const QByteArray& datos) {
    if (datos.isEmpty()) return;
    QFile archivo(ruta);
    if (archivo.open(QIODevice::WriteOnly)) archivo.write(datos);
}

QByteArray fotoDe(QWidget& ventana) {
    QByteArray datos;
    QBuffer salida(&datos);
    salida.open(QIODevice::WriteOnly);
    if (!ventana.grab().save(&salida, "PNG")) return {};
    return datos;
}

} // namespace

Delegado::Delegado(Proceso& proceso, ControlPanel& panel)
    : proceso(proceso)
    , estado(proceso.estado())
    , panel(panel) {}

Delegado::~Delegado() = default;

bool Delegado::alTerminarDeArrancar() {
    const Entorno& entorno = proceso.entorno();
    // Desde una carpeta que puede desaparecer, el usuario decide si sigue. Un ensayo no
    // puede abrirse al iniciar sesión, que es lo que el aviso protege: corre donde esté.
    if (!entorno.esPrueba() && !entorno.esEnsayo() &&
        Instalacion::fueraDeSitio(InicioSesion::programa().toStdString()) && !avisarFueraDeSitio())
        return false;
    // Antes de abrir el historial y de leer las preferencias para capturar.
    Mudanza::traerDeOlvaneSiHaceFalta(entorno, proceso.preferencias());
    Mudanza::ofrecerCerrarOlvane(entorno, preguntarCerrarOlvane);
    Instalacion::renovarPermisoSiCambioLaApp(entorno, proceso.preferencias());

    panel.conectar();
    estado.iniciar();

    if (entorno.autoprueba) {
        // La autoprueba llega con su propio trabajo; hasta entonces no hay nada que correr.
    } else if (entorno.instantanea) {
        const QString ruta = QString::fromStdString(*entorno.instantanea);
        QTimer::singleShot(1000, this, [this, ruta] { guardarInstantaneas(ruta); });
    } else if (entorno.captura) {
        // La primera captura calienta la ventana; se tira.
        (void)panel.capturaReal(false);
        const QString ruta = QString::fromStdString(*entorno.captura);
        QTimer::singleShot(1500, this, [this, ruta] { capturar(ruta); });
    } else {
        primerArranque();
    }
    return true;
}

void Delegado::primerArranque() {
    if (proceso.entorno().esPrueba()) return;
    auto& preferencias = proceso.preferencias();
    if (preferencias.boolean(Preferencias::yaSeAbrio)) return;
    preferencias.set(Preferencias::yaSeAbrio, true);
    panel.mostrar();
}

void Delegado::alReabrir() {
    // Una prueba no salta delante de nadie.
    if (proceso.entorno().esPrueba()) return;
    panel.mostrar();
}

void Delegado::alTerminar() {
    estado.cerrar();
}

void Delegado::capturar(const QString& ruta) {
    const QString raiz = base(ruta);
    escribir(raiz + QStringLiteral(".png"), panel.capturaReal(false));
    escribir(raiz + QStringLiteral("-fondo.png"), panel.capturaReal(true));
    if (const auto simbolos = Diagnostico::dibujarSimbolos())
        escribir(raiz + QStringLiteral("-barra.png"), *simbolos);
    QApplication::quit();
}

void Delegado::guardarInstantaneas(const QString& ruta) {
    const QString raiz = base(ruta);
    escribir(raiz + QStringLiteral(".png"), panel.instantanea());
    // Una ventana de ajustes fuera de la pantalla, delante aunque no esté activa.
    ventanaDeFotos = std::make_unique<VentanaAjustes>(estado);
    ventanaDeFotos->setAttribute(Qt::WA_ShowWithoutActivating);
    ventanaDeFotos->move(-4000, -4000);
    ventanaDeFotos->show();
    ventanaDeFotos->raise();

    QTimer::singleShot(1500, this, [this, raiz] {
        escribir(raiz + QStringLiteral(".png"), panel.instantanea());
        const std::pair<PestanaAjustes, const char*> pestanas[] = {
            {PestanaAjustes::general, "-general"},
            {PestanaAjustes::historial, "-historial"},
            {PestanaAjustes::privacidad, "-privacidad"},
        };
        for (const auto& [pestana, sufijo] : pestanas) {
            estado.ponerPestanaAjustes(pestana);
            QCoreApplication::processEvents();
            escribir(raiz + QLatin1String(sufijo) + QStringLiteral(".png"),
                     fotoDe(*ventanaDeFotos));
        }
        if (!estado.recortes().empty()) estado.copiar(estado.recortes().back());
        QTimer::singleShot(1000, this, [] { QApplication::quit(); });
    });
}

} // namespace rebisco
