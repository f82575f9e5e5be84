#include "Ayudas.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>

using namespace nucleo;
using pruebas::momento;

namespace {

constexpr double dia = 86400;
constexpr double ahora = 1'700'000'000;
constexpr std::int64_t mb = 1'000'000;

RecorteNuevo recorteDeTamano(int n, std::int64_t tamano) {
    RecorteNuevo r = pruebas::recorteDeTexto("recorte " + std::to_string(n));
    r.representaciones = {{"public.utf8-plain-text", Bytes(static_cast<std::size_t>(tamano), 'x')}};
    return r;
}

struct Clip {
    double haceDias;
    std::int64_t tamano;
    bool fijado = false;
};

// Guarda los recortes del más antiguo al más reciente (el último es el más reciente).
std::vector<std::int64_t> llenar(Almacen& almacen, const std::vector<Clip>& clips) {
    std::vector<std::int64_t> ids;
    int n = 0;
    for (const auto& c : clips) {
        const auto id =
            almacen.guardar(recorteDeTamano(n++, c.tamano), momento(ahora - c.haceDias * dia)).id;
        if (c.fijado) almacen.fijar(id, true);
        ids.push_back(id);
    }
    return ids;
}

std::vector<std::int64_t> quedan(Almacen& almacen) {
    std::vector<std::int64_t> v;
    for (const auto& r : almacen.listar("", -1))
        v.push_back(r.id);
    std::sort(v.begin(), v.end());
    return v;
}

} // namespace

struct CasoRetencion {
    std::string nombre;
    std::vector<Clip> clips;
    PoliticaRetencion politica;
    std::int64_t borrados;
    std::vector<std::int64_t> quedan;
};

class Retencion : public testing::TestWithParam<CasoRetencion> {};

TEST_P(Retencion, Aplica) {
    const auto& c = GetParam();
    Almacen almacen;
    llenar(almacen, c.clips);
    EXPECT_EQ(almacen.aplicarRetencion(c.politica, momento(ahora)), c.borrados);
    EXPECT_EQ(quedan(almacen), c.quedan);
}

INSTANTIATE_TEST_SUITE_P(
    Almacen, Retencion,
    testing::Values(
        CasoRetencion{"SinLimites", {{400, 1}, {1, 99 * mb}}, {}, 0, {1, 2}},
        CasoRetencion{"Edad", {{365, 1, true}, {31, 1}, {29, 1}}, {.maximoDias = 30}, 1, {1, 3}},
        CasoRetencion{"EdadCeroNoLimita", {{900, 1}}, {.maximoDias = 0}, 0, {1}},
        CasoRetencion{"EdadExactaSeQueda", {{30, 1}}, {.maximoDias = 30}, 0, {1}},
        CasoRetencion{"CuentaCeroBorraNoFijados",
                      {{1, 1}, {1, 1, true}, {1, 1}},
                      {.maximoRecortes = 0},
                      2,
                      {2}},
        CasoRetencion{
            "CuentaNegativaNoLimita", {{1, 1}, {1, 1}}, {.maximoRecortes = -1}, 0, {1, 2}},
        CasoRetencion{"NuevoGrandeSeQueda",
                      {{3, 4 * mb}, {2, 4 * mb, true}, {1, 15 * mb}},
                      {.maximoBytes = 10 * mb},
                      1,
                      {2, 3}},
        CasoRetencion{"DeCuatroEnCuatro",
                      {{5, 4 * mb}, {4, 1}, {3, 4 * mb}, {2, 4 * mb}, {1, 4 * mb}},
                      {.maximoBytes = 10 * mb},
                      3,
                      {4, 5}},
        CasoRetencion{"BytesCeroDejaElMasNuevo", {{2, 1}, {1, 1}}, {.maximoBytes = 0}, 1, {2}},
        CasoRetencion{"EdadAntesQueCuenta",
                      {{5, 1}, {4, 1}, {3, 1}, {0.5, 1}, {0.1, 1}},
                      {.maximoRecortes = 2, .maximoDias = 1},
                      3,
                      {4, 5}},
        CasoRetencion{"CuentaAntesQueBytes",
                      {{3, 5}, {2, 5}, {1, 5}},
                      {.maximoRecortes = 2, .maximoBytes = 5},
                      2,
                      {3}}),
    [](const auto& info) { return info.param.nombre; });

