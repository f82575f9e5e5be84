// El panel del historial sobre un escritorio X11 de verdad (dentro de scripts/con-x11.sh), con
// 100.000 recortes: cuánto tarda en abrirse desde la tecla del atajo, en repintar la lista tras
// una tecla en la búsqueda, cuánto dura cada cuadro al desplazarse, y cuánta memoria ocupa.
// Imprime medianas (y p95 y máximo) como clave=valor; nunca falla por un tiempo.
#include "Cuadros.h"
#include "Estadistica.h"
#include "HistorialPanel.h"
#include "TeclasXTest.h"

#include <panel/CampoBusqueda.h>
#include <panel/ControlPanel.h>
#include <panel/PanelFlotante.h>
#include <rebisco/EstadoApp.h>
#include <rebisco/Proceso.h>
#include <vista/ListaHistorial.h>
#include <vista/VistaHistorial.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QScrollBar>
#include <QThread>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

namespace {

namespace fs = std::filesystem;
using namespace medicion_panel;

constexpr std::uint32_t shiftL = 0xffe1, superL = 0xffeb, escape = 0xff1b, retroceso = 0xff08;

double residenteMb() {
    std::ifstream estado("/proc/self/status");
    std::string linea;
    while (std::getline(estado, linea))
        if (linea.starts_with("VmRSS:")) return std::stod(linea.substr(6)) / 1024.0;
    return 0;
}

// La otra aplicación, delante antes de cada apertura: este mismo programa con --campo.
int campo(int argc, char** argv) {
    QApplication app(argc, argv);
    QLineEdit linea;
    linea.setWindowTitle(QStringLiteral("campo"));
    linea.resize(400, 40);
    linea.show();
    linea.activateWindow();
    return app.exec();
}

struct CarpetaTemporal {
    fs::path ruta;
    CarpetaTemporal() {
        std::string plantilla = (fs::temp_directory_path() / "rebisco-bench-panel-XXXXXX").string();
        if (!::mkdtemp(plantilla.data())) throw std::runtime_error("mkdtemp");
        ruta = plantilla;
    }
    ~CarpetaTemporal() {
        std::error_code ec;
        fs::remove_all(ruta, ec);
    }
};

class Medicion {
public:
    Medicion(rebisco::EstadoApp& estado, rebisco::ControlPanel& control, std::int64_t pidCampo)
        : estado(estado)
        , control(control)
        , pidCampo(pidCampo)
        , cuadros(reloj, [](const QWidget* w) {
            return qobject_cast<const rebisco::PanelFlotante*>(w) != nullptr;
        }) {
        reloj.start();
    }

    double ahora() const { return static_cast<double>(reloj.nsecsElapsed()) / 1e6; }

    // Procesa eventos hasta que se cumpla, sin dormir (cada evento cuenta); false al plazo.
    bool hasta(const std::function<bool()>& condicion, double plazoMs = 5000) {
        const double fin = ahora() + plazoMs;
        while (!condicion()) {
            if (ahora() > fin) return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents);
        }
        return true;
    }

    bool campoDelante() {
        const auto v = estado.plataforma().escritorio().ventanaActiva();
        return v && v->pid == pidCampo;
    }

    // El panel está a la vista, es la ventana activa con el foco del servidor y el campo de
    // búsqueda tiene el teclado.
    bool panelConTeclado() {
        auto* panel = control.panel();
        if (!panel || !panel->isVisible() || !panel->isActiveWindow()) return false;
        auto* vista = panel->findChild<rebisco::VistaHistorial*>();
        if (!vista || QApplication::focusWidget() != &vista->campo()) return false;
        return teclas.contiene(static_cast<xcb_window_t>(panel->winId()), teclas.foco());
    }

