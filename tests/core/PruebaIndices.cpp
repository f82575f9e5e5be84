// Las estructuras auxiliares del almacén (rebisco_*): se ponen al abrir cualquier base de la
// versión 1, siguen a otro programa que escriba en ella y se rehacen si alguien las toca.
#include "Ayudas.h"
#include "Literal.h"

#include <gtest/gtest.h>

#include <functional>

using namespace nucleo;
using pruebas::BaseCruda;
using pruebas::CarpetaTemporal;
using pruebas::momento;
using pruebas::recorteDeTexto;

namespace {

const std::vector<std::string> auxiliares = {"rebisco_al_borrar",
                                             "rebisco_al_cambiar_peso",
                                             "rebisco_al_cambiar_texto",
                                             "rebisco_al_insertar",
                                             "rebisco_busqueda",
                                             "rebisco_busqueda_config",
                                             "rebisco_busqueda_data",
                                             "rebisco_busqueda_docsize",
                                             "rebisco_busqueda_idx",
                                             "rebisco_orden",
                                             "rebisco_peso",
                                             "rebisco_totales",
                                             "rebisco_uso"};

std::vector<std::string> nombresAuxiliares(const std::filesystem::path& ruta) {
    return BaseCruda(ruta).filas(
        "SELECT name FROM sqlite_master WHERE name LIKE 'rebisco\\_%' ESCAPE '\\' ORDER BY name");
}

const std::vector<std::string> textos = {"Reunión del lunes",
                                         "presupuesto 2024",
                                         "CAFÉ con leche",
                                         "café solo",
                                         "50% de descuento",
                                         "mi_variable = 3",
                                         "C:\\Archivos\\nota.txt",
                                         "ｗｉｄｅ texto",
                                         "the theme",
                                         "Árbol genealógico",
                                         "informe final",
                                         "reunion de equipo",
                                         "abc",
                                         "ab",
                                         "日本語のテキスト"};

const std::vector<std::string> busquedas = {"reunion",
                                            "REUNIÓN lunes",
                                            "presupuesto",
                                            "cafe",
                                            "café leche",
                                            "50%",
                                            "%",
                                            "_",
                                            "i_v",
                                            "\\",
                                            "archivos\\nota",
                                            "wide",
                                            "ＷＩＤＥ",
                                            "the",
                                            "them",
                                            "arbol",
                                            "ab",
                                            "a",
                                            "abc abc",
                                            "zzz",
                                            "日本",
                                            "テキスト",
                                            "final informe",
                                            "ñu",
                                            "kiwi",
                                            "zorro",
                                            ""};

// Un almacén y una base con solo el esquema, con los mismos datos, y una conexión cruda a
// cada una para escribir como lo haría otro programa.
struct Gemelas {
    CarpetaTemporal tmp;
    std::filesystem::path ruta = tmp / "almacen.sqlite";
    std::filesystem::path rutaReferencia = tmp / "referencia.sqlite";

    // La base nace sin nada nuestro, como la del programa anterior.
    Gemelas() {
        literal::Base previa(ruta.string());
        double t = 1000;
        for (const auto& texto : textos)
            previa.guardar(recorteDeTexto(texto), momento(t++));
        previa.fijar(3, true);
        previa.fijar(7, true);
        previa.marcarUsado(1, momento(t++));
        Almacen::copiarBase(ruta, rutaReferencia);
    }

    void ambas(const std::string& sql) {
        BaseCruda(ruta).ejecutar(sql);
        BaseCruda(rutaReferencia).ejecutar(sql);
    }

    void compararCon(Almacen& almacen, const std::string& cuando) {
        literal::Base referencia(rutaReferencia.string());
        for (const auto& b : busquedas) {
            for (const std::int64_t limite : {300, 2}) {
                EXPECT_EQ(almacen.listar(b, limite), referencia.listar(b, limite))
                    << cuando << ": «" << b << "» " << limite;
            }
        }
        EXPECT_EQ(almacen.estadisticas(), referencia.estadisticas()) << cuando;
    }
};

} // namespace

TEST(Indices, AbrirUnaBaseSinEllasLasPoneYRespondeIgual) {
    Gemelas g;
    ASSERT_TRUE(nombresAuxiliares(g.ruta).empty());
    Almacen almacen(g.ruta);
    EXPECT_EQ(nombresAuxiliares(g.ruta), auxiliares);
    g.compararCon(almacen, "recién abierta");

    // Las tablas del esquema siguen como estaban: otro programa las lee sin saber nada.
    BaseCruda b(g.ruta);
    EXPECT_EQ(b.entero("PRAGMA user_version"), 1);
    EXPECT_EQ(b.filas("SELECT name FROM pragma_table_info('recortes')"),
              BaseCruda(g.rutaReferencia).filas("SELECT name FROM pragma_table_info('recortes')"));
    EXPECT_EQ(b.filas("SELECT * FROM recortes ORDER BY id"),
              BaseCruda(g.rutaReferencia).filas("SELECT * FROM recortes ORDER BY id"));
    EXPECT_EQ(pruebas::permisos(g.ruta), 0600u);
}

