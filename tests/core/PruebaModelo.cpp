#include "Ayudas.h"

#include <gtest/gtest.h>

using namespace nucleo;

TEST(Modelo, ClaseIdaYVuelta) {
    for (const ClaseRecorte clase : todasLasClases) {
        EXPECT_EQ(claseDesde(valor(clase)), clase);
    }
    for (const char* ajeno : {"Texto", "texto ", "", "imagenes", "ARCHIVOS"}) {
        EXPECT_EQ(claseDesde(ajeno), std::nullopt) << ajeno;
    }
}

TEST(Modelo, TodasLasClasesEnOrden) {
    const std::vector<std::string_view> valores = {"texto", "enlace", "imagen", "archivos"};
    ASSERT_EQ(todasLasClases.size(), valores.size());
    for (std::size_t i = 0; i < valores.size(); ++i)
        EXPECT_EQ(valor(todasLasClases[i]), valores[i]);
}

TEST(Modelo, BytesSumaRepresentacionesSinMiniatura) {
    RecorteNuevo r{.clase = ClaseRecorte::texto,
                   .vista = "v",
                   .textoBusqueda = "v",
                   .huella = "h",
                   .representaciones = {{"a", Bytes(3)}, {"b", Bytes{}}, {"c", Bytes(5)}},
                   .miniatura = Bytes(1000)};
    EXPECT_EQ(r.bytes(), 8);
    r.representaciones.clear();
    EXPECT_EQ(r.bytes(), 0);
}

TEST(Modelo, IgualdadDeResultados) {
    const RecorteNuevo base = pruebas::recorteDeTexto("hola");
    EXPECT_NE(ResultadoCaptura{MotivoIgnorado::vacio}, ResultadoCaptura{MotivoIgnorado::remoto});
    EXPECT_EQ(ResultadoCaptura{base}, ResultadoCaptura{base});
    EXPECT_NE(ResultadoCaptura{base}, ResultadoCaptura{MotivoIgnorado::vacio});

    RecorteNuevo conMiniatura = base;
    conMiniatura.miniatura = Bytes{1};
    RecorteNuevo conApp = base;
    conApp.appNombre = "Editor";
    EXPECT_NE(ResultadoCaptura{base}, ResultadoCaptura{conMiniatura});
    EXPECT_NE(ResultadoCaptura{base}, ResultadoCaptura{conApp});
}

TEST(Modelo, RecorteConOtroUsoEsDistintoPeroElMismo) {
    const Recorte a{.id = 7, .usado = pruebas::momento(1)};
    Recorte b = a;
    b.usado = pruebas::momento(2);
    EXPECT_NE(a, b);
    EXPECT_TRUE(mismoRecorte(a, b));
    EXPECT_FALSE(mismoRecorte(a, Recorte{.id = 8}));
}
