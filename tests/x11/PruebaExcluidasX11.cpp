// Las apps excluidas de verdad: dos editores reales (Mousepad, de GTK, y FeatherPad, de Qt)
// en el servidor X de las pruebas; se excluye uno desde el selector de la pestaña de
// privacidad, y lo que se copia en él no se lee ni se guarda, mientras lo del otro sí.
#include "EntornoX11.h"

#include <ajustes/AjustesPrivacidad.h>
#include <ajustes/ElegirApps.h>
#include <rebisco/EstadoApp.h>

#include <QListWidget>
#include <QPushButton>
#include <QStandardPaths>

#include <atomic>
#include <fstream>

using namespace pruebas_x11;

namespace {

// El portapapeles del escritorio, contando cada vez que alguien pide sus datos (la lista de
// tipos no cuenta: mirarla es lo único permitido con lo de una app excluida).
class PortapapelesContado : public plataforma::Portapapeles {
public:
    explicit PortapapelesContado(plataforma::Portapapeles& real)
        : real(real) {}
    // Las lecturas se hacen en el hilo lector.
    std::atomic<int> lecturas = 0;

    std::int64_t contadorCambios() override { return real.contadorCambios(); }
    std::optional<std::vector<std::string>> tipos() override { return real.tipos(); }
    std::optional<std::vector<std::filesystem::path>> archivos() override {
        ++lecturas;
        return real.archivos();
    }
    std::optional<std::string> texto() override {
        ++lecturas;
        return real.texto();
    }
    std::optional<plataforma::Datos> datos(std::string_view tipo) override {
        ++lecturas;
        return real.datos(tipo);
    }
    int comportamientoAcceso() override { return real.comportamientoAcceso(); }
    void vaciar() override { real.vaciar(); }
    bool escribirTexto(std::string_view t) override { return real.escribirTexto(t); }
    bool escribirArchivos(const std::vector<std::filesystem::path>& r) override {
        return real.escribirArchivos(r);
    }
    bool escribirPiezas(const std::vector<plataforma::Pieza>& p) override {
        return real.escribirPiezas(p);
    }
    bool aceptaTipo(std::string_view tipo) override { return real.aceptaTipo(tipo); }
    plataforma::Contenido contenidoConsultado() override { return real.contenidoConsultado(); }
    void ponerRelevo(plataforma::Relevo r) override { real.ponerRelevo(std::move(r)); }
    bool escribirEntregado(plataforma::Contenido c) override { return real.escribirEntregado(c); }
    void olvidarEntregado() override { real.olvidarEntregado(); }
    bool avisaCambios() override { return real.avisaCambios(); }
    void alCambiar(std::function<void()> aviso) override { real.alCambiar(std::move(aviso)); }

private:
    plataforma::Portapapeles& real;
};

// Un editor de verdad con un archivo abierto, hasta que se destruye.
class Editor {
public:
    Editor(const QString& programa, const std::filesystem::path& archivo) {
        proceso.setStandardOutputFile(QProcess::nullDevice());
        proceso.setStandardErrorFile(QProcess::nullDevice());
        proceso.start(programa, {QString::fromStdString(archivo.string())});
        proceso.waitForStarted(5000);
    }
    ~Editor() {
        proceso.terminate();
        if (!proceso.waitForFinished(3000)) {
            proceso.kill();
            proceso.waitForFinished(3000);
        }
    }
    std::int64_t pid() const { return proceso.processId(); }

private:
    QProcess proceso;
};

struct Aplicacion {
    QString programa;
    QString nombre; // el de su entrada de escritorio, como lo muestra el selector
    std::string id; // el identificador de esa entrada
};

const Aplicacion mousepad{"mousepad", "Mousepad", "org.xfce.mousepad"};
const Aplicacion featherpad{"featherpad", "FeatherPad", "featherpad"};

struct CasoExcluida {
    const char* nombre;
    Aplicacion excluida;
    Aplicacion otra;
    // Sin texto: se excluye desde el selector. Con él, ya estaba guardado así.
    QString guardada;
};

class Excluidas : public ConPantallaYParametro<CasoExcluida> {
protected:
    void SetUp() override {
        ConPantalla::SetUp();
        if (IsSkipped()) return;
        for (const auto* programa : {"mousepad", "featherpad"})
            ASSERT_FALSE(QStandardPaths::findExecutable(programa).isEmpty())
                << programa << " no está instalado: ejecuta scripts/preparar.sh";
        contado = std::make_unique<PortapapelesContado>(plataforma->general());
        preferencias.registrar(rebisco::Preferencias::registrados());
        // Un ensayo mira la aplicación de delante, como el programa de verdad.
        estado = std::make_unique<rebisco::EstadoApp>(rebisco::EstadoApp::Dependencias{
            .plataforma = *plataforma,
            .portapapeles = *contado,
            .preferencias = preferencias,
            .entorno = rebisco::Entorno{.modo = rebisco::ModoEjecucion::ensayo,
                                        .carpetaDatos = carpeta.ruta()},
        });
        estado->iniciar();
    }
    void TearDown() override {
        if (estado) estado->cerrar();
    }