TEST(Indices, UnaBaseNuevaYUnaEnMemoriaTambienLasTienen) {
    CarpetaTemporal tmp;
    { Almacen almacen(tmp / "h.sqlite"); }
    EXPECT_EQ(nombresAuxiliares(tmp / "h.sqlite"), auxiliares);
    Almacen enMemoria;
    enMemoria.guardar(recorteDeTexto("presupuesto del año"), momento());
    EXPECT_EQ(enMemoria.listar("PRESUPUESTO ano", 10).size(), 1u);
}

TEST(Indices, ReabrirNoRehaceNada) {
    Gemelas g;
    { Almacen almacen(g.ruta); }
    // Rehacer cambia el esquema, y volver a indexar, los segmentos de fts5.
    const auto estado = [&] {
        BaseCruda b(g.ruta);
        auto v = b.filas("SELECT type, name, sql FROM sqlite_master ORDER BY name");
        v.push_back(b.textoDe("PRAGMA schema_version"));
        for (auto& f : b.filas("SELECT id, hex(block) FROM rebisco_busqueda_data ORDER BY id"))
            v.push_back(f);
        for (auto& f : b.filas("SELECT * FROM rebisco_totales"))
            v.push_back(f);
        return v;
    };
    const auto antes = estado();
    {
        Almacen almacen(g.ruta);
        g.compararCon(almacen, "reabierta");
    }
    EXPECT_EQ(estado(), antes);
}

struct CasoAjeno {
    std::string nombre;
    std::vector<std::string> loNuestro; // de otro programa, sobre lo auxiliar del almacén
    std::vector<std::string> datos;     // de otro programa, en las dos bases
};

class OtroPrograma : public testing::TestWithParam<CasoAjeno> {};

// Con el almacén abierto, otro programa escribe o toca lo nuestro; cada respuesta sigue
// siendo la de las sentencias de siempre, ahora y al volver a abrir.
TEST_P(OtroPrograma, ElAlmacenLoSigue) {
    Gemelas g;
    Almacen almacen(g.ruta);
    g.compararCon(almacen, "antes");
    for (const auto& sql : GetParam().loNuestro)
        BaseCruda(g.ruta).ejecutar(sql);
    for (const auto& sql : GetParam().datos)
        g.ambas(sql);
    g.compararCon(almacen, "después");
    almacen.guardar(recorteDeTexto("kiwi zorro nuevo"), momento(5000));
    literal::Base(g.rutaReferencia.string())
        .guardar(recorteDeTexto("kiwi zorro nuevo"), momento(5000));
    g.compararCon(almacen, "tras guardar");
    EXPECT_EQ(nombresAuxiliares(g.ruta), auxiliares) << "lo que faltaba se rehízo";
    Almacen otraVez(g.ruta);
    g.compararCon(otraVez, "reabierta");
}

const std::string insertar = "INSERT INTO recortes(creado, usado, orden, fijado, clase, huella, "
                             "vista, texto_busqueda, bytes) "
                             "VALUES(1, 2, (SELECT MAX(orden) + 1 FROM recortes), 0, 'texto', "
                             "'ajena', 'v', 'KIWI Zorro', 12)";