    // Una apertura por el atajo: ms hasta el panel con el teclado y el primer cuadro volcado.
    struct Apertura {
        double total = -1, cuadro = -1, teclado = -1;
    };
    Apertura abrir() {
        Apertura a;
        if (!hasta([&] { return campoDelante(); })) return a;
        // Una pausa como la de una persona entre cerrar y volver a abrir.
        hasta([] { return false; }, pausaMs);
        const auto antes = cuadros.cuantos();
        const double t0 = ahora();
        teclas.pulsar({shiftL, superL, 'v'});
        const bool ok = hasta([&] {
            if (a.teclado < 0 && panelConTeclado()) a.teclado = ahora() - t0;
            if (a.cuadro < 0 && control.visible() && cuadros.cuantos() > antes &&
                cuadros.ultimo().pintoAlgo && cuadros.ultimo().inicio >= t0)
                a.cuadro = cuadros.ultimo().fin - t0;
            return a.teclado >= 0 && a.cuadro >= 0;
        });
        if (ok)
            a.total = std::max(a.teclado, a.cuadro);
        else
            diagnostico(a);
        if (!vigilando && control.panel()) {
            auto* vista = control.panel()->findChild<rebisco::VistaHistorial*>();
            if (vista) cuadros.vigilarZona(vista->lista().viewport());
            vigilando = true;
        }
        return a;
    }

    void diagnostico(const Apertura& a) {
        auto* panel = control.panel();
        const auto activa = estado.plataforma().escritorio().ventanaActiva();
        auto* foco = QApplication::focusWidget();
        std::fprintf(stderr,
                     "bench_panel: visible=%d teclado=%.1f cuadro=%.1f activa=%d foco=%s "
                     "foco_x=%#x panel=%#llx activa_ewmh=%#llx\n",
                     control.visible(), a.teclado, a.cuadro, panel && panel->isActiveWindow(),
                     foco ? foco->metaObject()->className() : "-", teclas.foco(),
                     panel ? static_cast<unsigned long long>(panel->winId()) : 0ULL,
                     activa ? static_cast<unsigned long long>(activa->id) : 0ULL);
    }

    bool cerrar() {
        teclas.pulsar({escape});
        return hasta([&] { return !control.visible() && campoDelante(); });
    }

    // Una tecla en la búsqueda: ms hasta el cuadro que repinta la lista con el resultado.
    double teclear(std::uint32_t keysym, const QString& esperada) {
        const auto antes = cuadros.cuantos();
        int cambios = 0;
        double busqueda = -1, lista = -1;
        const auto conexion = QObject::connect(&estado, &rebisco::EstadoApp::cambioRecortes, [&] {
            ++cambios;
            lista = ahora();
            if (std::getenv("REBISCO_BENCH_TRAZA")) std::fprintf(stderr, "lista %.2f\n", lista);
        });
        const auto otra = QObject::connect(&estado, &rebisco::EstadoApp::cambioBusqueda,
                                           [&] { busqueda = ahora(); });
        const double t0 = ahora();
        if (std::getenv("REBISCO_BENCH_TRAZA")) std::fprintf(stderr, "tecla %.2f\n", t0);
        teclas.pulsar({keysym});
        double fin = -1;
        hasta([&] {
            if (estado.busqueda() != esperada) return false;
            auto* vista = control.panel()->findChild<rebisco::VistaHistorial*>();
            // Si la lista no cambió, basta con el cuadro que pinta el campo.
            const bool sinLista = !vista->lista().isVisible() || cambios == 0;
            if (cuadros.cuantos() > antes && cuadros.ultimo().pintoAlgo &&
                (cuadros.ultimo().pintoLaZona || sinLista) && cuadros.ultimo().inicio >= t0)
                fin = cuadros.ultimo().fin - t0;
            return fin >= 0;
        });
        QObject::disconnect(conexion);
        QObject::disconnect(otra);
        if (fin >= 0 && busqueda >= 0) {
            hastaBusqueda.push_back(busqueda - t0);
            if (lista >= 0) hastaLista.push_back(lista - busqueda);
            cuadroTecla.push_back(cuadros.ultimo().fin - cuadros.ultimo().inicio);
        }
        return fin;
    }

    // Un paso de la rueda sobre la lista: ms hasta el cuadro que la repinta desplazada, y
    // cuánto tardó ese cuadro en pintarse y volcarse.
    struct Paso {
        double total = -1, cuadro = -1;
        bool movio = false;
    };
    Paso bajar(rebisco::ListaHistorial& lista) {
        Paso p;
        const int antes = lista.verticalScrollBar()->value();
        const auto cuadrosAntes = cuadros.cuantos();
        const double t0 = ahora();
        teclas.rueda(5);
        hasta(
            [&] {
                if (lista.verticalScrollBar()->value() == antes) return false;
                if (cuadros.cuantos() <= cuadrosAntes || !cuadros.ultimo().pintoLaZona)
                    return false;
                p.total = cuadros.ultimo().fin - t0;
                p.cuadro = cuadros.ultimo().fin - cuadros.ultimo().inicio;
                return true;
            },
            2000);
        p.movio = lista.verticalScrollBar()->value() != antes;
        return p;
    }

