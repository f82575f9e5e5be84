#include "AyudasApp.h"

#include <nucleo/Captura.h>

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>
#include <regex>

namespace TipoDato = nucleo::TipoDato;
namespace P = rebisco::Preferencias;
using rebisco::AccesoPortapapeles;
using namespace pruebas;
using namespace std::chrono_literals;

namespace {

TEST(Arranque, UnaBaseDanadaSeApartaYSeEmpiezaOtra) {
    Banco banco;
    std::ofstream(banco.base()) << "esto no es una base de datos, es un texto cualquiera";
    auto& estado = banco.iniciar();

    ASSERT_NE(estado.almacenAbierto(), nullptr);
    ASSERT_TRUE(estado.errorAlmacen().has_value());
    std::smatch nombre;
    auto texto = estado.errorAlmacen()->toStdString();
    ASSERT_TRUE(std::regex_search(texto, nombre,
                                  std::regex("«(historial-anterior-\\d{8}-\\d{6}\\.sqlite)»")))
        << texto;
    EXPECT_TRUE(texto.starts_with("El historial estaba dañado y se empezó uno nuevo."));
    auto aparte = banco.carpeta / nombre[1].str();
    std::ifstream viejo(aparte);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(viejo), {}),
              "esto no es una base de datos, es un texto cualquiera");
    EXPECT_FALSE(std::filesystem::exists(aparte.string() + "-wal"));
    EXPECT_TRUE(estado.recortes().empty());

    banco.copiar("después del daño");
    EXPECT_EQ(banco.vistas(), std::vector<std::string>{"después del daño"});
}

// Otro programa con el historial cerrado en exclusiva al arrancar: se ve el error y se sigue
// intentando hasta que queda libre; entonces se abre con lo que tenía y se captura.
TEST(Arranque, UnHistorialOcupadoSeAbreCuandoQuedaLibre) {
    Banco banco;
    nucleo::Almacen(banco.base()).guardar(recorteDeTexto("de antes"), banco.ahora);
    auto otro = std::make_unique<BaseCruda>(banco.base());
    otro->ejecutar("PRAGMA locking_mode = EXCLUSIVE; BEGIN EXCLUSIVE;");
    auto tiempos = Banco::sinVigilancia();
    tiempos.reintentoAlmacen = 20ms;
    auto& estado = banco.iniciar(banco.entornoDePrueba(), tiempos);

    EXPECT_EQ(estado.almacenAbierto(), nullptr);
    ASSERT_TRUE(estado.errorAlmacen().has_value());
    EXPECT_TRUE(estado.errorAlmacen()->startsWith("No se pudo abrir el historial: SQLite 5: "))
        << estado.errorAlmacen()->toStdString();
    esperar(600ms);
    EXPECT_EQ(estado.almacenAbierto(), nullptr);
    EXPECT_TRUE(estado.errorAlmacen().has_value());

    otro.reset();
    ASSERT_TRUE(esperarHasta([&] { return estado.almacenAbierto() != nullptr; }));
    EXPECT_FALSE(estado.errorAlmacen().has_value());
    EXPECT_EQ(banco.vistas(), std::vector<std::string>{"de antes"});
    banco.copiar("después");
    EXPECT_EQ(banco.vistas(), (std::vector<std::string>{"después", "de antes"}));
}

// Un historial de una versión más nueva no se abre, ni se aparta, ni se toca.
TEST(Arranque, UnHistorialMasNuevoNoSeToca) {
    Banco banco;
    BaseCruda(banco.base()).ejecutar("PRAGMA user_version = 2; CREATE TABLE futura(x);");
    std::ifstream antes(banco.base(), std::ios::binary);
    const std::string contenido(std::istreambuf_iterator<char>(antes), {});
    auto& estado = banco.iniciar();

    EXPECT_EQ(estado.almacenAbierto(), nullptr);
    ASSERT_TRUE(estado.errorAlmacen().has_value());
    EXPECT_TRUE(estado.errorAlmacen()->startsWith("No se pudo abrir el historial: "));
    banco.copiar("no se guarda");
    std::ifstream despues(banco.base(), std::ios::binary);
    EXPECT_TRUE(std::string(std::istreambuf_iterator<char>(despues), {}) == contenido)
        << "el archivo cambió";
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(banco.carpeta.ruta()), {}), 1);
}

