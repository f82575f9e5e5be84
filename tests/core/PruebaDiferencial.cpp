// El almacén contra las sentencias de siempre: las mismas operaciones al azar sobre dos
// bases, una del almacén y otra solo con el esquema, y cada respuesta tiene que coincidir.
#include "Ayudas.h"
#include "Literal.h"

#include <gtest/gtest.h>

#include <random>
#include <variant>

using namespace nucleo;

namespace {

// Trozos con los que se arman los textos: mayúsculas, tildes, anchos completos, comodines de
// LIKE, barras, escrituras no latinas y cadenas que comparten trigramas.
const std::vector<std::string> piezas = {
    "casa",        "Casa",    "CASA",     "café",     "cafe",     "CAFÉ",    "Árbol",    "arbol",
    "niño",        "NIÑO",    "ｃａｆé",  "ＷＩＤＥ", "wide",     "50%",     "5_0",      "a_b",
    "a%b",         "x%y_z",   "C:\\ruta", "\\\\srv",  "%",        "_",       "\\",       "año",
    "ano",         "Straße",  "ΟΔΟΣ",     "οδος",     "ab",       "abc",     "abcd",     "abcab",
    "xyz",         "the",     "them",     "then",     "ﬁn",       "x²",      "İstanbul", "mañana",
    "e\u0301",     "😀",       "日本語",   "テスト",   "ｶﾞｷﾞ",     "aaa",     "aaaa",     "q",
    "presupuesto", "reunión", "Reunion",  "informe",  "\"cita\"", "a\"b\"c",
};
const std::vector<std::string> separadores = {" ", " ", " ", "", "-", "\n", "\t", ".", "\u00a0"};
const std::vector<std::string> especiales = {"%", "_", "\\", "%%", "a%", "_b", "\\\\", "%_\\"};
// Lo que escribe el otro programa: sin plegar (LIKE solo iguala mayúsculas ASCII) y con
// palabras que no salen en los demás textos, para que las encuentre el índice de trigramas.
const std::vector<std::string> ajenos = {"ÁRBOL Zorro", "CAFÉ del KIWI", "Kiwi zorro", "ABC%_d Ñu",
                                         "ñu Ñu"};

struct Escenario {
    std::string nombre;
    std::uint64_t semilla;
    int operaciones;
    bool otroPrograma; // además escribe en las dos bases otra conexión cruda
};

// Ejecuta lo mismo en el almacén y en la referencia: o los dos responden lo mismo, o los
// dos lanzan el mismo ErrorAlmacen.
template <typename A, typename R>
void mismo(A&& enAlmacen, R&& enReferencia, const std::string& que) {
    using T = decltype(enAlmacen());
    const auto intentar = [](auto&& f) -> std::variant<T, ErrorAlmacen> {
        try {
            return f();
        } catch (const ErrorAlmacen& e) {
            return e;
        }
    };
    const auto a = intentar(enAlmacen);
    const auto r = intentar(enReferencia);
    ASSERT_EQ(a.index(), r.index()) << que;
    if (a.index() == 1) {
        EXPECT_EQ(std::get<1>(a), std::get<1>(r)) << que << ": " << std::get<1>(a).description();
    } else {
        EXPECT_TRUE(std::get<0>(a) == std::get<0>(r)) << que;
    }
}

class Diferencial : public testing::TestWithParam<Escenario> {
protected:
    void SetUp() override {
        azar.seed(GetParam().semilla);
        std::uniform_int_distribution<int> cuantas(1, 6);
        for (int i = 0; i < 700; ++i) {
            std::string t;
            for (int k = cuantas(azar); k > 0; --k)
                t += elegir(piezas) + (k > 1 ? elegir(separadores) : "");
            if (t.empty()) t = "vacío";
            // Una palabra que está en casi la mitad: da búsquedas con muchos candidatos.
            if (moneda(45)) t += " " + elegir(std::vector<std::string>{"común", "Comun", "COMÚN"});
            textos.push_back(t);
        }
        almacen = std::make_unique<Almacen>(rutaAlmacen);
        referencia = std::make_unique<literal::Base>(rutaReferencia.string());
        if (GetParam().otroPrograma) {
            crudoAlmacen = std::make_unique<pruebas::BaseCruda>(rutaAlmacen);
            crudoReferencia = std::make_unique<pruebas::BaseCruda>(rutaReferencia);
        }
    }

