#include "AyudasApp.h"

#include <rebisco/Mudanza.h>

#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <fstream>

namespace fs = std::filesystem;
namespace M = rebisco::Mudanza;
namespace P = rebisco::Preferencias;
using pruebas::CarpetaTemporal;

namespace {

void crearHistorial(const fs::path& base, const std::vector<std::string>& textos) {
    nucleo::Almacen almacen(base);
    for (const auto& texto : textos)
        almacen.guardar(pruebas::recorteDeTexto(texto), pruebas::momento());
}

// Los textos del historial, ordenados; nada si no hay archivo.
std::optional<std::vector<std::string>> textosDe(const fs::path& base) {
    if (!fs::exists(base)) return std::nullopt;
    std::vector<std::string> textos;
    for (const auto& recorte : nucleo::Almacen(base).listar("", 1000))
        textos.push_back(recorte.vista);
    std::sort(textos.begin(), textos.end());
    return textos;
}

std::vector<std::string> archivosEn(const fs::path& carpeta) {
    std::vector<std::string> nombres;
    std::error_code fallo;
    for (const auto& entrada : fs::directory_iterator(carpeta, fallo))
        nombres.push_back(entrada.path().filename());
    std::sort(nombres.begin(), nombres.end());
    return nombres;
}

fs::perms permisos(const fs::path& ruta) {
    return fs::status(ruta).permissions() & fs::perms::all;
}

// La carpeta de olvane y la nuestra, que aún no existe, con sus historiales.
struct Carpetas {
    CarpetaTemporal raiz;
    fs::path desde = raiz / "olvane";
    fs::path a = raiz / "datos" / "rebisco";
    fs::path origen() const { return desde / "historial.sqlite"; }
    fs::path destino() const { return a / "historial.sqlite"; }
};

TEST(Mudanza, ClavesQueSeMudan) {
    const std::vector<std::string> claves(M::clavesQueSeMudan.begin(), M::clavesQueSeMudan.end());
    EXPECT_EQ(claves, (std::vector<std::string>{
                          "limitarCantidad", "maximoRecortes", "limitarDias", "maximoDias",
                          "megasMaximos", "limitarEspacio", "megasTotales", "guardarImagenes",
                          "ignorarConfidencial", "appsExcluidas", "pegarAlElegir", "pausado",
                          "atajoCodigo", "atajoModificadores", "yaSeAbrio"}));
}

TEST(Mudanza, TraerElHistorial) {
    enum class Origen { ninguno, carpetaVacia, historial, basura };
    enum class Destino { ninguno, historial, enlaceRoto, restosSueltos };
    struct Caso {
        const char* que;
        Origen origen;
        Destino destino;
        bool historial;
        std::optional<std::vector<std::string>> quedan;
    };
    const std::vector<Caso> casos{
        {"primera vez", Origen::historial, Destino::ninguno, true,
         std::vector<std::string>{"de olvane 1", "de olvane 2"}},
        {"el nuestro ya existe", Origen::historial, Destino::historial, false,
         std::vector<std::string>{"mío"}},
        {"sin olvane", Origen::ninguno, Destino::ninguno, false, std::nullopt},
        {"olvane sin historial", Origen::carpetaVacia, Destino::ninguno, false, std::nullopt},
        {"el de olvane no es SQLite", Origen::basura, Destino::ninguno, false, std::nullopt},
        // Restos de un intento anterior: un diario caliente estropearía la copia siguiente.
        {"restos sueltos y olvane sin SQLite", Origen::basura, Destino::restosSueltos, false,
         std::nullopt},
        {"un enlace roto en el sitio del nuestro", Origen::historial, Destino::enlaceRoto, false,
         std::nullopt},
    };
    for (const auto& caso : casos) {
        SCOPED_TRACE(caso.que);
        Carpetas c;
        if (caso.origen != Origen::ninguno) fs::create_directories(c.desde);
        if (caso.origen == Origen::historial)
            crearHistorial(c.origen(), {"de olvane 1", "de olvane 2"});
        if (caso.origen == Origen::basura) std::ofstream(c.origen()) << std::string(8192, 'x');
        if (caso.destino != Destino::ninguno) fs::create_directories(c.a);
        if (caso.destino == Destino::historial) crearHistorial(c.destino(), {"mío"});
        if (caso.destino == Destino::restosSueltos)
            for (const char* cola : {"-journal", "-wal", "-shm"})
                std::ofstream(c.destino().string() + cola) << "resto";
        if (caso.destino == Destino::enlaceRoto)
            fs::create_symlink(c.raiz / "otro-sitio.sqlite", c.destino());

        rebisco::PreferenciasEnMemoria en;
        const auto traido = M::traer(c.desde, c.a, std::nullopt, en);
        EXPECT_EQ(traido, (M::Traido{.historial = caso.historial, .ajustes = 0}));
        EXPECT_EQ(caso.destino == Destino::enlaceRoto ? std::nullopt : textosDe(c.destino()),
                  caso.quedan);
        if (caso.destino == Destino::enlaceRoto) {
            EXPECT_TRUE(fs::is_symlink(c.destino()));
            EXPECT_FALSE(fs::exists(c.raiz / "otro-sitio.sqlite"));
        }
        if (!caso.quedan) {
            // Nada a medias: ni la base ni sus archivos auxiliares.
            for (const auto& nombre : archivosEn(c.a))
                EXPECT_EQ(nombre.find("historial.sqlite-"), std::string::npos) << nombre;
        }
        if (caso.historial) {
            EXPECT_EQ(permisos(c.a), fs::perms::owner_all);
            EXPECT_EQ(permisos(c.a.parent_path()), fs::perms::owner_all);
            EXPECT_EQ(permisos(c.destino()), fs::perms::owner_read | fs::perms::owner_write);
        }
        EXPECT_FALSE(en.object(P::mudanzaDeOlvane).isValid());
    }
}

TEST(Mudanza, ElHistorialSeTraeUnaSolaVez) {
    Carpetas c;
    crearHistorial(c.origen(), {"uno"});
    rebisco::PreferenciasEnMemoria en;
    EXPECT_TRUE(M::traer(c.desde, c.a, std::nullopt, en).historial);
    crearHistorial(c.origen(), {"dos"});
    crearHistorial(c.destino(), {"nuevo en rebisco"});
    EXPECT_FALSE(M::traer(c.desde, c.a, std::nullopt, en).historial);
    EXPECT_EQ(textosDe(c.destino()), (std::vector<std::string>{"nuevo en rebisco", "uno"}));
}

TEST(Mudanza, UnaCopiaFallidaSeReintenta) {
    Carpetas c;
    fs::create_directories(c.desde);
    std::ofstream(c.origen()) << std::string(8192, 'x');
    rebisco::PreferenciasEnMemoria en;
    EXPECT_FALSE(M::traer(c.desde, c.a, std::nullopt, en).historial);
    EXPECT_EQ(archivosEn(c.a), std::vector<std::string>{});

    fs::remove(c.origen());
    crearHistorial(c.origen(), {"al fin"});
    EXPECT_TRUE(M::traer(c.desde, c.a, std::nullopt, en).historial);
    EXPECT_EQ(textosDe(c.destino()), std::vector<std::string>{"al fin"});
}

// olvane en marcha tiene su historial abierto y lo último solo en el WAL.
TEST(Mudanza, ConOlvaneAbierta) {
    Carpetas c;
    nucleo::Almacen olvane(c.origen());
    std::vector<std::string> textos;
    for (int i = 0; i < 50; ++i) {
        textos.push_back("recorte " + std::to_string(100 + i));
        olvane.guardar(pruebas::recorteDeTexto(textos.back()), pruebas::momento());
    }
    const auto wal = fs::path(c.origen().string() + "-wal");
    ASSERT_TRUE(fs::exists(wal) && fs::file_size(wal) > 0) << "sin cambios en el WAL";

    // Y una copia de sus archivos en ese instante: olvane muerta sin cerrar el historial.
    Carpetas muerta;
    fs::create_directories(muerta.desde);
    for (const char* cola : {"", "-wal", "-shm"})
        fs::copy_file(c.origen().string() + cola, muerta.origen().string() + cola);

    for (const auto* caso : {&c, &muerta}) {
        rebisco::PreferenciasEnMemoria en;
        EXPECT_TRUE(M::traer(caso->desde, caso->a, std::nullopt, en).historial);
        EXPECT_EQ(textosDe(caso->destino()), textos);
    }
    // olvane sigue pudiendo guardar.
    EXPECT_NO_THROW(olvane.guardar(pruebas::recorteDeTexto("después"), pruebas::momento()));
}

bool igual(const QVariant& a, const QVariant& b) {
    return a == b && a.typeId() == b.typeId();
}

TEST(Mudanza, TraerLosAjustes) {
    const auto entero = [](qint64 n) { return QVariant(n); };
    struct Caso {
        const char* que;
        std::optional<QVariantMap> anteriores;
        bool yaTraidos;
        int ajustes;
        QVariantMap quedan;
        bool marca;
    };
    QVariantMap todos{
        {"limitarCantidad", false},
        {"maximoRecortes", entero(200)},
        {"limitarDias", true},
        {"maximoDias", entero(7)},
        {"megasMaximos", entero(5)},
        {"limitarEspacio", false},
        {"megasTotales", entero(50)},
        {"guardarImagenes", false},
        {"ignorarConfidencial", false},
        {"appsExcluidas", QString("org.gnome.Terminal")},
        {"pegarAlElegir", false},
        {"pausado", true},
        {"atajoCodigo", entero(55)},
        {"atajoModificadores", entero(4)},
        {"yaSeAbrio", true},
    };
    const std::vector<Caso> casos{
        {"dos suyos, uno ajeno y su huella",
         QVariantMap{{"pegarAlElegir", false},
                     {"maximoRecortes", entero(200)},
                     {"ventanaRecordada", QString("10,10")},
                     {"huellaConocida", QString("abcdef")}},
         false, 2, QVariantMap{{"pegarAlElegir", false}, {"maximoRecortes", entero(200)}}, true},
        {"los quince", todos, false, 15, todos, true},
        {"ya traídos", QVariantMap{{"maximoRecortes", entero(300)}}, true, 0, {}, true},
        {"sin ajustes de olvane", std::nullopt, false, 0, {}, false},
        {"ajustes vacíos", QVariantMap{}, false, 0, {}, true},
        // Lo que el almacén no admitiría no se trae ni se cuenta.
        {"tipos equivocados",
         QVariantMap{{"maximoRecortes", QString("200")},
                     {"limitarDias", entero(1)},
                     {"megasTotales", entero(0)},
                     {"maximoDias", 30.0},
                     {"yaSeAbrio", QString("sí")},
                     {"pausado", true}},
         false, 1, QVariantMap{{"pausado", true}}, true},
    };
    for (const auto& caso : casos) {
        SCOPED_TRACE(caso.que);
        Carpetas c;
        // Sin valores registrados: lo que se ve es exactamente lo que se guardó.
        rebisco::PreferenciasEnMemoria en;
        if (caso.yaTraidos) en.set(P::mudanzaDeOlvane, true);
        EXPECT_EQ(M::traer(c.desde, c.a, caso.anteriores, en),
                  (M::Traido{.historial = false, .ajustes = caso.ajustes}));
        QStringList claves(M::clavesQueSeMudan.begin(), M::clavesQueSeMudan.end());
        if (caso.anteriores) claves += caso.anteriores->keys();
        claves << P::huellaConocida;
        for (const auto& clave : claves)
            EXPECT_TRUE(igual(en.object(clave), caso.quedan.value(clave))) << clave.toStdString();
        EXPECT_TRUE(igual(en.object(P::mudanzaDeOlvane), caso.marca ? QVariant(true) : QVariant()));
    }
}

// olvane en $XDG_DATA_HOME y $XDG_CONFIG_HOME de pega, con su JSON de preferencias.
struct EscritorioConOlvane {
    CarpetaTemporal raiz;
    pruebas::VariableDeEntorno datos{"XDG_DATA_HOME", (raiz / "datos").string()};
    pruebas::VariableDeEntorno config{"XDG_CONFIG_HOME", (raiz / "config").string()};
    fs::path preferencias = raiz / "config" / "olvane" / "preferencias.json";
    fs::path nuestro = raiz / "datos" / "rebisco" / "historial.sqlite";