    // Abre el editor, espera a tener su ventana delante y copia todo su texto.
    bool copiarEn(const Aplicacion& app, const std::string& texto, Editor*& editor,
                  std::vector<std::unique_ptr<Editor>>& abiertos) {
        const auto archivo = carpeta.ruta() / (app.programa.toStdString() + ".txt");
        std::ofstream(archivo) << texto;
        abiertos.push_back(std::make_unique<Editor>(app.programa, archivo));
        editor = abiertos.back().get();
        const bool delante = procesarHasta(
            [&] {
                const auto frente = plataforma->escritorio().appEnPrimerPlano();
                return frente && frente->pid == editor->pid();
            },
            20s);
        EXPECT_TRUE(delante) << app.programa.toStdString() << " no llegó a estar delante";
        if (!delante) return false;
        EXPECT_EQ(plataforma->escritorio().appEnPrimerPlano()->id, app.id);
        // Que el editor haya terminado de cargar el archivo antes de copiar.
        procesarHasta([] { return false; }, 700ms);
        const auto antes = duenoActual();
        if (ejecutar("xdotool", {"key", "--clearmodifiers", "ctrl+a", "ctrl+c"}) != 0) return false;
        return esperarDueno([&](xcb_window_t d) { return d != antes && d != XCB_NONE; });
    }

    CarpetaTemporal carpeta;
    std::unique_ptr<PortapapelesContado> contado;
    rebisco::PreferenciasEnMemoria preferencias;
    std::unique_ptr<rebisco::EstadoApp> estado;
};

TEST_P(Excluidas, LoCopiadoEnLaExcluidaNoSeLeeYLoDeLaOtraSi) {
    const auto& caso = GetParam();
    if (caso.guardada.isEmpty()) {
        // Lo que haría quien usa la pestaña: Añadir app…, elegir la app y Excluir.
        rebisco::AjustesPrivacidad privacidad(*estado);
        privacidad.anadir();
        auto* selector = privacidad.selector();
        ASSERT_NE(selector, nullptr);
        const auto filas = selector->lista().findItems(caso.excluida.nombre, Qt::MatchExactly);
        ASSERT_EQ(filas.size(), 1);
        filas.front()->setSelected(true);
        selector->excluir().click();
    } else {
        preferencias.set(rebisco::Preferencias::appsExcluidas, caso.guardada);
    }
    if (caso.guardada.isEmpty()) {
        ASSERT_EQ(preferencias.string(rebisco::Preferencias::appsExcluidas),
                  QString::fromStdString(caso.excluida.id));
    }

    std::vector<std::unique_ptr<Editor>> abiertos;
    Editor* editor = nullptr;
    ASSERT_TRUE(copiarEn(caso.excluida, "secreto de la excluida", editor, abiertos));
    // Varios tics del vigilante: vio el cambio, miró los tipos y nada más.
    procesarHasta([] { return false; }, 1500ms);
    EXPECT_EQ(estado->total(), 0);
    EXPECT_EQ(contado->lecturas, 0);

    ASSERT_TRUE(copiarEn(caso.otra, "texto de la otra", editor, abiertos));
    ASSERT_TRUE(procesarHasta([&] { return estado->total() == 1; }, 5s));
    EXPECT_EQ(estado->recortes().front().vista, "texto de la otra");
    EXPECT_EQ(estado->recortes().front().appId, caso.otra.id);
    EXPECT_GT(contado->lecturas, 0);
}

INSTANTIATE_TEST_SUITE_P(
    EditoresReales, Excluidas,
    testing::Values(CasoExcluida{"mousepadDesdeElSelector", mousepad, featherpad, {}},
                    CasoExcluida{"featherpadDesdeElSelector", featherpad, mousepad, {}},
                    // Antes se guardaba la clase de la ventana: sigue valiendo.
                    CasoExcluida{"mousepadPorSuClaseAntigua", mousepad, featherpad, "Mousepad"}),
    [](const auto& info) { return std::string(info.param.nombre); });

} // namespace
