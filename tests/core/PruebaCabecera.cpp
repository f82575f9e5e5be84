// Solo la cabecera general y el objetivo nucleo: ninguna dependencia se filtra a quien lo usa.
#include "nucleo/Nucleo.h"

#include <gtest/gtest.h>

TEST(Nucleo, DeLaCapturaAlHistorial) {
    using namespace nucleo;
    const std::string t = "Reunión del LUNES";
    const auto resultado =
        Captura::interpretar({.tipos = {std::string(TipoDato::texto)},
                              .datos = {{std::string(TipoDato::texto), Bytes(t.begin(), t.end())}},
                              .appNombre = "Correo"},
                             {.ignorarConfidencial = true,
                              .appsExcluidas = {},
                              .guardarImagenes = true,
                              .bytesMaximos = 1000});
    ASSERT_TRUE(std::holds_alternative<RecorteNuevo>(resultado));

    Almacen almacen;
    const auto guardado = almacen.guardar(std::get<RecorteNuevo>(resultado), Instante{});
    const auto lista = almacen.listar("reunion lunes", 300);
    ASSERT_EQ(lista.size(), 1u);
    EXPECT_EQ(lista[0].id, guardado.id);
    EXPECT_EQ(lista[0].appNombre, "Correo");
    EXPECT_EQ(almacen.representaciones(guardado.id).at(0).datos, Bytes(t.begin(), t.end()));
}
