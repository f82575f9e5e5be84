#include "Ayudas.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace nucleo;
using pruebas::BaseCruda;
using pruebas::CarpetaTemporal;
using pruebas::momento;
using pruebas::recorteDeTexto;

namespace {

std::vector<std::string> volcado(const std::filesystem::path& ruta) {
    BaseCruda b(ruta);
    auto filas = b.filas("SELECT * FROM recortes ORDER BY id");
    for (auto& f :
         b.filas("SELECT id, recorte_id, tipo, hex(datos) FROM representaciones ORDER BY id")) {
        filas.push_back("rep:" + f);
    }
    return filas;
}

// Un disparador hace fallar las inserciones de representaciones del tipo "falla".
void sembrarFallo(const std::filesystem::path& ruta) {
    BaseCruda(ruta).ejecutar(
        "CREATE TRIGGER fallo BEFORE INSERT ON representaciones WHEN NEW.tipo = 'falla' "
        "BEGIN SELECT RAISE(ABORT, 'falla provocada'); END;");
}

} // namespace

TEST(Almacen, AbrirCreaCarpetaYArchivosPrivados) {
    CarpetaTemporal tmp;
    const auto ruta = tmp / "a/b/historial.sqlite";
    {
        Almacen almacen(ruta);
        almacen.guardar(recorteDeTexto("hola"), momento());
        EXPECT_EQ(pruebas::permisos(tmp / "a"), 0700u);
        EXPECT_EQ(pruebas::permisos(tmp / "a/b"), 0700u);
        EXPECT_EQ(pruebas::permisos(ruta), 0600u);
        EXPECT_EQ(pruebas::permisos(ruta.string() + "-wal"), 0600u);
        EXPECT_EQ(pruebas::permisos(ruta.string() + "-shm"), 0600u);
    }
    EXPECT_EQ(pruebas::permisos(tmp.ruta()), 0700u) << "la carpeta existente no se toca";
}

TEST(Almacen, EsquemaNuevo) {
    CarpetaTemporal tmp;
    const auto ruta = tmp / "historial.sqlite";
    { Almacen almacen(ruta); }
    BaseCruda b(ruta);
    EXPECT_EQ(b.entero("PRAGMA user_version"), 1);
    EXPECT_EQ(b.textoDe("PRAGMA journal_mode"), "wal");
    EXPECT_EQ(b.entero("PRAGMA auto_vacuum"), 2);
    // Las estructuras auxiliares (rebisco_*) tienen su propia prueba.
    EXPECT_EQ(b.filas("SELECT name FROM sqlite_master WHERE name NOT LIKE 'sqlite_%' "
                      "AND name NOT LIKE 'rebisco\\_%' ESCAPE '\\' ORDER BY name"),
              (std::vector<std::string>{"recortes", "recortes_orden", "representaciones",
                                        "representaciones_recorte"}));
    EXPECT_EQ(b.filas("SELECT name FROM pragma_table_info('recortes')"),
              (std::vector<std::string>{"id", "creado", "usado", "orden", "fijado", "clase",
                                        "huella", "vista", "texto_busqueda", "app_id", "app_nombre",
                                        "bytes", "miniatura"}));
}

struct CasoPrevio {
    std::string nombre;
    std::string preparacion; // lo que ya había en el archivo
    std::int32_t error;      // 0: abre sin error
    long long version;       // user_version después de intentarlo
    std::vector<std::string> tablas;
};

class ArchivoPrevio : public testing::TestWithParam<CasoPrevio> {};

std::string contenido(const std::filesystem::path& ruta) {
    std::ifstream f(ruta, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), {}};
}

// Una versión 1 se usa tal cual; una más nueva o una versión 0 con tablas ajenas falla sin
// escribir nada: ni el archivo cambia ni aparecen otros a su lado.
TEST_P(ArchivoPrevio, SeRespeta) {
    const auto& c = GetParam();
    CarpetaTemporal tmp;
    const auto ruta = tmp / "h.sqlite";
    BaseCruda(ruta).ejecutar(c.preparacion);
    const auto antes = contenido(ruta);
    if (c.error == 0) {
        EXPECT_NO_THROW(Almacen almacen(ruta));
    } else {
        const auto e = pruebas::errorDe([&] { Almacen almacen(ruta); });
        EXPECT_EQ(e.codigo, c.error) << e.description();
        EXPECT_FALSE(e.esCorrupcion());
        if (c.version > 1) {
            EXPECT_TRUE(contenido(ruta) == antes) << "el archivo cambió";
            EXPECT_EQ(std::distance(std::filesystem::directory_iterator(tmp.ruta()), {}), 1);
        }
    }
    BaseCruda b(ruta);
    EXPECT_EQ(b.entero("PRAGMA user_version"), c.version);
    EXPECT_EQ(b.filas("SELECT name FROM sqlite_master ORDER BY name"), c.tablas);
}