    TeclasXTest teclas;
    double pausaMs = 300;
    // El reparto de cada tecla: hasta que el estado cambia la búsqueda, lo que tarda en
    // tener la lista nueva (la consulta y el modelo), y el cuadro que la pinta.
    std::vector<double> hastaBusqueda, hastaLista, cuadroTecla;

private:
    rebisco::EstadoApp& estado;
    rebisco::ControlPanel& control;
    std::int64_t pidCampo;
    QElapsedTimer reloj;
    Cuadros cuadros;
    bool vigilando = false;
};

int medir(int argc, char** argv) {
    const char* aislado = std::getenv("REBISCO_X11_AISLADO");
    if (!aislado || !*aislado || !std::getenv("DISPLAY")) {
        std::fputs("bench_panel: solo dentro de scripts/con-x11.sh\n", stderr);
        return 77;
    }
    const int aperturas = argc > 1 ? std::atoi(argv[1]) : 360;
    CarpetaTemporal carpeta;
    const fs::path datos = carpeta.ruta / "datos", xdg = carpeta.ruta / "xdg";
    fs::create_directories(datos);
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString(xdg.string()));
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString((carpeta.ruta / "config").string()));
    qunsetenv("XDG_CURRENT_DESKTOP");
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);

    // En otro proceso: lo que cuesta construirlo no debe quedar en la memoria que se mide.
    std::fputs("bench_panel: preparando el historial\n", stderr);
    QProcess preparacion;
    preparacion.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    preparacion.start(QCoreApplication::applicationFilePath(),
                      {QStringLiteral("--preparar"), QString::fromStdString(datos.string()),
                       QString::fromStdString(xdg.string())});
    if (!preparacion.waitForFinished(-1) || preparacion.exitCode() != 0) {
        std::fputs("bench_panel: no se pudo preparar el historial\n", stderr);
        return 1;
    }

    auto plataforma = rebisco::Proceso::crearPlataforma();
    rebisco::PreferenciasEnMemoria preferencias;
    preferencias.registrar(rebisco::Preferencias::registrados());
    preferencias.set(rebisco::Preferencias::limitarCantidad, false);
    preferencias.set(rebisco::Preferencias::limitarEspacio, false);
    auto estado = std::make_unique<rebisco::EstadoApp>(rebisco::EstadoApp::Dependencias{
        .plataforma = *plataforma,
        .portapapeles = plataforma->general(),
        .preferencias = preferencias,
        .entorno = rebisco::Entorno{.modo = rebisco::ModoEjecucion::ensayo, .carpetaDatos = datos},
    });
    estado->iniciar();
    if (estado->problemaAtajo()) {
        std::fputs("bench_panel: el atajo global no se registró\n", stderr);
        return 1;
    }
    auto control = std::make_unique<rebisco::ControlPanel>(*estado);
    control->conectar();

    QProcess otra;
    otra.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--campo")});
    if (!otra.waitForStarted(5000)) return 1;

    int resultado = 0;
    {
        Medicion m(*estado, *control, otra.processId());
        if (!m.teclas.valida() || !m.hasta([&] { return m.campoDelante(); }, 10000)) {
            std::fputs("bench_panel: la otra aplicación no llegó a estar delante\n", stderr);
            return 1;
        }
        imprimir("compositor", plataforma->escritorio().hayCompositor() ? 1 : 0);
        imprimir("recortes", static_cast<double>(estado->total()));
        imprimir("filas", static_cast<double>(estado->recortes().size()));
        int imagenes = 0, fijados = 0;
        for (const auto& r : estado->recortes()) {
            imagenes += r.clase == nucleo::ClaseRecorte::imagen && r.miniatura;
            fijados += r.fijado;
        }
        imprimir("filas_imagen", imagenes);
        imprimir("filas_fijadas", fijados);

        // Aperturas y cierres: la primera crea el panel y se cuenta aparte.
        std::vector<double> total, cuadro, teclado;
        double residenteTrasPrimera = 0, residenteAlFinal = 0, residenteMostrado = 0;
        for (int i = 0; i <= aperturas; ++i) {
            const auto a = m.abrir();
            if (a.total < 0) {
                std::fprintf(stderr, "bench_panel: la apertura %d no llegó\n", i);
                resultado = 1;
                break;
            }
            if (i == 0) {
                imprimir("apertura_primera_ms", a.total);
            } else {
                total.push_back(a.total);
                cuadro.push_back(a.cuadro);
                teclado.push_back(a.teclado);
            }
            if (i == 1) residenteMostrado = residenteMb();
            if (!m.cerrar()) {
                std::fprintf(stderr, "bench_panel: el cierre %d no llegó\n", i);
                resultado = 1;
                break;
            }
            if (i == 0) residenteTrasPrimera = residenteMb();
            if (i == aperturas) residenteAlFinal = residenteMb();
        }
        imprimir("apertura", total);
        imprimir("apertura_primer_cuadro", cuadro);
        imprimir("apertura_teclado", teclado);
        imprimir("residente_mostrado_mb", residenteMostrado);
        imprimir("residente_tras_primera_mb", residenteTrasPrimera);
        imprimir("residente_crecimiento_mb", residenteAlFinal - residenteTrasPrimera);
        imprimir("aperturas", aperturas);

        // Teclas en la búsqueda: escribir una palabra letra a letra y borrarla.
        if (resultado == 0 && m.abrir().total >= 0) {
            std::vector<double> tecla;
            const QString palabra = QStringLiteral("reunion");
            for (int vuelta = 0; vuelta < 5; ++vuelta) {
                for (qsizetype i = 0; i < palabra.size(); ++i) {
                    const double t = m.teclear(palabra[i].unicode(), palabra.left(i + 1));
                    if (t >= 0) tecla.push_back(t);
                }
                for (qsizetype i = palabra.size() - 1; i >= 0; --i) {
                    const double t = m.teclear(retroceso, palabra.left(i));
                    if (t >= 0) tecla.push_back(t);
                }
            }
            imprimir("tecla_busqueda", tecla);
            imprimir("tecla_busqueda_entrega", m.hastaBusqueda);
            imprimir("tecla_busqueda_consulta_y_modelo", m.hastaLista);
            imprimir("tecla_busqueda_cuadro", m.cuadroTecla);
            imprimir("tecla_busqueda_perdidas", 70.0 - static_cast<double>(tecla.size()));

            // Desplazamiento con la rueda de arriba abajo de las 300 filas.
            auto& lista = control->panel()->findChild<rebisco::VistaHistorial*>()->lista();
            const QPoint centro = lista.viewport()->mapToGlobal(lista.viewport()->rect().center());
            m.teclas.moverA(centro.x(), centro.y());
            m.hasta([] { return false; }, 100);
            std::vector<double> pasos, cuadros;
            for (int i = 0; i < 2000; ++i) {
                const auto p = m.bajar(lista);
                if (!p.movio) break;
                if (p.total >= 0) {
                    pasos.push_back(p.total);
                    cuadros.push_back(p.cuadro);
                }
            }
            imprimir("desplazamiento_paso", pasos);
            imprimir("desplazamiento_cuadro", cuadros);
            imprimir("desplazamiento_al_final",
                     lista.verticalScrollBar()->value() == lista.verticalScrollBar()->maximum());
            imprimir("residente_tras_desplazar_mb", residenteMb());
            m.cerrar();
        }
    }
    control.reset();
    estado->cerrar();
    estado.reset();
    plataforma.reset();
    otra.kill();
    otra.waitForFinished(3000);
    return resultado;
}

} // namespace

// El historial en su carpeta y las entradas de escritorio en la suya.
int preparar(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    prepararHistorial(argv[2], argv[3], 100000);
    return 0;
}

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "--campo") return campo(argc, argv);
    try {
        if (argc > 3 && std::string(argv[1]) == "--preparar") return preparar(argc, argv);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_panel: %s\n", e.what());
        return 1;
    }
    try {
        return medir(argc, argv);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_panel: %s\n", e.what());
        return 1;
    }
}