    template <typename T> const T& elegir(const std::vector<T>& v) {
        return v[std::uniform_int_distribution<std::size_t>(0, v.size() - 1)(azar)];
    }
    int entre(int a, int b) { return std::uniform_int_distribution<int>(a, b)(azar); }
    bool moneda(int porCiento) { return entre(1, 100) <= porCiento; }
    // Un id que existe o existió, o alguno más allá.
    std::int64_t algunId() { return entre(1, guardados + otros + 3); }

    // Un trozo de 1 a 7 caracteres de un texto guardado, tal como lo teclearía alguien.
    std::string trozo(const std::string& t) {
        std::vector<std::size_t> inicio;
        for (std::size_t i = 0; i < t.size(); ++i) {
            if ((static_cast<unsigned char>(t[i]) & 0xC0) != 0x80) inicio.push_back(i);
        }
        inicio.push_back(t.size());
        const int n = static_cast<int>(inicio.size()) - 1;
        const int desde = entre(0, n - 1);
        const int hasta = std::min(n, desde + entre(1, 7));
        return t.substr(inicio[static_cast<std::size_t>(desde)],
                        inicio[static_cast<std::size_t>(hasta)] -
                            inicio[static_cast<std::size_t>(desde)]);
    }

    std::string busqueda() {
        if (moneda(3)) return elegir(std::vector<std::string>{"", "  \t ", "\u3000"});
        // Un patrón más largo que lo que admite LIKE: el error tiene que ser el mismo.
        if (moneda(1)) return std::string(60000, 'a');
        std::string b;
        std::string anterior = "casa";
        for (int k = entre(1, 3); k > 0; --k) {
            std::string termino;
            const int dado = entre(1, 100);
            if (dado <= 40)
                termino = trozo(elegir(textos));
            else if (dado <= 53)
                termino = elegir(piezas);
            else if (dado <= 58)
                termino = elegir(std::vector<std::string>{"comun", "común", "omú", "mun"});
            else if (dado <= 65)
                termino = trozo(elegir(ajenos));
            else if (dado <= 75)
                termino = elegir(especiales);
            else if (dado <= 83)
                termino = elegir(std::vector<std::string>{"zzq", "qq", "ñoñ"});
            else if (dado <= 88)
                termino = std::string("ab\0cd", 5) + (moneda(50) ? "abc" : "");
            else
                termino = anterior;
            if (termino.empty()) termino = "x";
            b += termino + elegir(std::vector<std::string>{" ", "\u3000", "\t", "  "});
            anterior = termino;
        }
        return b;
    }

    // Lo que hay sin fijar en la referencia, para probar las reglas justo en su límite.
    std::pair<std::int64_t, std::int64_t> libres() {
        const auto f = referencia->filas(
            "SELECT COUNT(*), CAST(TOTAL(bytes) AS INTEGER) FROM recortes WHERE fijado = 0");
        const auto barra = f.at(0).find('|');
        return {std::stoll(f.at(0).substr(2, barra - 2)), std::stoll(f.at(0).substr(barra + 3))};
    }

    PoliticaRetencion politica() {
        PoliticaRetencion p;
        const int tipo = entre(1, 100);
        if (tipo <= 30) {
            const auto [cuantos, bytes] = libres();
            if (moneda(50)) p.maximoRecortes = cuantos - entre(-1, 2);
            if (moneda(50))
                p.maximoBytes = bytes - elegir(std::vector<std::int64_t>{-1, 0, 1, 5, 100});
            return p;
        }
        // Casi siempre holgadas, para que el historial crezca; a veces muy estrictas.
        const bool estricta = tipo <= 35;
        if (moneda(50)) {
            p.maximoRecortes = estricta ? elegir(std::vector<std::int64_t>{-1, 0, 1, 2, 10})
                                        : elegir(std::vector<std::int64_t>{100, 300, 450, 1000});
        }
        if (moneda(30)) p.maximoDias = elegir(std::vector<std::int64_t>{-1, 0, 1, 2, 5, 30});
        if (moneda(50)) {
            p.maximoBytes = estricta
                                ? elegir(std::vector<std::int64_t>{-1, 0, 10, 100, 1000})
                                : elegir(std::vector<std::int64_t>{30000, 100000, 200000, 1000000});
        }
        return p;
    }

