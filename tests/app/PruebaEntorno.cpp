#include <rebisco/Entorno.h>
#include <rebisco/Preferencias.h>

#include <gtest/gtest.h>

using rebisco::Entorno;

namespace {

struct CasoEntorno {
    std::map<std::string, std::string> variables;
    bool aparienciaOscura;
    bool sinActividad;
    bool esPrueba;
};

class Interruptores : public ::testing::TestWithParam<CasoEntorno> {};

TEST_P(Interruptores, SeLeenExactamente) {
    auto entorno = Entorno::desde(GetParam().variables);
    EXPECT_EQ(entorno.aparienciaOscura, GetParam().aparienciaOscura);
    EXPECT_EQ(entorno.sinActividad, GetParam().sinActividad);
    EXPECT_EQ(entorno.esPrueba(), GetParam().esPrueba);
}

INSTANTIATE_TEST_SUITE_P(
    Tabla, Interruptores,
    ::testing::Values(CasoEntorno{{}, false, false, false},
                      CasoEntorno{{{"REBISCO_APARIENCIA", "oscura"}}, true, false, false},
                      CasoEntorno{{{"REBISCO_APARIENCIA", "Oscura"}}, false, false, false},
                      CasoEntorno{{{"REBISCO_APARIENCIA", "oscura "}}, false, false, false},
                      CasoEntorno{{{"REBISCO_SIN_ACTIVIDAD", "1"}}, false, true, false},
                      CasoEntorno{{{"REBISCO_SIN_ACTIVIDAD", "true"}}, false, false, false},
                      // Presente aunque vacía: ya es una ejecución de prueba.
                      CasoEntorno{{{"REBISCO_DATOS", ""}}, false, false, true},
                      CasoEntorno{{{"REBISCO_ENSAYO", "/tmp/e"}}, false, false, false}));

TEST(Entorno, CarpetaDeDatosSegunLasVariables) {
    auto ambas = Entorno::desde({{"REBISCO_DATOS", "/tmp/d"}, {"REBISCO_ENSAYO", "/tmp/e"}});
    EXPECT_EQ(rebisco::Preferencias::carpetaDatos(ambas), "/tmp/d");
    EXPECT_TRUE(ambas.esPrueba());

    auto ensayo = Entorno::desde({{"REBISCO_ENSAYO", "/tmp/e"}});
    EXPECT_EQ(rebisco::Preferencias::carpetaDatos(ensayo), "/tmp/e");
    EXPECT_FALSE(ensayo.esPrueba());

    auto ninguna = rebisco::Preferencias::carpetaDatos(Entorno{});
    EXPECT_EQ(ninguna.filename(), "rebisco");
    EXPECT_TRUE(ninguna.is_absolute());
}

TEST(Entorno, TextosSinTocarYRutasRelativasDesdeLaCarpetaActual) {
    auto entorno = Entorno::desde({{"REBISCO_PORTAPAPELES", " pruebas "},
                                   {"REBISCO_AUTOPRUEBA", ""},
                                   {"REBISCO_DATOS", "relativa/datos"}});
    EXPECT_EQ(entorno.portapapeles, " pruebas ");
    EXPECT_EQ(entorno.autoprueba, "");
    EXPECT_FALSE(entorno.informe.has_value());
    EXPECT_EQ(*entorno.carpetaDatos, std::filesystem::current_path() / "relativa/datos");
}

} // namespace