INSTANTIATE_TEST_SUITE_P(
    Almacen, ArchivoPrevio,
    testing::Values(
        CasoPrevio{
            "VersionFutura", "PRAGMA user_version = 7; CREATE TABLE otra(x);", 14, 7, {"otra"}},
        CasoPrevio{"VersionFuturaEnWal",
                   "PRAGMA journal_mode = WAL; PRAGMA user_version = 2; CREATE TABLE otra(x);",
                   14,
                   2,
                   {"otra"}},
        CasoPrevio{"VersionCeroConTabla", "CREATE TABLE recortes(x);", 1, 0, {"recortes"}}),
    [](const auto& info) { return info.param.nombre; });

// Otro programa con el cerrojo de escritura no impide abrir un historial ya creado, ni leerlo.
TEST(Almacen, AbrirNoEsperaAlCerrojoDeEscritura) {
    CarpetaTemporal tmp;
    const auto ruta = tmp / "h.sqlite";
    {
        Almacen almacen(ruta);
        almacen.guardar(recorteDeTexto("ya estaba"), momento());
    }
    BaseCruda otro(ruta);
    otro.ejecutar("BEGIN IMMEDIATE; INSERT INTO recortes(creado, usado, orden, clase, huella, "
                  "vista, texto_busqueda, bytes) VALUES(0, 0, 9, 'texto', 'h', 'v', 'v', 1);");
    std::unique_ptr<Almacen> almacen;
    ASSERT_NO_THROW(almacen = std::make_unique<Almacen>(ruta));
    EXPECT_EQ(almacen->listar("", 10).size(), 1u);
    otro.ejecutar("COMMIT");
}