// Un daño que aparece con el historial ya abierto se trata como el de la apertura: el archivo
// se aparta sin volver a escribir en él, empieza uno nuevo y se dice en errorAlmacen.
TEST(Uso, UnHistorialDanadoEnUsoSeApartaYSeEmpiezaOtro) {
    Banco banco;
    {
        nucleo::Almacen almacen(banco.base());
        for (int i = 0; i < 200; ++i)
            almacen.guardar(recorteDeTexto("viejo " + std::to_string(i) + std::string(200, 'x')),
                            banco.ahora + std::chrono::seconds(i));
    }
    danarHojaDe(banco.base(), "recortes");
    std::ifstream danado(banco.base(), std::ios::binary);
    const std::string contenido(std::istreambuf_iterator<char>(danado), {});
    banco.ahora += std::chrono::hours(1);
    auto& estado = banco.iniciar();

    ASSERT_NE(estado.almacenAbierto(), nullptr);
    ASSERT_TRUE(estado.errorAlmacen().has_value());
    auto texto = estado.errorAlmacen()->toStdString();
    std::smatch nombre;
    ASSERT_TRUE(std::regex_search(texto, nombre,
                                  std::regex("«(historial-anterior-\\d{8}-\\d{6}\\.sqlite)»")))
        << texto;
    EXPECT_TRUE(texto.starts_with("El historial estaba dañado y se empezó uno nuevo."));
    EXPECT_FALSE(estado.aviso().has_value()) << estado.aviso()->toStdString();
    std::ifstream aparte(banco.carpeta / nombre[1].str(), std::ios::binary);
    EXPECT_TRUE(std::string(std::istreambuf_iterator<char>(aparte), {}) == contenido)
        << "el archivo apartado no es el dañado tal cual";

    banco.copiar("nuevo");
    EXPECT_EQ(banco.vistas(), std::vector<std::string>{"nuevo"});
    EXPECT_FALSE(estado.aviso().has_value());
}

TEST(Arranque, CarpetaSinPermisoDejaElHistorialCerrado) {
    Banco banco;
    auto bloqueo = banco.carpeta / "un-archivo";
    std::ofstream(bloqueo) << "x";
    auto entorno =
        rebisco::Entorno{.modo = rebisco::ModoEjecucion::prueba, .carpetaDatos = bloqueo / "datos"};
    auto& estado = banco.iniciar(entorno);

    EXPECT_EQ(estado.almacenAbierto(), nullptr);
    ASSERT_TRUE(estado.errorAlmacen().has_value());
    EXPECT_TRUE(estado.errorAlmacen()->startsWith("No se pudo abrir el historial: "));
    banco.copiar("no se guarda");
    EXPECT_TRUE(estado.recortes().empty());
    EXPECT_EQ(estado.total(), 0);
}

TEST(Arranque, LoQueYaEstabaNoSeCapturaYLaPausaSeRecuerda) {
    Banco banco;
    copiarTexto(banco.portapapeles(), "copiado antes de arrancar");
    banco.preferencias.set(P::pausado, true);
    auto& estado = banco.iniciar(banco.entornoDePrueba(), {.vigilancia = 20ms});
    EXPECT_TRUE(estado.pausado());
    esperar(100ms);
    EXPECT_TRUE(estado.recortes().empty());

    estado.ponerPausa(false);
    EXPECT_FALSE(banco.preferencias.boolean(P::pausado));
    copiarTexto(banco.portapapeles(), "ahora sí");
    EXPECT_TRUE(esperarHasta([&] { return estado.total() == 1; }));
    EXPECT_EQ(banco.vistas(), std::vector<std::string>{"ahora sí"});
}

TEST(Arranque, ActividadSegunElEntorno) {
    for (bool sinActividad : {false, true}) {
        Banco banco;
        auto entorno = banco.entornoDePrueba();
        entorno.sinActividad = sinActividad;
        auto& estado = banco.iniciar(entorno);
        auto esperadas = sinActividad ? std::vector<std::string>{}
                                      : std::vector<std::string>{"Vigilar el portapapeles"};
        EXPECT_EQ(banco.plataforma.escritorio().actividades(), esperadas);
        estado.cerrar();
        EXPECT_TRUE(banco.plataforma.escritorio().actividades().empty());
    }
}

TEST(Arranque, LaRetencionSeAplicaAlArrancar) {
    Banco banco;
    {
        nucleo::Almacen almacen(banco.base());
        for (int i = 0; i < 5; ++i)
            almacen.guardar(recorteDeTexto("viejo " + std::to_string(i)), banco.ahora);
    }
    banco.preferencias.set(P::maximoRecortes, 2);
    auto& estado = banco.iniciar();
    EXPECT_EQ(estado.total(), 2);
    EXPECT_EQ(banco.vistas(), (std::vector<std::string>{"viejo 4", "viejo 3"}));
    EXPECT_EQ(estado.seleccion(), estado.recortes().front().id);
}

