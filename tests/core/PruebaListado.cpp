#include "Ayudas.h"

#include <gtest/gtest.h>

using namespace nucleo;
using pruebas::momento;
using pruebas::recorteDeTexto;

namespace {

std::vector<std::int64_t> ids(const std::vector<Recorte>& lista) {
    std::vector<std::int64_t> v;
    for (const auto& r : lista)
        v.push_back(r.id);
    return v;
}

// Guarda los textos en orden, uno por segundo; el id de cada uno es su posición + 1.
void llenar(Almacen& almacen, const std::vector<std::string>& textos) {
    double t = 1000;
    for (const auto& texto : textos)
        almacen.guardar(recorteDeTexto(texto), momento(t++));
}

} // namespace

struct CasoBusqueda {
    std::string busqueda;
    std::vector<std::int64_t> esperados; // del más reciente al más antiguo
};

class Busquedas : public testing::TestWithParam<CasoBusqueda> {};

TEST_P(Busquedas, Encuentra) {
    Almacen almacen;
    llenar(almacen, {"manzana roja", "Roja MANZANA madura", "Canción de Ñandú", "cancion de nandu",
                     "descuento 50%", "descuento 50 por ciento", "mi_variable", "miXvariable",
                     "C:\\ruta", "C:/ruta", "ｗｉｄｅ texto"});
    EXPECT_EQ(ids(almacen.listar(GetParam().busqueda, 300)), GetParam().esperados);
}

INSTANTIATE_TEST_SUITE_P(
    Listado, Busquedas,
    testing::Values(CasoBusqueda{"roja manzana", {2, 1}}, CasoBusqueda{"madura manzana", {2}},
                    CasoBusqueda{"CANCIÓN ñandu", {4, 3}}, CasoBusqueda{"cancion nandu", {4, 3}},
                    CasoBusqueda{"50%", {5}}, CasoBusqueda{"%", {5}}, CasoBusqueda{"i_v", {7}},
                    CasoBusqueda{"\\", {9}}, CasoBusqueda{"wide", {11}},
                    CasoBusqueda{"ＷＩＤＥ", {11}}, CasoBusqueda{"manzana manzana", {2, 1}},
                    CasoBusqueda{"ausente", {}},
                    CasoBusqueda{" \t ", {11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1}}));

TEST(Listado, OrdenFijadosPrimeroYLimite) {
    Almacen almacen;
    llenar(almacen, {"a", "b", "c", "d", "e"});
    almacen.fijar(2, true);
    almacen.fijar(4, true);
    EXPECT_EQ(ids(almacen.listar("", 300)), (std::vector<std::int64_t>{4, 2, 5, 3, 1}));
    EXPECT_EQ(ids(almacen.listar("", 3)), (std::vector<std::int64_t>{4, 2, 5}));
    EXPECT_TRUE(almacen.listar("", 0).empty());
    EXPECT_EQ(almacen.listar("", -1).size(), 5u);

    // Fijar uno antiguo no lo pone primero: ocupa su sitio por recencia.
    almacen.fijar(1, true);
    EXPECT_EQ(ids(almacen.listar("", 300)), (std::vector<std::int64_t>{4, 2, 1, 5, 3}));
    almacen.fijar(4, false);
    EXPECT_EQ(ids(almacen.listar("", 300)), (std::vector<std::int64_t>{2, 1, 5, 4, 3}));
}

TEST(Listado, CamposDelRecorte) {
    Almacen almacen;
    auto r = recorteDeTexto("hola mundo");
    r.appId = "org.app";
    r.appNombre = "La App";
    r.miniatura = Bytes{1, 2, 3};
    almacen.guardar(r, momento(1234.5));
    const auto lista = almacen.listar("", 1);
    ASSERT_EQ(lista.size(), 1u);
    EXPECT_EQ(lista[0], (Recorte{.id = 1,
                                 .creado = momento(1234.5),
                                 .usado = momento(1234.5),
                                 .fijado = false,
                                 .clase = ClaseRecorte::texto,
                                 .vista = "hola mundo",
                                 .appId = "org.app",
                                 .appNombre = "La App",
                                 .bytes = 10,
                                 .miniatura = Bytes{1, 2, 3}}));
}