    EscritorioConOlvane() {
        fs::create_directories(raiz / "datos" / "olvane");
        crearHistorial(raiz / "datos" / "olvane" / "historial.sqlite", {"de olvane"});
        rebisco::PreferenciasEnArchivo suyas(preferencias);
        suyas.set(P::maximoRecortes, 200);
        suyas.set(P::pegarAlElegir, false);
        suyas.set(P::huellaConocida, QStringLiteral("cafe"));
    }
    QByteArray contenido() const {
        QFile archivo(QString::fromStdString(preferencias.string()));
        return archivo.open(QIODevice::ReadOnly) ? archivo.readAll() : QByteArray();
    }
};

TEST(Mudanza, TraerDeOlvane) {
    EscritorioConOlvane escritorio;
    auto en = P::crear(rebisco::Entorno{});
    // El almacén de verdad del usuario vive en el XDG_CONFIG_HOME de pega.
    ASSERT_EQ(dynamic_cast<rebisco::PreferenciasEnArchivo&>(*en).ruta(),
              escritorio.raiz / "config" / "rebisco" / "preferencias.json");
    const auto antes = escritorio.contenido();
    rebisco::Mudanza::traerDeOlvaneSiHaceFalta(rebisco::Entorno{}, *en);
    EXPECT_EQ(textosDe(escritorio.nuestro), std::vector<std::string>{"de olvane"});
    EXPECT_EQ(en->integer(P::maximoRecortes), 200);
    EXPECT_FALSE(en->boolean(P::pegarAlElegir));
    EXPECT_FALSE(en->string(P::huellaConocida));
    EXPECT_TRUE(en->boolean(P::mudanzaDeOlvane));
    EXPECT_EQ(escritorio.contenido(), antes);
    // Guardado de verdad: la siguiente vez se leen del archivo.
    EXPECT_EQ(P::crear(rebisco::Entorno{})->integer(P::maximoRecortes), 200);
}

TEST(Mudanza, TraerDeOlvaneConSusPreferenciasDanadas) {
    for (const char* danado : {"{\"maximoRecortes\": {\"entero\": 2", "[1, 2]",
                               "{\"maximoRecortes\": {\"entero\": 200}, \"x\": {\"fecha\": 1}}"}) {
        SCOPED_TRACE(danado);
        EscritorioConOlvane escritorio;
        std::ofstream(escritorio.preferencias, std::ios::trunc) << danado;
        const auto antes = archivosEn(escritorio.preferencias.parent_path());
        rebisco::PreferenciasEnMemoria en;
        rebisco::Mudanza::traerDeOlvaneSiHaceFalta(rebisco::Entorno{}, en);
        // El historial sí; los ajustes no, y la marca sigue sin poner para otro intento.
        EXPECT_EQ(textosDe(escritorio.nuestro), std::vector<std::string>{"de olvane"});
        EXPECT_FALSE(en.object(P::maximoRecortes).isValid());
        EXPECT_FALSE(en.object(P::mudanzaDeOlvane).isValid());
        // El archivo de olvane, intacto y en su sitio.
        EXPECT_EQ(escritorio.contenido().toStdString(), danado);
        EXPECT_EQ(archivosEn(escritorio.preferencias.parent_path()), antes);
    }
}

TEST(Mudanza, NiEnPruebaNiEnEnsayo) {
    for (const auto& variables : std::vector<std::map<std::string, std::string>>{
             {{"REBISCO_DATOS", "prueba"}},
             {{"REBISCO_ENSAYO", "ensayo"}},
             {{"REBISCO_DATOS", "prueba"}, {"REBISCO_ENSAYO", "ensayo"}}}) {
        EscritorioConOlvane escritorio;
        auto conRutas = variables;
        for (auto& [nombre, valor] : conRutas)
            valor = (escritorio.raiz / valor).string();
        const auto entorno = rebisco::Entorno::desde(conRutas);
        rebisco::PreferenciasEnMemoria en;
        rebisco::Mudanza::traerDeOlvaneSiHaceFalta(entorno, en);
        EXPECT_EQ(archivosEn(escritorio.raiz.ruta()),
                  (std::vector<std::string>{"config", "datos"}));
        EXPECT_EQ(archivosEn(escritorio.raiz / "datos"), std::vector<std::string>{"olvane"});
        EXPECT_FALSE(en.object(P::maximoRecortes).isValid());
        EXPECT_FALSE(en.object(P::mudanzaDeOlvane).isValid());
    }
}

// Un olvane de verdad: una copia de sleep con ese nombre.
fs::path instalarOlvane(const fs::path& carpeta) {
    fs::create_directories(carpeta);
    const auto ejecutable = carpeta / "olvane";
    fs::copy_file("/bin/sleep", ejecutable, fs::copy_options::overwrite_existing);
    fs::permissions(ejecutable, fs::perms::owner_all);
    return ejecutable;
}

// Un olvane que termina y que nadie recoge: un zombi, hasta que se destruye.
class OlvaneZombi {
public:
    explicit OlvaneZombi(const fs::path& carpeta) {
        const auto ejecutable = instalarOlvane(carpeta);
        pid = ::fork();
        if (pid == 0) {
            ::execl(ejecutable.c_str(), "olvane", "600", nullptr);
            ::_exit(127);
        }
    }
    ~OlvaneZombi() {
        if (pid <= 0) return;
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
    OlvaneZombi(const OlvaneZombi&) = delete;
    OlvaneZombi& operator=(const OlvaneZombi&) = delete;
    bool terminar() {
        ::kill(pid, SIGKILL);
        return pruebas::esperarHasta([&] {
            std::ifstream estado("/proc/" + std::to_string(pid) + "/stat");
            std::string linea;
            std::getline(estado, linea);
            return linea.find(") Z ") != std::string::npos;
        });
    }
    pid_t pid = -1;
};

class Olvane {
public:
    explicit Olvane(const fs::path& carpeta)
        : ejecutable(instalarOlvane(carpeta)) {
        proceso.start(QString::fromStdString(ejecutable.string()), {"600"});
        proceso.waitForStarted();
    }
    pid_t pid() const { return static_cast<pid_t>(proceso.processId()); }
    bool sigue() { return proceso.state() == QProcess::Running && !proceso.waitForFinished(300); }
    // Termina por SIGTERM, y solo por eso.
    bool terminaPorSigterm() {
        return proceso.waitForFinished(5000) && proceso.exitStatus() == QProcess::CrashExit &&
               proceso.exitCode() == SIGTERM;
    }
    fs::path ejecutable;
    QProcess proceso;
};

// Todo en una prueba: otra que corriera a la vez vería estos olvane.
TEST(Mudanza, OfrecerCerrarOlvane) {
    const CarpetaTemporal carpeta;
    const auto normal = rebisco::Entorno{};
    ASSERT_EQ(M::olvaneEnMarcha(), std::vector<pid_t>{}) << "ya había un olvane en marcha";
    int preguntas = 0;
    const auto responder = [&](bool si) {
        return [&, si] {
            ++preguntas;
            return si;
        };
    };

    // Sin olvane no se pregunta; un olvane que ya terminó y nadie recogió tampoco cuenta.
    {
        OlvaneZombi zombi(carpeta / "cero");
        ASSERT_GT(zombi.pid, 0);
        ASSERT_TRUE(pruebas::esperarHasta(
            [&] { return M::olvaneEnMarcha() == std::vector<pid_t>{zombi.pid}; }));
        ASSERT_TRUE(zombi.terminar());
        M::ofrecerCerrarOlvane(normal, responder(true));
        EXPECT_EQ(preguntas, 0);
    }

    Olvane olvane(carpeta / "uno");
    ASSERT_EQ(M::olvaneEnMarcha(), std::vector<pid_t>{olvane.pid()});
    // Ni en un ensayo ni en una prueba.
    for (const auto& variables : std::vector<std::map<std::string, std::string>>{
             {{"REBISCO_ENSAYO", (carpeta / "e").string()}},
             {{"REBISCO_DATOS", (carpeta / "d").string()}}}) {
        M::ofrecerCerrarOlvane(rebisco::Entorno::desde(variables), responder(true));
        EXPECT_EQ(preguntas, 0);
    }
    EXPECT_TRUE(olvane.sigue());

    M::ofrecerCerrarOlvane(normal, responder(false));
    EXPECT_EQ(preguntas, 1);
    EXPECT_TRUE(olvane.sigue());

    // Borrado mientras corre (desinstalado o actualizado): sigue siendo olvane.
    fs::remove(olvane.ejecutable);
    ASSERT_EQ(M::olvaneEnMarcha(), std::vector<pid_t>{olvane.pid()});
    M::ofrecerCerrarOlvane(normal, responder(true));
    EXPECT_EQ(preguntas, 2);
    EXPECT_TRUE(olvane.terminaPorSigterm());
    EXPECT_EQ(M::olvaneEnMarcha(), std::vector<pid_t>{});

    // Con dos, la señal es para el primero.
    Olvane primero(carpeta / "dos");
    Olvane segundo(carpeta / "tres");
    auto pids = M::olvaneEnMarcha();
    ASSERT_EQ(pids.size(), 2u);
    auto* menor = primero.pid() == pids.front() ? &primero : &segundo;
    auto* mayor = menor == &primero ? &segundo : &primero;
    M::ofrecerCerrarOlvane(normal, responder(true));
    EXPECT_TRUE(menor->terminaPorSigterm());
    EXPECT_TRUE(mayor->sigue());

    // Si el primero se va mientras se pregunta, la señal es para el que queda.
    Olvane tercero(carpeta / "cuatro");
    pids = M::olvaneEnMarcha();
    ASSERT_EQ(pids.size(), 2u);
    auto* antes = mayor->pid() == pids.front() ? mayor : &tercero;
    auto* despues = antes == mayor ? &tercero : mayor;
    M::ofrecerCerrarOlvane(normal, [&] {
        antes->proceso.kill();
        antes->proceso.waitForFinished();
        return true;
    });
    EXPECT_TRUE(despues->terminaPorSigterm());
}

} // namespace