TEST(Cierre, DespuesDeCerrarNadaTieneEfecto) {
    Banco banco;
    auto& estado = banco.iniciar();
    banco.copiar("antes");
    auto recorte = estado.recortes().front();
    estado.cerrar();

    banco.copiar("después");
    estado.limpiar();
    estado.alternarFijado(recorte);
    estado.eliminar(recorte);
    estado.copiar(recorte);
    estado.borrarHistorial(false);
    EXPECT_FALSE(estado.aviso().has_value());

    nucleo::Almacen almacen(banco.base());
    auto quedan = almacen.listar("", -1);
    ASSERT_EQ(quedan.size(), 1u);
    EXPECT_EQ(quedan.front().vista, "antes");
    EXPECT_FALSE(quedan.front().fijado);
}

TEST(Captura, PausaYReanudacion) {
    Banco banco;
    auto& estado = banco.iniciar(banco.entornoDePrueba(), {.vigilancia = 20ms});
    estado.ponerPausa(true);
    copiarTexto(banco.portapapeles(), "en pausa");
    esperar(100ms);
    estado.ponerPausa(false);
    esperar(100ms);
    EXPECT_EQ(estado.total(), 0);
    copiarTexto(banco.portapapeles(), "en pausa");
    EXPECT_TRUE(esperarHasta([&] { return estado.total() == 1; }));
}

TEST(Captura, LoQueNoSeDebeLeerNoSeLee) {
    struct Caso {
        const char* nombre;
        std::vector<std::string> anunciados;
        std::optional<std::string> appDelante;
        bool ignorarConfidencial;
        bool seGuarda;
    };
    const std::vector<Caso> casos{
        {"app excluida", {}, "org.keepassxc.KeePassXC", true, false},
        {"otra app", {}, "org.gnome.TextEditor", true, true},
        {"confidencial", {"org.nspasteboard.ConcealedType"}, std::nullopt, true, false},
        {"confidencial permitido", {"org.nspasteboard.ConcealedType"}, std::nullopt, false, true},
        {"remoto", {std::string(nucleo::Captura::marcaRemota)}, std::nullopt, true, false},
    };
    for (const auto& caso : casos) {
        SCOPED_TRACE(caso.nombre);
        Banco banco;
        banco.preferencias.set(P::appsExcluidas, QString("\n org.keepassxc.KeePassXC \n"));
        banco.preferencias.set(P::ignorarConfidencial, caso.ignorarConfidencial);
        if (caso.appDelante)
            banco.plataforma.escritorio().ponerAppEnFrente(
                plataforma::AppEnFrente{.id = caso.appDelante, .nombre = "Una App", .pid = 4242});
        auto& estado = banco.iniciar(banco.entornoDeEnsayo());

        copiarTexto(banco.portapapeles(), "secreto");
        banco.portapapeles().anunciar(caso.anunciados);
        banco.portapapeles().olvidarLecturas();
        estado.alCambiarPortapapeles();

        EXPECT_EQ(estado.total(), caso.seGuarda ? 1 : 0);
        EXPECT_EQ(banco.portapapeles().lecturas().empty(), !caso.seGuarda);
        if (caso.seGuarda && caso.appDelante) {
            EXPECT_EQ(estado.recortes().front().appId, caso.appDelante);
            EXPECT_EQ(estado.recortes().front().appNombre, "Una App");
        }
    }
}

TEST(Captura, EnUnaEjecucionDePruebaNoHayAppDeOrigen) {
    Banco banco;
    banco.plataforma.escritorio().ponerAppEnFrente(
        plataforma::AppEnFrente{.id = "org.x", .nombre = "X"});
    auto& estado = banco.iniciar();
    banco.copiar("sin origen");
    ASSERT_EQ(estado.total(), 1);
    EXPECT_FALSE(estado.recortes().front().appId.has_value());
    EXPECT_FALSE(estado.recortes().front().appNombre.has_value());
}

TEST(Captura, UnaCopiaRepetidaSubeSinDuplicarse) {
    Banco banco;
    auto& estado = banco.iniciar();
    banco.copiar("uno");
    banco.copiar("dos");
    auto idUno = estado.recortes().back().id;
    banco.copiar("uno");
    EXPECT_EQ(banco.vistas(), (std::vector<std::string>{"uno", "dos"}));
    EXPECT_EQ(estado.recortes().front().id, idUno);
    EXPECT_EQ(estado.total(), 2);
}