INSTANTIATE_TEST_SUITE_P(
    Indices, OtroPrograma,
    testing::Values(
        CasoAjeno{"Inserta", {}, {insertar}},
        CasoAjeno{
            "CambiaTextoYPeso",
            {},
            {"UPDATE recortes SET texto_busqueda = 'zorro kiwi', bytes = bytes + 7 WHERE id = 4",
             "UPDATE recortes SET fijado = 1 WHERE id = 5"}},
        CasoAjeno{"Borra", {}, {"DELETE FROM recortes WHERE id IN (2, 3)"}},
        CasoAjeno{"ReemplazaSinDisparadoresRecursivos",
                  {},
                  {"PRAGMA recursive_triggers = OFF; INSERT OR REPLACE INTO recortes(id, creado, "
                   "usado, orden, "
                   "fijado, clase, huella, vista, texto_busqueda, bytes) SELECT id, creado, usado, "
                   "orden, fijado, "
                   "clase, huella, vista, 'kiwi', 99 FROM recortes WHERE id = 2"}},
        CasoAjeno{"QuitaUnDisparadorYEscribe", {"DROP TRIGGER rebisco_al_insertar"}, {insertar}},
        CasoAjeno{"QuitaUnIndice", {"DROP INDEX rebisco_orden"}, {}},
        CasoAjeno{
            "QuitaTodoLoNuestroYEscribe",
            {"DROP TRIGGER rebisco_al_insertar; DROP TRIGGER rebisco_al_borrar; "
             "DROP TRIGGER rebisco_al_cambiar_texto; DROP TRIGGER rebisco_al_cambiar_peso; "
             "DROP TABLE rebisco_busqueda; DROP TABLE rebisco_totales; DROP INDEX rebisco_orden; "
             "DROP INDEX rebisco_peso; DROP INDEX rebisco_uso"},
            {insertar, "UPDATE recortes SET texto_busqueda = 'zorro' WHERE id = 1",
             "DELETE FROM recortes WHERE id = 6"}},
        CasoAjeno{"AlteraLosTotales",
                  {"UPDATE rebisco_totales SET recortes = 3, bytes = 1, libres = 0"},
                  {}}),
    [](const auto& info) { return info.param.nombre; });

// Con muchos candidatos y poco límite solo se juntan los de ids más altos; los recortes
// antiguos que volvieron arriba (por repetirse o por elegirlos) quedan por debajo y los
// deciden los LIKE.
TEST(Indices, MuchosCandidatosYPocoLimite) {
    Almacen almacen;
    literal::Base referencia(":memory:");
    double t = 1000;
    for (int i = 0; i < 400; ++i) {
        const auto r = recorteDeTexto("Común " + std::to_string(i) + (i % 3 ? " kiwi" : " zorro"));
        almacen.guardar(r, momento(t));
        referencia.guardar(r, momento(t++));
    }
    for (std::int64_t id = 5; id <= 400; id += 13) {
        almacen.marcarUsado(id, momento(t));
        referencia.marcarUsado(id, momento(t++));
    }
    for (const std::int64_t id : {3, 250, 399}) {
        almacen.fijar(id, true);
        referencia.fijar(id, true);
    }
    for (const std::string b : {"comun", "COMÚN kiwi", "zorro comun", "comun 1", "mun 2", "kiwi"}) {
        for (const std::int64_t limite : {1, 2, 5, 17, 60, 300, -1}) {
            EXPECT_EQ(almacen.listar(b, limite), referencia.listar(b, limite))
                << b << " " << limite;
        }
    }
}

struct CasoEnBloque {
    std::string nombre;
    std::function<std::int64_t(Almacen&)> enAlmacen;
    std::function<std::int64_t(literal::Base&)> enReferencia;
};

class BorrarEnBloque : public testing::TestWithParam<CasoEnBloque> {};

// Borrar casi todo de una vez rehace el índice de trigramas y los totales con lo que queda, en
// vez de quitar fila a fila; después todo responde igual y lo nuevo se sigue indexando.
TEST_P(BorrarEnBloque, DejaLoMismo) {
    pruebas::CarpetaTemporal tmp;
    {
        literal::Base previa((tmp / "h.sqlite").string());
        previa.ejecutar(
            "INSERT INTO recortes(creado, usado, orden, fijado, clase, huella, vista, "
            "texto_busqueda, bytes) "
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1300) "
            "SELECT i, i, i, i IN (2, 700, 1299), 'texto', 'h' || i, 'nota ' || i, "
            "'nota ' || i || CASE WHEN i % 2 THEN ' kiwi' ELSE ' zorro' END, 10 + i % 7 FROM n; "
            "INSERT INTO representaciones(recorte_id, tipo, datos) SELECT id, 't', CAST(vista AS "
            "BLOB) FROM recortes;");
    }
    Almacen::copiarBase(tmp / "h.sqlite", tmp / "referencia.sqlite");
    Almacen almacen(tmp / "h.sqlite");
    literal::Base referencia((tmp / "referencia.sqlite").string());
    const double t = 5000;
    EXPECT_EQ(GetParam().enAlmacen(almacen), GetParam().enReferencia(referencia));
    const auto nuevo = recorteDeTexto("nota nueva kiwi");
    EXPECT_EQ(almacen.guardar(nuevo, momento(t)), referencia.guardar(nuevo, momento(t)));
    for (const std::string b : {"kiwi", "zorro", "nota 12", "nueva", ""}) {
        EXPECT_EQ(almacen.listar(b, 300), referencia.listar(b, 300)) << b;
    }
    EXPECT_EQ(almacen.estadisticas(), referencia.estadisticas());
    EXPECT_EQ(nombresAuxiliares(tmp / "h.sqlite"), auxiliares);
}