// Un almacén en archivo con dos recortes, para tocar la base desde fuera.
class ListadoEnArchivo : public testing::Test {
protected:
    ListadoEnArchivo() { llenar(almacen, {"a", "b"}); }
    void ejecutarFuera(const std::string& sql) { pruebas::BaseCruda(ruta).ejecutar(sql); }

    pruebas::CarpetaTemporal tmp;
    const std::filesystem::path ruta = tmp / "h.sqlite";
    Almacen almacen{ruta};
};

TEST_F(ListadoEnArchivo, ClaseDesconocidaYMiniaturaVacia) {
    ejecutarFuera("UPDATE recortes SET clase = 'video', miniatura = zeroblob(0) WHERE id = 1;");
    const auto lista = almacen.listar("", 10);
    EXPECT_EQ(lista.at(1).clase, ClaseRecorte::texto);
    EXPECT_EQ(lista.at(1).miniatura, std::nullopt);
}

TEST(Listado, MarcarUsadoSubeAlPrincipio) {
    Almacen almacen;
    llenar(almacen, {"a", "b", "c"});
    almacen.marcarUsado(1, momento(5000));
    const auto lista = almacen.listar("", 300);
    EXPECT_EQ(ids(lista), (std::vector<std::int64_t>{1, 3, 2}));
    EXPECT_EQ(lista[0].creado, momento(1000));
    EXPECT_EQ(lista[0].usado, momento(5000));
    almacen.marcarUsado(99, momento(6000)); // no existe: nada cambia y no es error
    EXPECT_EQ(ids(almacen.listar("", 300)), (std::vector<std::int64_t>{1, 3, 2}));
}

TEST_F(ListadoEnArchivo, MarcarUsadoFallidoSeDeshace) {
    ejecutarFuera(
        "CREATE TRIGGER f BEFORE UPDATE ON recortes BEGIN SELECT RAISE(ABORT, 'no'); END;");
    EXPECT_THROW(almacen.marcarUsado(1, momento(9000)), ErrorAlmacen);
    EXPECT_EQ(ids(almacen.listar("", 300)), (std::vector<std::int64_t>{2, 1}));
    EXPECT_EQ(almacen.listar("", 300).at(1).usado, momento(1000));
}

TEST(Listado, BorrarLlevaSusRepresentaciones) {
    Almacen almacen;
    llenar(almacen, {"a", "b"});
    ASSERT_EQ(almacen.representaciones(1).size(), 1u);
    almacen.borrar(1);
    EXPECT_TRUE(almacen.representaciones(1).empty());
    EXPECT_EQ(ids(almacen.listar("", 300)), (std::vector<std::int64_t>{2}));
    // Los ids no se reutilizan.
    almacen.guardar(recorteDeTexto("c"), momento(1));
    EXPECT_EQ(ids(almacen.listar("", 300)), (std::vector<std::int64_t>{3, 2}));
}

TEST(Listado, BorrarTodoYEstadisticas) {
    for (const bool conservar : {true, false}) {
        Almacen almacen;
        EXPECT_EQ(almacen.estadisticas(), (Estadisticas{0, 0}));
        llenar(almacen,
               {"uno", "dos", "tres", "cuatro", "cinco", "seis", "siete", "ocho", "nueve", "diez"});
        almacen.fijar(3, true);
        almacen.fijar(7, true);
        EXPECT_EQ(almacen.estadisticas(), (Estadisticas{10, 43}));
        EXPECT_EQ(almacen.borrarTodo(conservar), conservar ? 8 : 10);
        EXPECT_EQ(ids(almacen.listar("", 300)),
                  conservar ? (std::vector<std::int64_t>{7, 3}) : std::vector<std::int64_t>{});
        EXPECT_EQ(almacen.estadisticas(), conservar ? (Estadisticas{2, 9}) : (Estadisticas{0, 0}));
        EXPECT_EQ(almacen.borrarTodo(conservar), 0);
    }
}
