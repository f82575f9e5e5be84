#include <rebisco/AppsExcluidas.h>

#include <gtest/gtest.h>

namespace {

namespace A = rebisco::AppsExcluidas;

struct CasoAnadir {
    const char* nombre;
    QString guardada;
    std::vector<std::string> nuevas;
    QString resultado;
};

class Anadir : public testing::TestWithParam<CasoAnadir> {};

TEST_P(Anadir, NormalizaYNoRepite) {
    EXPECT_EQ(A::anadir(GetParam().guardada, GetParam().nuevas), GetParam().resultado);
}

INSTANTIATE_TEST_SUITE_P(
    AppsExcluidas, Anadir,
    testing::Values(
        CasoAnadir{"aLaListaVacia", "", {"org.xfce.mousepad"}, "org.xfce.mousepad"},
        CasoAnadir{"dosEnElOrdenDado", "a", {"c", "b"}, "a\nc\nb"},
        CasoAnadir{"laMismaDosVeces", "a", {"b", "b", "a"}, "a\nb"},
        CasoAnadir{"comparacionExacta", "Mousepad", {"mousepad"}, "Mousepad\nmousepad"},
        CasoAnadir{"blancosYLineasVaciasDesaparecen", "  a \n\n\tb\r\n\u2028", {"c"}, "a\nb\nc"},
        CasoAnadir{"sinNadaQueAnadirSoloNormaliza", " a \n", {}, "a"}),
    [](const auto& info) { return std::string(info.param.nombre); });

struct CasoQuitar {
    const char* nombre;
    QString guardada;
    std::optional<std::string> elegida;
    QString resultado;
};

class Quitar : public testing::TestWithParam<CasoQuitar> {};

TEST_P(Quitar, QuitaSoloLaElegidaYConservaElOrden) {
    EXPECT_EQ(A::quitar(GetParam().guardada, GetParam().elegida), GetParam().resultado);
}

INSTANTIATE_TEST_SUITE_P(
    AppsExcluidas, Quitar,
    testing::Values(CasoQuitar{"laDelMedio", "a\nb\nc", "b", "a\nc"},
                    CasoQuitar{"laUltimaDejaLaListaVacia", "a", "a", ""},
                    CasoQuitar{"sinElegidaSoloNormaliza", " a\n\n b ", std::nullopt, "a\nb"},
                    CasoQuitar{"unaQueYaNoEstaNoQuitaNada", "a\nb", "z", "a\nb"},
                    CasoQuitar{"repetidasSeVanTodas", "a\nb\na", "a", "b"}),
    [](const auto& info) { return std::string(info.param.nombre); });

} // namespace