INSTANTIATE_TEST_SUITE_P(
    Indices, BorrarEnBloque,
    testing::Values(CasoEnBloque{"BorrarTodo", [](Almacen& a) { return a.borrarTodo(false); },
                                 [](literal::Base& b) { return b.borrarTodo(false); }},
                    CasoEnBloque{"BorrarTodoMenosFijados",
                                 [](Almacen& a) { return a.borrarTodo(true); },
                                 [](literal::Base& b) { return b.borrarTodo(true); }},
                    CasoEnBloque{"RetencionPorCantidad",
                                 [](Almacen& a) {
                                     return a.aplicarRetencion(
                                         {.maximoRecortes = 40, .maximoBytes = 300}, momento(1));
                                 },
                                 [](literal::Base& b) {
                                     return b.aplicarRetencion(
                                         {.maximoRecortes = 40, .maximoBytes = 300}, momento(1));
                                 }}),
    [](const auto& info) { return info.param.nombre; });

struct CasoOrden {
    std::string nombre;
    std::string orden; // en función de i, el id
};

class ReglasEnSuLimite : public testing::TestWithParam<CasoOrden> {};

// Las reglas de cantidad y de tamaño, justo en cada límite posible: con órdenes repetidos
// deciden el id y lo que acumula cada grupo de iguales; con órdenes reales, las sentencias
// de siempre.
TEST_P(ReglasEnSuLimite, ComoSiempre) {
    pruebas::CarpetaTemporal tmp;
    const auto origen = tmp / "origen.sqlite";
    {
        literal::Base previa(origen.string());
        previa.ejecutar(
            "INSERT INTO recortes(id, creado, usado, orden, fijado, clase, huella, vista, "
            "texto_busqueda, bytes) WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
            "WHERE i < 14) SELECT i, i, i, " +
            GetParam().orden + ", i IN (4, 9), 'texto', 'h' || i, 'v', 't', (i % 4) * 5 FROM n");
    }
    literal::Base vistazo(origen.string());
    std::vector<PoliticaRetencion> politicas;
    const auto libres =
        std::stoll(vistazo.filas("SELECT COUNT(*) FROM recortes WHERE fijado = 0").at(0).substr(2));
    for (std::int64_t n = 0; n <= libres + 1; ++n)
        politicas.push_back({.maximoRecortes = n});
    // Cada acumulado desde el más reciente, y uno más y uno menos.
    for (const auto& f : vistazo.filas("SELECT DISTINCT SUM(bytes) OVER (ORDER BY orden DESC) "
                                       "FROM recortes WHERE fijado = 0")) {
        const auto acumulado = std::stoll(f.substr(2));
        for (const auto b : {acumulado - 1, acumulado, acumulado + 1}) {
            if (b >= 0) politicas.push_back({.maximoBytes = b});
        }
    }
    int caso = 0;
    for (const auto& p : politicas) {
        const auto ruta = tmp / ("a" + std::to_string(caso) + ".sqlite");
        const auto rutaReferencia = tmp / ("r" + std::to_string(caso++) + ".sqlite");
        Almacen::copiarBase(origen, ruta);
        Almacen::copiarBase(origen, rutaReferencia);
        Almacen almacen(ruta);
        literal::Base referencia(rutaReferencia.string());
        const auto cual = "cantidad " + std::to_string(p.maximoRecortes.value_or(-1)) + ", bytes " +
                          std::to_string(p.maximoBytes.value_or(-1));
        EXPECT_EQ(almacen.aplicarRetencion(p, momento(100)),
                  referencia.aplicarRetencion(p, momento(100)))
            << cual;
        EXPECT_EQ(almacen.listar("", -1), referencia.listar("", -1)) << cual;
    }
}

INSTANTIATE_TEST_SUITE_P(Indices, ReglasEnSuLimite,
                         testing::Values(CasoOrden{"SinEmpates", "i"},
                                         CasoOrden{"ConEmpates", "(i + 2) / 3"},
                                         CasoOrden{"Reales", "i / 2.0"}),
                         [](const auto& info) { return info.param.nombre; });