TEST(Retencion, QuinientosDeSeiscientosYFijados) {
    Almacen almacen;
    std::vector<Clip> clips;
    for (int i = 0; i < 3; ++i)
        clips.push_back({1000, 50 * mb, true});
    for (int i = 0; i < 600; ++i)
        clips.push_back({0, 10});
    const auto ids = llenar(almacen, clips);
    EXPECT_EQ(almacen.aplicarRetencion({.maximoRecortes = 500}, momento(ahora)), 100);
    const auto resto = quedan(almacen);
    EXPECT_EQ(resto.size(), 503u);
    std::vector<std::int64_t> esperado(ids.begin(), ids.begin() + 3);
    esperado.insert(esperado.end(), ids.begin() + 103, ids.end());
    EXPECT_EQ(resto, esperado);
}

TEST(Retencion, UsarRenuevaLaEdad) {
    Almacen almacen;
    llenar(almacen, {{40, 1}, {40, 1}});
    almacen.marcarUsado(1, momento(ahora - 1 * dia));
    EXPECT_EQ(almacen.aplicarRetencion({.maximoDias = 30}, momento(ahora)), 1);
    EXPECT_EQ(quedan(almacen), (std::vector<std::int64_t>{1}));
}

TEST(Retencion, FalloDeshaceTodasLasReglas) {
    pruebas::CarpetaTemporal tmp;
    const auto ruta = tmp / "h.sqlite";
    Almacen almacen(ruta);
    llenar(almacen, {{90, 1}, {80, 1}, {1, 2}, {1, 3}});
    // La regla de edad borra dos; la de cuenta choca con el disparador.
    pruebas::BaseCruda(ruta).ejecutar(
        "CREATE TRIGGER f BEFORE DELETE ON recortes WHEN OLD.bytes = 2 "
        "BEGIN SELECT RAISE(ABORT, 'no'); END;");
    EXPECT_THROW(almacen.aplicarRetencion({.maximoRecortes = 1, .maximoDias = 30}, momento(ahora)),
                 ErrorAlmacen);
    EXPECT_EQ(quedan(almacen), (std::vector<std::int64_t>{1, 2, 3, 4}));
}

TEST(Retencion, BorrarDevuelveEspacio) {
    pruebas::CarpetaTemporal tmp;
    const auto ruta = tmp / "h.sqlite";
    Almacen almacen(ruta);
    llenar(almacen, {{1, 4 * mb}, {1, 4 * mb}, {1, 10}});
    pruebas::BaseCruda cruda(ruta);
    const auto paginasAntes = cruda.entero("PRAGMA page_count");
    EXPECT_EQ(almacen.aplicarRetencion({.maximoRecortes = 1}, momento(ahora)), 2);
    EXPECT_LT(cruda.entero("PRAGMA page_count"), paginasAntes / 10);
    EXPECT_EQ(cruda.entero("PRAGMA freelist_count"), 0);
}

TEST(CopiarBase, CopiaLoConfirmadoMientrasOtroEscribe) {
    pruebas::CarpetaTemporal tmp;
    const auto origen = tmp / "origen.sqlite";
    {
        Almacen almacen(origen);
        llenar(almacen, {{1, 10}, {1, 20}});
    }
    pruebas::BaseCruda otro(origen);
    otro.ejecutar("BEGIN IMMEDIATE; DELETE FROM recortes WHERE id = 1;");

    const auto destino = tmp / "nueva/carpeta/copia.sqlite";
    Almacen::copiarBase(origen, destino);
    otro.ejecutar("ROLLBACK");
    EXPECT_EQ(pruebas::permisos(destino), 0600u);
    EXPECT_EQ(pruebas::permisos(tmp / "nueva"), 0700u);

    Almacen copia(destino);
    EXPECT_EQ(quedan(copia), (std::vector<std::int64_t>{1, 2}));
    EXPECT_EQ(copia.representaciones(2).at(0).datos.size(), 20u);
}

