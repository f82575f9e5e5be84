#include "Ayudas.h"

#include <gtest/gtest.h>

using namespace nucleo;

struct CasoPlegado {
    std::string entrada;
    std::string plegada;
};

class Plegado : public testing::TestWithParam<CasoPlegado> {};

TEST_P(Plegado, Normaliza) {
    EXPECT_EQ(Busqueda::normalizar(GetParam().entrada), GetParam().plegada);
}

INSTANTIATE_TEST_SUITE_P(
    Busqueda, Plegado,
    testing::Values(CasoPlegado{"Árbol CAFÉ", "arbol cafe"}, CasoPlegado{"ÑANDÚ", "nandu"},
                    CasoPlegado{"Ｆｕｌｌ　ｗｉｄｔｈ１", "full width1"},
                    CasoPlegado{"ｶﾞｷﾞ", "カキ"}, CasoPlegado{"ガ", "カ"},
                    // Sin otros plegados de compatibilidad: ligaduras y superíndices quedan.
                    CasoPlegado{"ﬁ x²", "ﬁ x²"},
                    // Independiente del idioma: la I turca no cambia las reglas.
                    CasoPlegado{"İstanbul ISTANBUL", "istanbul istanbul"},
                    CasoPlegado{"ΟΔΟΣ οδος", "οδοσ οδοσ"}, CasoPlegado{"Straße", "straße"},
                    CasoPlegado{"ÅNGSTRÖM \u212B", "angstrom a"}, CasoPlegado{"", ""},
                    CasoPlegado{"ya normal", "ya normal"}));

TEST(Busqueda, TerminosPartenPorEspaciosUnicode) {
    EXPECT_EQ(Busqueda::terminos("  Hola\u00a0MUNDO\t\u3000café \n"),
              (std::vector<std::string>{"hola", "mundo", "cafe"}));
    EXPECT_TRUE(Busqueda::terminos(" \t\u2003 ").empty());
    EXPECT_TRUE(Busqueda::terminos("").empty());
}

TEST(Busqueda, PatronEscapaComodines) {
    EXPECT_EQ(Busqueda::patron("a%b_c\\d"), "%a\\%b\\_c\\\\d%");
    EXPECT_EQ(Busqueda::patron(""), "%%");
}