TEST(Indices, UnIndiceDeTrigramasIncompletoSeRehaceAlAbrir) {
    Gemelas g;
    { Almacen almacen(g.ruta); }
    // Como si otro programa hubiera escrito sin los disparadores y los hubiera repuesto.
    BaseCruda(g.ruta).ejecutar(
        "INSERT INTO rebisco_busqueda(rebisco_busqueda) VALUES('delete-all')");
    Almacen almacen(g.ruta);
    g.compararCon(almacen, "reabierta");
}

struct CasoRaro {
    std::string nombre;
    std::string sentencia; // sobre las dos bases, antes de abrir el almacén
};

class ValoresRaros : public testing::TestWithParam<CasoRaro> {};

// Tamaños que no son enteros no negativos o que desbordan, fijados que no son 0 ni 1: los
// totales dejan paso a las sentencias de siempre, que dan su resultado o su error.
TEST_P(ValoresRaros, TotalesYRetencionComoSiempre) {
    Gemelas g;
    g.ambas(GetParam().sentencia);
    Almacen almacen(g.ruta);
    literal::Base referencia(g.rutaReferencia.string());
    const auto cuenta = referencia.filas("SELECT COUNT(*) FROM recortes WHERE fijado = 0");
    // Sin desbordar: el total más uno, o el mayor entero posible.
    const auto total = referencia.filas("SELECT CAST(min(TOTAL(bytes), 9223372036854775806) AS "
                                        "INTEGER) FROM recortes WHERE fijado = 0");
    const std::int64_t n = std::stoll(cuenta.at(0).substr(2));
    const std::int64_t bytes = std::stoll(total.at(0).substr(2));

    const auto estadisticas = [](auto& b) -> std::variant<Estadisticas, ErrorAlmacen> {
        try {
            return b.estadisticas();
        } catch (const ErrorAlmacen& e) {
            return e;
        }
    };
    EXPECT_EQ(estadisticas(almacen), estadisticas(referencia));
    for (const PoliticaRetencion& p :
         {PoliticaRetencion{.maximoBytes = bytes + 1}, PoliticaRetencion{.maximoBytes = bytes},
          PoliticaRetencion{.maximoBytes = bytes / 2}, PoliticaRetencion{.maximoBytes = 1'000'000},
          PoliticaRetencion{.maximoRecortes = n}, PoliticaRetencion{.maximoRecortes = n - 1}}) {
        const auto retener = [&](auto& b) -> std::variant<std::int64_t, ErrorAlmacen> {
            try {
                return b.aplicarRetencion(p, momento(9000));
            } catch (const ErrorAlmacen& e) {
                return e;
            }
        };
        EXPECT_EQ(retener(almacen), retener(referencia));
        EXPECT_EQ(almacen.listar("", -1), referencia.listar("", -1));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Indices, ValoresRaros,
    testing::Values(
        // El negativo rompe la suma acumulada creciente: el total queda bajo el límite y aun
        // así los más nuevos lo pasan.
        CasoRaro{"Negativo", "UPDATE recortes SET bytes = 150000 WHERE id = 14; "
                             "UPDATE recortes SET bytes = -100000 WHERE id = 2"},
        CasoRaro{"Real", "UPDATE recortes SET bytes = 2.5 WHERE id = 2"},
        CasoRaro{"Texto", "UPDATE recortes SET bytes = 'x' WHERE id = 4"},
        CasoRaro{"SumaQueDesborda",
                 "UPDATE recortes SET bytes = 9000000000000000000 WHERE id IN (2, 4)"},
        CasoRaro{"FijadoDos", "UPDATE recortes SET fijado = 2 WHERE id IN (4, 5)"},
        CasoRaro{"FijadoTexto", "UPDATE recortes SET fijado = 'si' WHERE id = 4"},
        CasoRaro{"OrdenesRepetidos", "UPDATE recortes SET orden = 5 WHERE id IN (8, 9, 10)"},
        CasoRaro{"OrdenReal", "UPDATE recortes SET orden = 5.5 WHERE id = 6"},
        CasoRaro{"OrdenDeTexto", "UPDATE recortes SET orden = 'x' WHERE id = 5"}),
    [](const auto& info) { return info.param.nombre; });

TEST(Indices, SiNoSePuedenPonerLaBaseAbreIgual) {
    CarpetaTemporal tmp;
    const auto ruta = tmp / "h.sqlite";
    // Versión 1 con una tabla recortes ajena: sin texto_busqueda no hay índice que hacer.
    BaseCruda(ruta).ejecutar("CREATE TABLE recortes(id INTEGER PRIMARY KEY, orden, fijado, bytes, "
                             "usado); PRAGMA user_version = 1;");
    EXPECT_NO_THROW(Almacen almacen(ruta));
    EXPECT_TRUE(nombresAuxiliares(ruta).empty());
}