    RecorteNuevo nuevo() {
        RecorteNuevo r = pruebas::recorteDeTexto(elegir(textos));
        // Repetir una huella con otro tamaño cambia el peso de un recorte que ya estaba.
        if (moneda(30)) {
            r.representaciones.push_back(
                {"public.html",
                 Bytes(static_cast<std::size_t>(elegir(std::vector<int>{0, 10, 100, 1000, 5000})),
                       'h')});
        }
        if (moneda(50)) r.appId = "org.ejemplo";
        return r;
    }

    // Lo que haría otro programa con su propia conexión; la misma sentencia en las dos bases.
    void escribirComoOtroPrograma() {
        // Casi siempre sobre filas que existen.
        const auto existentes = referencia->filas("SELECT id FROM recortes ORDER BY id");
        const auto existente = [&] {
            return existentes.empty() || moneda(10) ? std::to_string(algunId())
                                                    : elegir(existentes).substr(2);
        };
        const std::string id = existente();
        const std::string otro = existente();
        const std::string texto = "'" + elegir(ajenos) + "'";
        const auto sql = elegir(std::vector<std::string>{
            // Sin plegar: LIKE solo iguala mayúsculas ASCII.
            "INSERT INTO recortes(creado, usado, orden, fijado, clase, huella, vista, "
            "texto_busqueda, bytes) "
            "VALUES(1.0e9, " +
                std::to_string(segundos) +
                ", (SELECT COALESCE(MAX(orden), 0) + 1 FROM recortes), 0, "
                "'texto', 'otro-" +
                std::to_string(otros++) + "', 'v', " + texto + ", " +
                std::to_string(entre(0, 3000)) + ")",
            "UPDATE recortes SET texto_busqueda = " + texto + " WHERE id = " + id,
            "UPDATE recortes SET texto_busqueda = CAST(x'6162630064' AS TEXT) WHERE id = " + id,
            "UPDATE recortes SET bytes = " +
                elegir(std::vector<std::string>{"2.5", "-7", "-100000", "'x'", "40", "0"}) +
                " WHERE id = " + id,
            "UPDATE recortes SET fijado = " +
                elegir(std::vector<std::string>{"2", "'si'", "0", "1"}) + " WHERE id = " + id,
            "UPDATE recortes SET orden = (SELECT orden FROM recortes WHERE id = " + otro +
                ") WHERE id = " + id + " AND EXISTS (SELECT 1 FROM recortes WHERE id = " + otro +
                ")",
            "DELETE FROM recortes WHERE id = " + id,
            // REPLACE sin disparadores recursivos no avisa de la fila que quita.
            "PRAGMA recursive_triggers = OFF; INSERT OR REPLACE INTO recortes(id, creado, usado, "
            "orden, fijado, clase, "
            "huella, vista, texto_busqueda, bytes) SELECT id, creado, usado, orden, fijado, clase, "
            "huella, 'otra', "
            "'reemplazado ' || texto_busqueda, bytes + 1 FROM recortes WHERE id = " +
                id,
        });
        crudoAlmacen->ejecutar(sql);
        crudoReferencia->ejecutar(sql);
    }

    void compararTablas(const std::string& cuando) {
        const auto volcar = [](literal::Base& b) {
            auto v = b.filas("SELECT * FROM recortes ORDER BY id");
            for (auto& f : b.filas("SELECT * FROM representaciones ORDER BY id"))
                v.push_back("rep " + f);
            for (auto& f : b.filas("SELECT * FROM sqlite_sequence ORDER BY name"))
                v.push_back("seq " + f);
            return v;
        };
        literal::Base vista(rutaAlmacen.string());
        EXPECT_EQ(volcar(vista), volcar(*referencia)) << cuando;
    }

