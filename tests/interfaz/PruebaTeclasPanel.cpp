// El reparto de las teclas del panel, sin ventanas: qué pulsación se queda y con qué orden.
#include "AyudasPanel.h"

#include <panel/TeclasPanel.h>

#include <plataforma/Memoria.h>

#include <gtest/gtest.h>

namespace {

using namespace rebisco::TeclasPanel;
namespace M = plataforma::Modificador;

constexpr int cmd = M::comando, may = M::mayusculas, opc = M::opcion, ctl = M::control;
// Bloq Mayús, Fn y el teclado numérico no cuentan.
constexpr int ajenos = 0x10000 | 0x800000 | 0x200000;

struct Caso {
    const char* nombre;
    Pulsacion pulsacion;
    std::optional<Decision> esperado;
};

void PrintTo(const Caso& caso, std::ostream* salida) {
    *salida << caso.nombre;
}

class Reparto : public testing::TestWithParam<Caso> {};

TEST_P(Reparto, DecideComoLaTabla) {
    EXPECT_EQ(decidir(GetParam().pulsacion), GetParam().esperado);
}

const Decision elegir{Orden::elegir}, sinFormato{Orden::elegirSinFormato};

INSTANTIATE_TEST_SUITE_P(
    Teclas, Reparto,
    testing::Values(
        Caso{"retorno", {36, 0, "\r"}, elegir}, Caso{"intro", {76, 0, "\x03"}, elegir},
        Caso{"retorno_con_comando_elige_con_formato", {36, cmd, "\r"}, elegir},
        Caso{"mayus_retorno_sin_formato", {36, may, "\r"}, sinFormato},
        Caso{"mayus_comando_intro_sin_formato", {76, may | cmd, ""}, sinFormato},
        Caso{"escape_con_lo_que_sea", {53, opc | ctl, ""}, Decision{Orden::escape}},
        Caso{"abajo", {125, 0, ""}, Decision{Orden::bajar}},
        Caso{"arriba_con_mayus", {126, may, ""}, Decision{Orden::subir}},
        Caso{"borrar_solo_comando", {51, cmd, "\b"}, Decision{Orden::eliminar}},
        Caso{"borrar_con_bloqueos_sigue_siendo_solo_comando",
             {51, cmd | ajenos, "\b"},
             Decision{Orden::eliminar}},
        Caso{"borrar_sin_comando_es_del_campo", {51, 0, "\b"}, std::nullopt},
        Caso{"borrar_comando_y_mayus_es_del_campo", {51, cmd | may, "\b"}, std::nullopt},
        Caso{"comando_1", {18, cmd, "1"}, Decision{Orden::rapida, 1}},
        Caso{"comando_9", {25, cmd, "9"}, Decision{Orden::rapida, 9}},
        Caso{"comando_0_no_es_del_panel", {29, cmd, "0"}, std::nullopt},
        Caso{"cifra_sin_comando_se_escribe", {20, 0, "3"}, std::nullopt},
        Caso{"cifra_con_comando_y_opcion_se_escribe", {20, cmd | opc, "3"}, std::nullopt},
        // Una fila de números que escribe otros signos sin mayúsculas (AZERTY).
        Caso{"fila_de_numeros_que_no_escribe_cifras", {20, cmd, "\""}, Decision{Orden::rapida, 3}},
        Caso{"fila_de_numeros_5_y_6_cruzados", {22, cmd, "-"}, Decision{Orden::rapida, 6}},
        // Lo que escribe la tecla manda sobre su posición.
        Caso{"cifra_en_otra_posicion", {0, cmd, "7"}, Decision{Orden::rapida, 7}},
        Caso{"cifra_no_ascii_no_es_numero", {12, cmd, "\u0663"}, std::nullopt},
        Caso{"p_fija", {35, cmd, "p"}, Decision{Orden::fijar}},
        Caso{"coma_ajustes", {43, cmd, ","}, Decision{Orden::ajustes}},
        Caso{"w_cierra", {13, cmd, "w"}, Decision{Orden::cerrar}},
        Caso{"a_selecciona", {0, cmd, "a"}, Decision{Orden::seleccionarTodo}},
        Caso{"x_corta", {7, cmd, "x"}, Decision{Orden::cortar}},
        Caso{"v_pega_en_el_campo", {9, cmd, "v"}, Decision{Orden::pegarEnCampo}},
        Caso{"z_deshace", {6, cmd, "z"}, Decision{Orden::deshacer}},
        Caso{"c_copia", {8, cmd, "c"}, Decision{Orden::copiar}},
        // En Dvorak la letra es la que la distribución pone en la tecla.
        Caso{"letra_por_lo_que_escribe", {31, cmd, "w"}, Decision{Orden::cerrar}},
        Caso{"mayus_comando_z_rehace", {6, cmd | may, "z"}, Decision{Orden::rehacer}},
        Caso{"mayus_comando_p_no", {35, cmd | may, "p"}, std::nullopt},
        Caso{"comando_otra_letra_no", {1, cmd, "s"}, std::nullopt},
        Caso{"letra_sola_se_escribe", {35, 0, "p"}, std::nullopt},
        Caso{"control_mac_no_es_comando", {35, ctl, "p"}, std::nullopt},
        Caso{"opcion_letra_se_escribe", {8, opc, "c"}, std::nullopt},
        Caso{"izquierda_derecha_inicio_fin_tab", {123, 0, ""}, std::nullopt},
        Caso{"tab", {48, 0, "\t"}, std::nullopt},
        Caso{"sin_codigo_ni_caracteres", {-1, cmd, ""}, std::nullopt}),
    [](const auto& info) { return std::string(info.param.nombre); });

TEST(FilaDeNumeros, SoloLasNueveTeclasDeLaFila) {
    const std::map<int, int> fila{{18, 1}, {19, 2}, {20, 3}, {21, 4}, {23, 5},
                                  {22, 6}, {26, 7}, {28, 8}, {25, 9}};
    for (int codigo = -1; codigo < 130; ++codigo) {
        const auto i = fila.find(codigo);
        EXPECT_EQ(numeroDeTecla(codigo),
                  i == fila.end() ? std::nullopt : std::optional<int>(i->second))
            << codigo;
    }
}

// De un evento de Qt a la pulsación, con la distribución de la plataforma.
struct CasoLectura {
    const char* nombre;
    pruebas::Tecla tecla;
    Pulsacion esperada;
};

void PrintTo(const CasoLectura& caso, std::ostream* salida) {
    *salida << caso.nombre;
}

class Lectura : public testing::TestWithParam<CasoLectura> {};

TEST_P(Lectura, TomaPosicionModificadoresYCaracter) {
    plataforma::memoria::TecladoMemoria teclado;
    auto distribucion = plataforma::memoria::TecladoMemoria::distribucionEstadounidense();
    distribucion[20] = "\""; // el 3 de AZERTY
    distribucion[31] = "W";
    teclado.ponerDistribucion(distribucion);
    const auto e = pruebas::evento(GetParam().tecla);
    EXPECT_EQ(leer(e, teclado), GetParam().esperada);
}

INSTANTIATE_TEST_SUITE_P(
    Eventos, Lectura,
    testing::Values(
        CasoLectura{"ctrl_es_comando", {35, Qt::Key_P, Qt::ControlModifier}, {35, cmd, "p"}},
        CasoLectura{"super_es_comando", {35, Qt::Key_P, Qt::MetaModifier}, {35, cmd, "p"}},
        CasoLectura{"ctrl_y_super_a_la_vez",
                    {35, Qt::Key_P, Qt::ControlModifier | Qt::MetaModifier},
                    {35, cmd, "p"}},
        CasoLectura{"mayus_y_alt",
                    {35, Qt::Key_P, Qt::ShiftModifier | Qt::AltModifier, "P"},
                    {35, may | opc, "p"}},
        CasoLectura{
            "teclado_numerico_no_cuenta", {76, Qt::Key_Enter, Qt::KeypadModifier}, {76, 0, "\x03"}},
        CasoLectura{"lo_que_escribe_sin_modificadores",
                    {20, Qt::Key_3, Qt::ControlModifier},
                    {20, cmd, "\""}},
        CasoLectura{"en_minusculas", {31, Qt::Key_W, Qt::ControlModifier}, {31, cmd, "w"}},
        // Sin código nativo: las teclas del panel por la tecla de Qt, el carácter también.
        CasoLectura{"sin_codigo_retorno", {0, Qt::Key_Return}, {36, 0, "\r"}},
        CasoLectura{"sin_codigo_escape", {0, Qt::Key_Escape}, {53, 0, "\x1b"}},
        CasoLectura{"sin_codigo_letra", {0, Qt::Key_A, Qt::ControlModifier}, {-1, cmd, "a"}},
        CasoLectura{"sin_codigo_ni_tecla_conocida", {0, Qt::Key_F5}, {-1, 0, ""}}),
    [](const auto& info) { return std::string(info.param.nombre); });

} // namespace