TEST(Captura, LaRetencionCorreTrasCadaCaptura) {
    Banco banco;
    banco.preferencias.set(P::maximoRecortes, 2);
    auto& estado = banco.iniciar();
    for (auto t : {"a", "b", "c", "d"})
        banco.copiar(t);
    EXPECT_EQ(banco.vistas(), (std::vector<std::string>{"d", "c"}));
    EXPECT_EQ(estado.total(), 2);
}

TEST(Captura, UnFalloAlGuardarAvisaYRecargaIgual) {
    Banco banco;
    auto& estado = banco.iniciar(banco.entornoDePrueba(),
                                 {.vigilancia = std::chrono::hours(1), .vidaDelAviso = 300ms});
    banco.copiar("antes del fallo");
    {
        BaseCruda cruda(banco.base());
        cruda.ejecutar("CREATE TRIGGER lleno BEFORE UPDATE ON recortes BEGIN SELECT RAISE(ABORT, "
                       "'disco lleno'); END");
    }
    banco.copiar("antes del fallo");
    ASSERT_TRUE(estado.aviso().has_value());
    EXPECT_EQ(estado.aviso()->toStdString(),
              "No se pudo guardar el recorte: SQLite 19: disco lleno");
    EXPECT_EQ(estado.total(), 1);
    EXPECT_TRUE(esperarHasta([&] { return !estado.aviso().has_value(); }, 2s));
}

TEST(Avisos, UnoNuevoReemplazaAlAnteriorYDuraSuTiempoEntero) {
    Banco banco;
    auto& estado = banco.iniciar(banco.entornoDePrueba(),
                                 {.vigilancia = std::chrono::hours(1), .vidaDelAviso = 400ms});
    banco.copiar("algo");
    auto recorte = estado.recortes().front();
    QSignalSpy cambios(&estado, &rebisco::EstadoApp::cambioAviso);

    estado.copiar(recorte);
    EXPECT_EQ(estado.aviso(), QString("Copiado al portapapeles"));
    esperar(250ms);
    banco.portapapeles().rechazarTipo(std::string(TipoDato::texto));
    estado.copiar(recorte);
    EXPECT_EQ(estado.aviso(), QString("Ese recorte ya no tiene contenido"));
    esperar(250ms); // 500 ms desde el primero: el segundo sigue
    EXPECT_EQ(estado.aviso(), QString("Ese recorte ya no tiene contenido"));
    EXPECT_TRUE(esperarHasta([&] { return !estado.aviso().has_value(); }, 2s));
    EXPECT_EQ(cambios.count(), 3);

    estado.copiar(recorte);
    estado.quitarAviso();
    EXPECT_FALSE(estado.aviso().has_value());
}

TEST(Permisos, SoloSeLeeConAccesoLibre) {
    Banco banco;
    auto& estado = banco.iniciar();
    QSignalSpy cambios(&estado, &rebisco::EstadoApp::cambioAcceso);
    struct Paso {
        int comportamiento;
        AccesoPortapapeles acceso;
        bool seGuarda;
    };
    const std::vector<Paso> pasos{
        {1, AccesoPortapapeles::preguntar, false}, {3, AccesoPortapapeles::denegado, false},
        {2, AccesoPortapapeles::permitido, true},  {0, AccesoPortapapeles::sinDecidir, true},
        {9, AccesoPortapapeles::sinDecidir, true},
    };
    int n = 0;
    for (const auto& paso : pasos) {
        banco.portapapeles().ponerAcceso(paso.comportamiento);
        banco.portapapeles().olvidarLecturas();
        banco.copiar("texto " + std::to_string(n++));
        EXPECT_EQ(estado.acceso(), paso.acceso);
        EXPECT_EQ(banco.portapapeles().lecturas().empty(), !paso.seGuarda);
    }
    EXPECT_EQ(estado.total(), 3);
    EXPECT_EQ(cambios.count(), 4);
}

TEST(Permisos, PuedePegarSegunLaConfianzaYElEntorno) {
    for (bool prueba : {false, true}) {
        Banco banco;
        auto& estado = banco.iniciar(prueba ? banco.entornoDePrueba() : banco.entornoDeEnsayo());
        EXPECT_FALSE(estado.puedePegar());
        banco.plataforma.escritorio().ponerConfiable(true);
        EXPECT_FALSE(estado.puedePegar()); // solo cambia en los puntos de refresco
        estado.actualizarPermisos();
        EXPECT_EQ(estado.puedePegar(), !prueba);
    }
}

} // namespace