// Un daño visto por cualquier operación deja el almacén sin volver a tocar el archivo: todo
// lanza la misma corrupción y al cerrar no se vuelca el registro en él.
TEST(Almacen, TrasUnDanoNoSeEscribeMas) {
    CarpetaTemporal tmp;
    const auto ruta = tmp / "h.sqlite";
    {
        Almacen almacen(ruta);
        for (int i = 0; i < 200; ++i)
            almacen.guardar(recorteDeTexto("recorte " + std::to_string(i) + std::string(200, 'x')),
                            momento(1'700'000'000.0 + i));
    }
    pruebas::danarHojaDe(ruta, "recortes");
    const auto danado = contenido(ruta);
    {
        Almacen almacen(ruta);
        const auto e = pruebas::errorDe([&] { almacen.listar("", 500); });
        EXPECT_TRUE(e.esCorrupcion()) << e.description();
        const auto otra =
            pruebas::errorDe([&] { almacen.guardar(recorteDeTexto("nuevo"), momento()); });
        EXPECT_EQ(otra, e);
        EXPECT_EQ(pruebas::errorDe([&] { almacen.borrarTodo(false); }), e);
    }
    EXPECT_TRUE(contenido(ruta) == danado) << "se escribió en el archivo dañado";
}

TEST(Almacen, ArchivoDeTextoEsCorrupcion) {
    CarpetaTemporal tmp;
    const auto ruta = tmp / "h.sqlite";
    std::ofstream(ruta) << std::string(4096, 'x');
    const auto e = pruebas::errorDe([&] { Almacen almacen(ruta); });
    EXPECT_EQ(e.codigo, 26);
    EXPECT_TRUE(e.esCorrupcion());
    EXPECT_EQ(e.description(), "SQLite 26: " + e.mensaje);
    EXPECT_FALSE(e.mensaje.empty());
}

TEST(Almacen, CarpetaImposible) {
    CarpetaTemporal tmp;
    std::ofstream(tmp / "archivo") << "x";
    EXPECT_THROW(Almacen(tmp / "archivo/sub/h.sqlite"), std::filesystem::filesystem_error);
    EXPECT_FALSE(std::filesystem::exists(tmp / "archivo/sub"));
}

TEST(ErrorAlmacen, Descripcion) {
    struct Caso {
        std::int32_t codigo;
        bool corrupcion;
    };
    for (const Caso c :
         {Caso{11, true}, Caso{26, true}, Caso{11 | (1 << 8), true}, Caso{26 | (2 << 8), true},
          Caso{1, false}, Caso{5, false}, Caso{0, false}, Caso{27, false}}) {
        const ErrorAlmacen e(c.codigo, "M");
        EXPECT_EQ(e.esCorrupcion(), c.corrupcion) << c.codigo;
        EXPECT_EQ(e.description(), "SQLite " + std::to_string(c.codigo) + ": M");
        EXPECT_STREQ(e.what(), e.description().c_str());
    }
    EXPECT_EQ(ErrorAlmacen(1, "a"), ErrorAlmacen(1, "a"));
    EXPECT_NE(ErrorAlmacen(1, "a"), ErrorAlmacen(1, "b"));
}

TEST(Almacen, GuardarYRepetir) {
    CarpetaTemporal tmp;
    const auto ruta = tmp / "h.sqlite";
    Almacen almacen(ruta);
    auto primero = recorteDeTexto("hola");
    primero.appId = "org.app";
    primero.appNombre = "App";
    EXPECT_EQ(almacen.guardar(primero, momento(100)), (Guardado{1, false}));
    EXPECT_EQ(almacen.guardar(recorteDeTexto("otro"), momento(150)), (Guardado{2, false}));

    auto repetido = primero;
    repetido.appId.reset();
    repetido.appNombre.reset();
    repetido.representaciones = {{"public.utf8-plain-text", pruebas::bytes("hola")}};
    EXPECT_EQ(almacen.guardar(repetido, momento(200)), (Guardado{1, true}));

    BaseCruda b(ruta);
    EXPECT_EQ(
        b.filas("SELECT id, creado, usado, orden, fijado, app_id, app_nombre FROM recortes ORDER "
                "BY id"),
        (std::vector<std::string>{"1|100.0|200.0|3|0|NULL|NULL", "2|150.0|150.0|2|0|NULL|NULL"}));
}

TEST(Almacen, RepeticionReemplazaRepresentacionesYConservaFijado) {
    Almacen almacen;
    RecorteNuevo r = recorteDeTexto("x");
    r.representaciones = {{"a", pruebas::bytes("1")}, {"b", pruebas::bytes("2")}, {"c", {}}};
    const auto id = almacen.guardar(r, momento(1)).id;
    almacen.guardar(recorteDeTexto("y"), momento(2));
    almacen.fijar(id, true);
    r.representaciones = {{"c", pruebas::bytes("3")}, {"a", {}}};
    almacen.guardar(r, momento(3));
    EXPECT_EQ(almacen.representaciones(id), r.representaciones);
    const auto lista = almacen.listar("", -1);
    ASSERT_EQ(lista.size(), 2u);
    EXPECT_EQ(lista[0].id, id);
    EXPECT_TRUE(lista[0].fijado);
}

TEST(Almacen, RepresentacionVaciaEsBlobNoNulo) {
    CarpetaTemporal tmp;
    const auto ruta = tmp / "h.sqlite";
    Almacen almacen(ruta);
    RecorteNuevo r = recorteDeTexto("x");
    r.representaciones = {{"vacia", {}}};
    almacen.guardar(r, momento());
    EXPECT_EQ(
        BaseCruda(ruta).textoDe("SELECT typeof(datos) || length(datos) FROM representaciones"),
        "blob0");
}

TEST(Almacen, FalloAMitadDejaTodoComoEstaba) {
    CarpetaTemporal tmp;
    const auto ruta = tmp / "h.sqlite";
    Almacen almacen(ruta);
    auto r = recorteDeTexto("original");
    almacen.guardar(r, momento(1));
    sembrarFallo(ruta);
    const auto antes = volcado(ruta);

    // Recorte nuevo cuya segunda representación falla.
    auto nuevo = recorteDeTexto("nuevo");
    nuevo.representaciones.push_back({"falla", pruebas::bytes("z")});
    EXPECT_THROW(almacen.guardar(nuevo, momento(2)), ErrorAlmacen);
    EXPECT_EQ(volcado(ruta), antes);

    // Repetición: la actualización y el borrado ya hechos se deshacen.
    r.representaciones.push_back({"falla", pruebas::bytes("z")});
    r.vista = "cambiada";
    EXPECT_THROW(almacen.guardar(r, momento(3)), ErrorAlmacen);
    EXPECT_EQ(volcado(ruta), antes);

    // El almacén sigue usable.
    EXPECT_EQ(almacen.guardar(recorteDeTexto("después"), momento(4)).repetido, false);
}

TEST(Almacen, EnMemoriaNoDejaNadaEnDisco) {
    CarpetaTemporal tmp;
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(tmp.ruta());
    {
        Almacen almacen;
        almacen.guardar(recorteDeTexto("efímero"), momento());
        EXPECT_EQ(almacen.listar("efimero", 10).size(), 1u);
    }
    std::filesystem::current_path(cwd);
    EXPECT_TRUE(std::filesystem::is_empty(tmp.ruta()));
}

TEST(Almacen, TextoConNulLlegaHastaElNul) {
    Almacen almacen;
    RecorteNuevo r = recorteDeTexto("a");
    r.vista = std::string("antes\0después", 14);
    const auto id = almacen.guardar(r, momento()).id;
    EXPECT_EQ(almacen.listar("", 1).at(0).vista, "antes");
    EXPECT_EQ(almacen.listar("", 1).at(0).id, id);
}
