#include <rebisco/Entorno.h>
#include <rebisco/Preferencias.h>

#include <gtest/gtest.h>

using rebisco::Entorno;
using rebisco::ModoEjecucion;

namespace {

struct CasoEntorno {
    std::map<std::string, std::string> variables;
    ModoEjecucion modo;
    std::optional<std::filesystem::path> carpeta;
    bool sinActividad;
};

class Interruptores : public ::testing::TestWithParam<CasoEntorno> {};

TEST_P(Interruptores, SeLeenExactamente) {
    const auto entorno = Entorno::desde(GetParam().variables);
    EXPECT_EQ(entorno.modo, GetParam().modo);
    EXPECT_EQ(entorno.carpetaDatos, GetParam().carpeta);
    EXPECT_EQ(entorno.sinActividad, GetParam().sinActividad);
}

INSTANTIATE_TEST_SUITE_P(
    Tabla, Interruptores,
    ::testing::Values(
        CasoEntorno{{}, ModoEjecucion::normal, std::nullopt, false},
        CasoEntorno{{{"REBISCO_SIN_ACTIVIDAD", "1"}}, ModoEjecucion::normal, std::nullopt, true},
        CasoEntorno{
            {{"REBISCO_SIN_ACTIVIDAD", "true"}}, ModoEjecucion::normal, std::nullopt, false},
        // Presente aunque vacía: ya es una ejecución de prueba.
        CasoEntorno{{{"REBISCO_DATOS", ""}}, ModoEjecucion::prueba, "", false},
        CasoEntorno{{{"REBISCO_ENSAYO", "/tmp/e"}}, ModoEjecucion::ensayo, "/tmp/e", false},
        // Las dos: manda la prueba, con su carpeta.
        CasoEntorno{{{"REBISCO_DATOS", "/tmp/d"}, {"REBISCO_ENSAYO", "/tmp/e"}},
                    ModoEjecucion::prueba,
                    "/tmp/d",
                    false}));

TEST(Entorno, CarpetaDeDatosSegunElModo) {
    const auto ambas = Entorno::desde({{"REBISCO_DATOS", "/tmp/d"}, {"REBISCO_ENSAYO", "/tmp/e"}});
    EXPECT_EQ(rebisco::Preferencias::carpetaDatos(ambas), "/tmp/d");
    EXPECT_TRUE(ambas.esPrueba());

    const auto ensayo = Entorno::desde({{"REBISCO_ENSAYO", "/tmp/e"}});
    EXPECT_EQ(rebisco::Preferencias::carpetaDatos(ensayo), "/tmp/e");
    EXPECT_FALSE(ensayo.esPrueba());
    EXPECT_EQ(ensayo.modo, ModoEjecucion::ensayo);

    const auto ninguna = rebisco::Preferencias::carpetaDatos(Entorno{});
    EXPECT_EQ(ninguna.filename(), "rebisco");
    EXPECT_TRUE(ninguna.is_absolute());
}

TEST(Entorno, ModosConFinYApariencia) {
    const auto oscura = Entorno::desde({{"REBISCO_APARIENCIA", "oscura"}, {"REBISCO_CAPTURA", ""}});
    EXPECT_TRUE(oscura.aparienciaOscura);
    EXPECT_EQ(oscura.captura, "");
    EXPECT_TRUE(oscura.esModoConFin());
    // Con mayúscula o con espacios ya no es la palabra.
    for (const char* valor : {"Oscura", " oscura", "oscura "}) {
        EXPECT_FALSE(Entorno::desde({{"REBISCO_APARIENCIA", valor}}).aparienciaOscura) << valor;
    }
    const auto prueba =
        Entorno::desde({{"REBISCO_AUTOPRUEBA", "funcional"}, {"REBISCO_INFORME", "/tmp/i"}});
    EXPECT_EQ(prueba.autoprueba, "funcional");
    EXPECT_EQ(prueba.informe, "/tmp/i");
    EXPECT_TRUE(prueba.esModoConFin());
    EXPECT_FALSE(Entorno::desde({{"REBISCO_INFORME", "/tmp/i"}}).esModoConFin());
    EXPECT_TRUE(Entorno::desde({{"REBISCO_INSTANTANEA", "/tmp/f.png"}}).esModoConFin());
}

TEST(Entorno, EnsayoDentroDeUnaPruebaSeAnuncia) {
    const auto ambas = Entorno::desde({{"REBISCO_DATOS", "/tmp/d"}, {"REBISCO_ENSAYO", "/tmp/e"}});
    EXPECT_TRUE(ambas.esEnsayo());
    EXPECT_EQ(ambas.ensayo, "/tmp/e");
    EXPECT_FALSE(Entorno::desde({{"REBISCO_DATOS", "/tmp/d"}}).esEnsayo());
    EXPECT_TRUE(Entorno::desde({{"REBISCO_ENSAYO", ""}}).esEnsayo());
}

TEST(Entorno, TextosSinTocarYRutasRelativasDesdeLaCarpetaActual) {
    const auto entorno = Entorno::desde({{"REBISCO_PORTAPAPELES", " pruebas "},
                                         {"REBISCO_INSTANTANEA", ""},
                                         {"REBISCO_DATOS", "relativa/datos"}});
    EXPECT_EQ(entorno.portapapeles, " pruebas ");
    // Presente aunque vacía: cuenta como puesta.
    EXPECT_EQ(entorno.instantanea, "");
    EXPECT_EQ(*entorno.carpetaDatos, std::filesystem::current_path() / "relativa/datos");
}

} // namespace
