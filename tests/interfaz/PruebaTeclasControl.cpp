// Las teclas del panel de punta a punta: entregadas a la ventana como las entrega Qt, sobre
// un historial en memoria de tres recortes («recorte 2» arriba).
#include "AyudasPanel.h"

#include <panel/CampoBusqueda.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethodEvent>

#include <gtest/gtest.h>

using namespace pruebas;

namespace {

Tecla borrar(Qt::KeyboardModifiers m = Qt::NoModifier) {
    return {51, Qt::Key_Backspace, m, m ? QString() : QStringLiteral("\b")};
}

struct Esperado {
    bool visible = true;
    int seleccion = 0;
    std::string portapapeles = "";
    QString busqueda = "";
    std::size_t filas = 3;
    std::string primera = "recorte 2";
    bool primeraFijada = false;
    std::optional<QString> aviso = std::nullopt;
    QString campo = "";
    int ajustes = 0;
};

struct Caso {
    const char* nombre;
    std::vector<Tecla> teclas;
    Esperado esperado;
};

void PrintTo(const Caso& caso, std::ostream* salida) {
    *salida << caso.nombre;
}

class Teclas : public testing::TestWithParam<Caso> {
protected:
    void SetUp() override {
        QGuiApplication::clipboard()->clear();
        banco.control->abrirAjustes = [this] { ++ajustes; };
        banco.mostrar();
    }
    rebisco::CampoBusqueda& campo() { return *banco.panel().findChild<rebisco::CampoBusqueda*>(); }

    BancoPanel banco;
    int ajustes = 0;
};

TEST_P(Teclas, HacenLoQueDiceLaTabla) {
    for (const auto& tecla : GetParam().teclas)
        banco.pulsar(tecla);
    const auto& e = GetParam().esperado;
    const auto& estado = *banco.estado;
    EXPECT_EQ(banco.control->visible(), e.visible);
    EXPECT_EQ(banco.posicionSeleccion(), e.seleccion);
    EXPECT_EQ(banco.enElPortapapeles(), e.portapapeles);
    EXPECT_EQ(estado.busqueda(), e.busqueda);
    ASSERT_EQ(estado.recortes().size(), e.filas);
    EXPECT_EQ(estado.recortes().front().vista, e.primera);
    EXPECT_EQ(estado.recortes().front().fijado, e.primeraFijada);
    EXPECT_EQ(estado.aviso(), e.aviso);
    EXPECT_EQ(campo().text(), e.campo);
    EXPECT_EQ(ajustes, e.ajustes);
}

INSTANTIATE_TEST_SUITE_P(
    Tabla, Teclas,
    testing::Values(
        Caso{"retorno_elige_el_seleccionado",
             {abajo(), retorno()},
             {.visible = false, .portapapeles = "recorte 1", .primera = "recorte 1"}},
        Caso{"mayus_retorno_elige_sin_formato",
             {retorno(Qt::ShiftModifier)},
             {.visible = false, .portapapeles = "recorte 2"}},
        Caso{"intro_del_teclado_numerico",
             {abajo(), abajo(), Tecla{76, Qt::Key_Enter, Qt::KeypadModifier, "\r"}},
             {.visible = false, .portapapeles = "recorte 0", .primera = "recorte 0"}},
        Caso{"ctrl_2_elige_la_segunda",
             {conCtrl('2')},
             // La selección se queda en la que tenía: ahora la segunda.
             {.visible = false,
              .seleccion = 1,
              .portapapeles = "recorte 1",
              .primera = "recorte 1"}},
        Caso{"super_3_elige_la_tercera",
             {letra('3', Qt::MetaModifier)},
             {.visible = false,
              .seleccion = 1,
              .portapapeles = "recorte 0",
              .primera = "recorte 0"}},
        Caso{"ctrl_4_mas_alla_de_la_lista_no_hace_nada", {conCtrl('4')}, {}},
        Caso{"ctrl_0_es_del_campo", {conCtrl('0')}, {}},
        Caso{"las_letras_van_al_campo_y_filtran",
             {letra('1')},
             {.busqueda = "1", .filas = 1, .primera = "recorte 1", .campo = "1"}},
        Caso{"escape_con_busqueda_la_vacia_y_sigue_abierto", {letra('1'), escape()}, {}},
        Caso{"segundo_escape_cierra", {letra('1'), escape(), escape()}, {.visible = false}},
        Caso{"abajo_se_para_en_la_ultima", {abajo(), abajo(), abajo(), abajo()}, {.seleccion = 2}},
        Caso{"arriba_en_la_primera_se_queda", {arriba()}, {}},
        Caso{"abajo_y_arriba", {abajo(), abajo(), arriba()}, {.seleccion = 1}},
        Caso{"ctrl_p_fija_y_la_sube_con_la_seleccion",
             {abajo(), conCtrl('p')},
             {.primera = "recorte 1", .primeraFijada = true}},
        Caso{"ctrl_p_otra_vez_la_suelta", {abajo(), conCtrl('p'), conCtrl('p')}, {.seleccion = 1}},
        Caso{"ctrl_borrar_elimina_y_pasa_a_la_vecina",
             {abajo(), borrar(Qt::ControlModifier)},
             {.seleccion = 1, .filas = 2}},
        Caso{"borrar_sin_ctrl_borra_en_el_campo", {letra('1'), borrar()}, {.campo = ""}},
        Caso{"mayus_ctrl_borrar_no_elimina", {borrar(Qt::ControlModifier | Qt::ShiftModifier)}, {}},
        Caso{"ctrl_w_cierra", {conCtrl('w')}, {.visible = false}},
        Caso{"ctrl_coma_cierra_y_abre_los_ajustes",
             {conCtrl(',')},
             {.visible = false, .ajustes = 1}},
        Caso{"ctrl_c_sin_texto_seleccionado_copia_la_entrada",
             {abajo(), conCtrl('c')},
             {.seleccion = 0,
              .portapapeles = "recorte 1",
              .primera = "recorte 1",
              .aviso = "Copiado al portapapeles"}},
        Caso{"ctrl_a_y_ctrl_c_copian_el_texto_del_campo",
             {letra('r'), conCtrl('a'), conCtrl('c')},
             {.busqueda = "r", .campo = "r"}},
        Caso{"ctrl_a_y_ctrl_x_cortan_el_campo",
             {letra('1'), conCtrl('a'), conCtrl('x')},
             {.campo = ""}},
        Caso{"ctrl_z_deshace_en_el_campo", {letra('1'), conCtrl('z')}, {.campo = ""}},
        Caso{"ctrl_mayus_z_rehace",
             {letra('1'), conCtrl('z'), letra('z', Qt::ControlModifier | Qt::ShiftModifier)},
             {.busqueda = "1", .filas = 1, .primera = "recorte 1", .campo = "1"}},
        Caso{"ctrl_con_otra_letra_no_es_del_panel", {conCtrl('s')}, {}}),
    [](const auto& info) { return std::string(info.param.nombre); });

// Con el campo y el portapapeles del sistema de por medio.
class TeclasDelCampo : public Teclas {};

TEST_F(TeclasDelCampo, CtrlCConTextoSeleccionadoLoCopiaYElPanelSigue) {
    banco.pulsar(letra('r'));
    banco.pulsar(conCtrl('a'));
    EXPECT_EQ(campo().selectedText(), "r");
    banco.pulsar(conCtrl('c'));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "r");
    EXPECT_EQ(banco.enElPortapapeles(), "");
    EXPECT_TRUE(banco.control->visible());
}