TEST(CopiarBase, OrigenAusenteNoCreaNada) {
    pruebas::CarpetaTemporal tmp;
    const auto e = pruebas::errorDe(
        [&] { Almacen::copiarBase(tmp / "no-existe.sqlite", tmp / "destino/copia.sqlite"); });
    EXPECT_EQ(e.codigo & 0xff, 14); // SQLITE_CANTOPEN
    EXPECT_FALSE(std::filesystem::exists(tmp / "destino"));
    EXPECT_FALSE(std::filesystem::exists(tmp / "no-existe.sqlite"));
}

TEST(CopiarBase, OrigenQueNoEsBase) {
    pruebas::CarpetaTemporal tmp;
    std::ofstream(tmp / "texto.sqlite") << std::string(2048, 'x');
    const auto e =
        pruebas::errorDe([&] { Almacen::copiarBase(tmp / "texto.sqlite", tmp / "copia.sqlite"); });
    EXPECT_TRUE(e.esCorrupcion()) << e.description();
}

namespace {

struct CasoBorrado {
    std::string nombre;
    std::function<void(Almacen&, std::int64_t)> borrar;
};

class LoBorrado : public testing::TestWithParam<CasoBorrado> {};

// Lo borrado no queda legible en ningún archivo de la carpeta, tampoco en el registro, y sin
// cerrar el almacén (una salida limpia no es lo normal tras cada borrado).
TEST_P(LoBorrado, NoQuedaEnElDisco) {
    pruebas::CarpetaTemporal tmp;
    const std::string secreto = "contrasena-del-banco-zqxjwv";
    Almacen almacen(tmp / "historial.sqlite");
    const auto id = almacen.guardar(pruebas::recorteDeTexto(secreto), momento(ahora - 40 * dia)).id;
    for (int i = 0; i < 3; ++i)
        almacen.guardar(recorteDeTamano(i, 10), momento(ahora + i));
    almacen.fijar(almacen.listar("", 1).front().id, true);
    ASSERT_FALSE(pruebas::archivosCon(tmp.ruta(), secreto).empty());

    GetParam().borrar(almacen, id);
    EXPECT_EQ(almacen.listar(secreto, 10).size(), 0u);
    EXPECT_EQ(pruebas::archivosCon(tmp.ruta(), secreto), std::vector<std::string>{});
    // Tampoco los trigramas con que lo encontraba la búsqueda.
    for (const char* trigrama : {"zqx", "qxj", "xjw", "jwv"})
        EXPECT_EQ(pruebas::archivosCon(tmp.ruta(), trigrama), std::vector<std::string>{})
            << trigrama;
}

INSTANTIATE_TEST_SUITE_P(
    Retencion, LoBorrado,
    testing::Values(CasoBorrado{"PorEdad",
                                [](Almacen& a, std::int64_t) {
                                    PoliticaRetencion p;
                                    p.maximoDias = 30;
                                    EXPECT_EQ(a.aplicarRetencion(p, momento(ahora)), 1);
                                }},
                    CasoBorrado{"PorCantidad",
                                [](Almacen& a, std::int64_t) {
                                    PoliticaRetencion p;
                                    p.maximoRecortes = 2;
                                    EXPECT_EQ(a.aplicarRetencion(p, momento(ahora)), 1);
                                }},
                    CasoBorrado{"Uno", [](Almacen& a, std::int64_t id) { a.borrar(id); }},
                    CasoBorrado{"Todo", [](Almacen& a, std::int64_t) { a.borrarTodo(false); }},
                    CasoBorrado{"TodoMenosFijados",
                                [](Almacen& a, std::int64_t) { a.borrarTodo(true); }}),
    [](const auto& info) { return info.param.nombre; });

} // namespace