    void operar(int paso) {
        const std::string donde = "paso " + std::to_string(paso);
        segundos += moneda(2) ? entre(86400, 3 * 86400) : entre(0, 600);
        const Instante ahora = pruebas::momento(static_cast<double>(segundos));
        const int dado = crudoAlmacen && moneda(4) ? 990 : entre(1, 1000);
        if (dado <= 380) {
            const auto r = nuevo();
            mismo([&] { return almacen->guardar(r, ahora); },
                  [&] { return referencia->guardar(r, ahora); }, donde + " guardar");
            ++guardados;
        } else if (dado <= 480) {
            const auto id = algunId();
            mismo([&] { return (almacen->marcarUsado(id, ahora), 0); },
                  [&] { return (referencia->marcarUsado(id, ahora), 0); }, donde + " marcarUsado");
        } else if (dado <= 560) {
            const auto id = algunId();
            const bool si = moneda(60);
            mismo([&] { return (almacen->fijar(id, si), 0); },
                  [&] { return (referencia->fijar(id, si), 0); }, donde + " fijar");
        } else if (dado <= 600) {
            const auto id = algunId();
            mismo([&] { return (almacen->borrar(id), 0); },
                  [&] { return (referencia->borrar(id), 0); }, donde + " borrar");
        } else if (dado <= 604) {
            const bool conservar = moneda(70);
            mismo([&] { return almacen->borrarTodo(conservar); },
                  [&] { return referencia->borrarTodo(conservar); }, donde + " borrarTodo");
        } else if (dado <= 700) {
            const auto p = politica();
            mismo([&] { return almacen->aplicarRetencion(p, ahora); },
                  [&] { return referencia->aplicarRetencion(p, ahora); },
                  donde + " aplicarRetencion");
        } else if (dado <= 930) {
            const auto b = busqueda();
            const auto limite = elegir(std::vector<std::int64_t>{300, 300, 300, -1, 0, 1, 3, 10});
            mismo([&] { return almacen->listar(b, limite); },
                  [&] { return referencia->listar(b, limite); },
                  donde + " listar «" + b.substr(0, 40) + "» " + std::to_string(limite));
        } else if (dado <= 970) {
            mismo([&] { return almacen->estadisticas(); },
                  [&] { return referencia->estadisticas(); }, donde + " estadisticas");
        } else if (dado <= 980) {
            const auto id = algunId();
            mismo([&] { return almacen->representaciones(id); },
                  [&] { return referencia->representaciones(id); }, donde + " representaciones");
        } else if (dado <= 996 && crudoAlmacen) {
            escribirComoOtroPrograma();
        } else {
            // Como si el programa se cerrara y se volviera a abrir.
            almacen.reset();
            almacen = std::make_unique<Almacen>(rutaAlmacen);
        }
    }

    pruebas::CarpetaTemporal tmp;
    const std::filesystem::path rutaAlmacen = tmp / "almacen.sqlite";
    const std::filesystem::path rutaReferencia = tmp / "referencia.sqlite";
    std::mt19937_64 azar;
    std::vector<std::string> textos;
    std::unique_ptr<Almacen> almacen;
    std::unique_ptr<literal::Base> referencia;
    std::unique_ptr<pruebas::BaseCruda> crudoAlmacen;
    std::unique_ptr<pruebas::BaseCruda> crudoReferencia;
    int guardados = 0;
    std::int64_t segundos = 1'700'000'000;
    int otros = 0;
};

TEST_P(Diferencial, MismasRespuestas) {
    for (int paso = 0; paso < GetParam().operaciones && !HasFatalFailure(); ++paso) {
        operar(paso);
        if (paso % 250 == 249) compararTablas("tras el paso " + std::to_string(paso));
    }
    compararTablas("al final");
}

INSTANTIATE_TEST_SUITE_P(Almacen, Diferencial,
                         testing::Values(Escenario{"Solo", 1, 1500, false},
                                         Escenario{"Solo2", 2, 1500, false},
                                         Escenario{"Solo3", 3, 1500, false},
                                         Escenario{"ConOtroPrograma", 4, 1500, true},
                                         Escenario{"ConOtroPrograma2", 5, 1500, true}),
                         [](const auto& info) { return info.param.nombre; });

} // namespace