TEST_F(TeclasDelCampo, CtrlVPegaEnElCampoNoEnLaOtraAplicacion) {
    QGuiApplication::clipboard()->setText("recorte 0");
    banco.pulsar(conCtrl('v'));
    EXPECT_EQ(campo().text(), "recorte 0");
    EXPECT_EQ(banco.estado->busqueda(), "recorte 0");
    EXPECT_TRUE(banco.control->visible());
}

TEST_F(TeclasDelCampo, MientrasUnMetodoDeEntradaComponeNingunaTeclaEsDelPanel) {
    QInputMethodEvent compone(QStringLiteral("´"), {});
    QCoreApplication::sendEvent(&campo(), &compone);
    for (const auto& tecla : {retorno(), escape(), abajo(), conCtrl('2'), conCtrl('w')})
        banco.pulsar(tecla);
    EXPECT_TRUE(banco.control->visible());
    EXPECT_EQ(banco.enElPortapapeles(), "");
    EXPECT_EQ(banco.posicionSeleccion(), 0);

    QInputMethodEvent termina;
    termina.setCommitString(QStringLiteral("é"));
    QCoreApplication::sendEvent(&campo(), &termina);
    banco.pulsar(retorno());
    EXPECT_FALSE(banco.control->visible());
    EXPECT_EQ(banco.enElPortapapeles(), "recorte 2");
}

TEST_F(TeclasDelCampo, TrasUnaTeclaMuertaLaSiguienteEsDeLaComposicion) {
    banco.pulsar(Tecla{39, Qt::Key_Dead_Acute});
    banco.pulsar(escape());
    EXPECT_TRUE(banco.control->visible());
    // Ya compuesta, el panel vuelve a tomar sus teclas.
    banco.pulsar(escape());
    EXPECT_FALSE(banco.control->visible());
}

TEST(TeclasSinSeleccion, SeConsumenYNoHacenNada) {
    BancoPanel banco(0);
    banco.mostrar();
    for (const auto& tecla : {retorno(), Tecla{51, Qt::Key_Backspace, Qt::ControlModifier},
                              conCtrl('p'), conCtrl('c'), conCtrl('1'), abajo()})
        banco.pulsar(tecla);
    EXPECT_TRUE(banco.control->visible());
    EXPECT_EQ(banco.enElPortapapeles(), "");
    EXPECT_FALSE(banco.estado->aviso());
}

} // namespace
