// La bandeja sin pantalla, sobre la plataforma en memoria: las entradas del menú y sus textos,
// que siguen al estado; lo que hace cada una; el icono y su nombre en pausa; el botón del
// encabezado donde no hay bandeja; "Acerca de rebisco".
#include "AyudasBandeja.h"
#include "AyudasUi.h"
#include "HistorialDeMuestra.h"

#include <ajustes/AjustesPrivacidad.h>
#include <bandeja/AcercaDe.h>
#include <bandeja/EtiquetaBarra.h>
#include <rebisco/AtajoGlobal.h>
#include <vista/Encabezado.h>
#include <vista/VistaHistorial.h>

#include <QApplication>
#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <QTranslator>

#include <gtest/gtest.h>

using namespace pruebas;
using Lineas = std::vector<std::string>;

namespace {

const std::string mostrar = "Mostrar el historial  Mayús+Súper+V";
// Lo que sigue a los recientes, con la pausa sin marcar.
const Lineas finalDelMenu = {"[ ] Pausar la captura", "—", "Ajustes…  <Ctrl+,>",
                             "Acerca de rebisco",     "—", "Salir de rebisco  <Ctrl+Q>"};

Lineas con(Lineas principio, const Lineas& fin = finalDelMenu) {
    principio.insert(principio.end(), fin.begin(), fin.end());
    return principio;
}

struct CasoMenu {
    const char* nombre;
    bool ensayo;
    int recortes; // "recorte 0", "recorte 1"… guardados en ese orden
    bool atajoOcupado;
    bool pausado;
    Lineas esperado;
};

void PrintTo(const CasoMenu& c, std::ostream* s) {
    *s << c.nombre;
}

class EntradasDelMenu : public testing::TestWithParam<CasoMenu> {};

// Todo lo que cambia se cambia con el menú ya hecho: las entradas lo siguen.
TEST_P(EntradasDelMenu, SonLasDelEstado) {
    const auto& caso = GetParam();
    BancoBandeja banco(caso.ensayo);
    plataforma::memoria::ServicioAtajosMemoria otraApp;
    rebisco::AtajoGlobal ajeno(otraApp);
    if (caso.atajoOcupado) {
        ASSERT_TRUE(ajeno.registrar(9, 768));
        banco.estado->registrarEnPruebas = true;
        banco.estado->registrarAtajo();
        ASSERT_TRUE(banco.estado->problemaAtajo());
    }
    banco.guardarVarios(caso.recortes);
    if (caso.pausado) banco.estado->ponerPausa(true);
    EXPECT_EQ(lineas(banco.menu()), caso.esperado);
}

INSTANTIATE_TEST_SUITE_P(
    Casos, EntradasDelMenu,
    testing::Values(CasoMenu{"historial_vacio", false, 0, false, false, con({mostrar, "—"})},
                    CasoMenu{"recientes_del_ultimo_al_primero", false, 3, false, false,
                             con({mostrar, "—", "recorte 2", "recorte 1", "recorte 0", "—"})},
                    CasoMenu{"a_lo_sumo_ocho", false, 10, false, false,
                             con({mostrar, "—", "recorte 9", "recorte 8", "recorte 7", "recorte 6",
                                  "recorte 5", "recorte 4", "recorte 3", "recorte 2", "—"})},
                    CasoMenu{"ensayo", true, 0, false, false,
                             con({"(Ensayo: al salir no queda nada guardado)", "—", mostrar, "—"})},
                    CasoMenu{"atajo_de_otra_app", false, 1, true, false,
                             con({"Mostrar el historial", "—", "recorte 0", "—"})},
                    CasoMenu{"en_pausa", false, 0, false, true,
                             con({mostrar, "—"},
                                 {"[x] Pausar la captura", "—", "Ajustes…  <Ctrl+,>",
                                  "Acerca de rebisco", "—", "Salir de rebisco  <Ctrl+Q>"})}),
    [](const auto& info) { return std::string(info.param.nombre); });

struct CasoTitulo {
    const char* nombre;
    nucleo::ClaseRecorte clase;
    std::string vista;
    std::string entrada; // el texto de la acción: "&&" se ve como "&"
};

void PrintTo(const CasoTitulo& c, std::ostream* s) {
    *s << c.nombre;
}

class TituloReciente : public testing::TestWithParam<CasoTitulo> {};

TEST_P(TituloReciente, PrimeraLineaYCincuentaCaracteres) {
    const auto& caso = GetParam();
    BancoBandeja banco;
    guardar(banco, Muestra{.clase = caso.clase, .vista = caso.vista});
    const auto l = lineas(banco.menu());
    ASSERT_EQ(l.size(), 10u);
    EXPECT_EQ(l[2], caso.entrada);
}

const std::string a49(49, 'a');
const std::string familia = "\U0001F468\u200D\U0001F469\u200D\U0001F467";
const std::string espana = "\U0001F1EA\U0001F1F8";

INSTANTIATE_TEST_SUITE_P(
    Casos, TituloReciente,
    testing::Values(
        CasoTitulo{"empieza_con_linea_vacia", nucleo::ClaseRecorte::texto,
                   "\n\nprimera línea\nsegunda", "primera línea"},
        CasoTitulo{"otros_saltos_de_linea", nucleo::ClaseRecorte::texto,
                   "\r\n\u2028\u0085\x0b\x0cuno\u2029dos", "uno"},
        CasoTitulo{"sesenta_caracteres", nucleo::ClaseRecorte::texto, std::string(60, 'x'),
                   std::string(50, 'x') + "…"},
        CasoTitulo{"cincuenta_caracteres", nucleo::ClaseRecorte::texto, std::string(50, 'x'),
                   std::string(50, 'x')},
        CasoTitulo{"el_corte_mira_solo_la_primera_linea", nucleo::ClaseRecorte::texto,
                   std::string(50, 'x') + "\n" + std::string(30, 'y'), std::string(50, 'x')},
        // Una letra con su acento combinado es un solo carácter: no se separan.
        CasoTitulo{"acento_combinado", nucleo::ClaseRecorte::texto, a49 + "e\u0301bc",
                   a49 + "e\u0301…"},
        // Cinco puntos de código y ocho unidades UTF-16, un solo carácter.
        CasoTitulo{"familia_de_emojis_en_el_limite", nucleo::ClaseRecorte::texto, a49 + familia,
                   a49 + familia},
        CasoTitulo{"bandera_tras_el_limite", nucleo::ClaseRecorte::texto, a49 + espana + espana,
                   a49 + espana + "…"},
        CasoTitulo{"ampersand", nucleo::ClaseRecorte::texto, "Tom & Jerry", "Tom && Jerry"},
        CasoTitulo{"imagen", nucleo::ClaseRecorte::imagen, "800 × 600", "Imagen de 800 × 600"}),
    [](const auto& info) { return std::string(info.param.nombre); });

// Hacia D-Bus, Qt cambia el primer "&" por "_" y el anfitrión lee "_" como marca y "__" como
// "_": el texto de la entrada lo prevé para que se vea tal cual.
TEST(MenuParaDbus, LosGuionesBajosYLosAmpersandSeVenTalCual) {
    BancoBandeja banco;
    guardar(banco, Muestra{.vista = "informe_final & anexo_2 & más.pdf"});
    rebisco::MenuBarra dbus(*banco.estado, *banco.control, {}, rebisco::MenuBarra::Destino::dbus);
    EXPECT_EQ(lineas(dbus)[2], "informe__final && anexo__2 & más.pdf");
    EXPECT_EQ(lineas(banco.menu())[2], "informe_final && anexo_2 && más.pdf");
}

// Marca cada texto con su tabla de traducción.
class MarcaTablas : public QTranslator {
public:
    QString translate(const char* contexto, const char* fuente, const char*, int) const override {
        return QStringLiteral("%1|%2").arg(QLatin1String(contexto), QString::fromUtf8(fuente));
    }
    bool isEmpty() const override { return false; }
};

TEST(TablasDelMenu, LasDelMenuEnMenuYElRestoEnLaDeSiempre) {
    MarcaTablas marcas;
    QCoreApplication::installTranslator(&marcas);
    {
        BancoBandeja banco(true, 1);
        const auto l = lineas(banco.menu());
        ASSERT_EQ(l.size(), 12u);
        EXPECT_EQ(l[0], "(Localizable|Ensayo: al salir no queda nada guardado)");
        EXPECT_TRUE(l[2].starts_with("Menu|Mostrar el historial  Localizable|Mayús")) << l[2];
        EXPECT_EQ(l[4], "recorte 0");
        EXPECT_EQ(l[6], "[ ] Menu|Pausar la captura");
        EXPECT_EQ(l[8], "Menu|Ajustes…  <Ctrl+,>");
        EXPECT_EQ(l[9], "Menu|Acerca de rebisco");
        EXPECT_EQ(l[11], "Menu|Salir de rebisco  <Ctrl+Q>");
        // El nombre del programa no se traduce; su estado en pausa, sí.
        auto& icono = banco.bandeja->etiqueta().icono();
        EXPECT_EQ(icono.toolTip(), "rebisco");
        banco.estado->ponerPausa(true);
        EXPECT_EQ(icono.toolTip(), "Localizable|rebisco, en pausa");
    }
    QCoreApplication::removeTranslator(&marcas);
}

class Bandeja : public testing::Test {
protected:
    BancoBandeja banco{false, 3};
    rebisco::EstadoApp& estado() { return *banco.estado; }

    void elegir(const QString& comienzo) {
        QAction* a = banco.entrada(comienzo);
        ASSERT_NE(a, nullptr) << comienzo.toStdString();
        a->trigger();
        // Lo que se rehízo se borra después de atender la entrada.
        QCoreApplication::processEvents();
    }
    rebisco::Encabezado& encabezado() {
        if (!banco.control->panel()) banco.control->mostrar();
        auto* vista = banco.control->panel()->findChild<rebisco::VistaHistorial*>();
        EXPECT_NE(vista, nullptr);
        return vista->encabezado();
    }
    // La opacidad en (10, 30) del icono a 36 × 36 píxeles: la del haz, que en pausa no está.
    double haz() {
        const QImage imagen =
            banco.bandeja->etiqueta().icono().icon().pixmap(QSize(36, 36)).toImage();
        EXPECT_EQ(imagen.size(), QSize(36, 36));
        return alfa(imagen, 10, 30);
    }
};

TEST_F(Bandeja, MostrarElHistorialAbreYCierraElPanel) {
    elegir("Mostrar el historial");
    EXPECT_TRUE(banco.control->visible());
    elegir("Mostrar el historial");
    EXPECT_FALSE(banco.control->visible());
    elegir("Mostrar el historial");
    EXPECT_TRUE(banco.control->visible());
}

TEST_F(Bandeja, UnRecienteSePegaYSubeAlPrincipio) {
    banco.control->mostrar();
    elegir("recorte 1");
    EXPECT_EQ(banco.portapapeles().texto(), "recorte 1");
    EXPECT_FALSE(banco.control->visible());
    const auto l = lineas(banco.menu());
    EXPECT_EQ(Lineas(l.begin() + 2, l.begin() + 5),
              (Lineas{"recorte 1", "recorte 2", "recorte 0"}));
}

TEST_F(Bandeja, LoQueSeCopiaLlegaAlMenu) {
    banco.copiar("recién copiado");
    EXPECT_EQ(lineas(banco.menu())[2], "recién copiado");
}

TEST_F(Bandeja, OtroAtajoCambiaLaPrimeraEntrada) {
    estado().cambiarAtajo(11, 4096 | 2048); // Ctrl+Alt en la posición de la B
    EXPECT_EQ(lineas(banco.menu())[0], "Mostrar el historial  Ctrl+Alt+B");
}

TEST_F(Bandeja, LaPausaCambiaLaMarcaElIconoYElNombreIdaYVuelta) {
    ASSERT_GT(haz(), 0.15);
    for (const bool pausa : {true, false, true}) {
        elegir("Pausar la captura");
        EXPECT_EQ(estado().pausado(), pausa);
        EXPECT_EQ(banco.preferencias.boolean(rebisco::Preferencias::pausado), pausa);
        EXPECT_EQ(banco.entrada("Pausar la captura")->isChecked(), pausa);
        const char* nombre = pausa ? "rebisco, en pausa" : "rebisco";
        EXPECT_EQ(banco.bandeja->etiqueta().icono().toolTip(), nombre);
        EXPECT_EQ(encabezado().menu().accessibleName(), nombre);
        if (pausa) {
            EXPECT_LT(haz(), 0.02);
        } else {
            EXPECT_GT(haz(), 0.15);
            EXPECT_LT(haz(), 0.5);
        }
    }
    // Desde los ajustes, lo mismo.
    estado().ponerPausa(false);
    EXPECT_FALSE(banco.entrada("Pausar la captura")->isChecked());
    EXPECT_EQ(banco.bandeja->etiqueta().icono().toolTip(), "rebisco");
}

// La plantilla se tiñe con el texto del tema, también si el tema cambia mientras corre.
TEST_F(Bandeja, ElIconoSigueAlTextoDelTema) {
    const QPalette antes = QApplication::palette();
    auto nave = [&] {
        return banco.bandeja->etiqueta()
            .icono()
            .icon()
            .pixmap(QSize(36, 36))
            .toImage()
            .pixelColor(18, 9);
    };
    for (const auto& [texto, claro] :
         {std::pair{QColor(Qt::white), true}, {QColor(Qt::black), false}}) {
        QPalette paleta = antes;
        paleta.setColor(QPalette::WindowText, texto);
        QApplication::setPalette(paleta);
        EXPECT_GT(nave().alphaF(), 0.9);
        if (claro)
            EXPECT_GT(nave().lightnessF(), 0.9);
        else
            EXPECT_LT(nave().lightnessF(), 0.1);
    }
    QApplication::setPalette(antes);
}

TEST_F(Bandeja, AjustesYSalirLlamanASusFunciones) {
    elegir("Ajustes…");
    EXPECT_EQ(banco.ajustes, 1);
    // Las teclas y los avisos del panel abren los ajustes como el menú.
    banco.control->abrirAjustes();
    EXPECT_EQ(banco.ajustes, 2);
    EXPECT_EQ(banco.salidas, 0);
    elegir("Salir de rebisco");
    EXPECT_EQ(banco.salidas, 1);
    EXPECT_EQ(banco.ajustes, 2);
}

TEST_F(Bandeja, AcercaDeDiceNombreVersionYDondeSeGuarda) {
    EXPECT_EQ(banco.bandeja->acercaDe(), nullptr);
    elegir("Acerca de rebisco");
    auto* dialogo = banco.bandeja->acercaDe();
    ASSERT_NE(dialogo, nullptr);
    EXPECT_TRUE(dialogo->isVisible());
    EXPECT_EQ(dialogo->windowTitle(), "Acerca de rebisco");
    EXPECT_EQ(dialogo->nombre().text(), "rebisco");
    EXPECT_EQ(dialogo->textoVersion().text(), "Versión " VERSION_PROYECTO);
    const auto carpeta = QString::fromStdString(banco.carpeta.ruta().string());
    EXPECT_EQ(dialogo->privacidad().text(),
              "El historial se guarda solo en este equipo, en " + carpeta +
                  ", sin cifrado propio. rebisco no envía nada por la red.");
    rebisco::AjustesPrivacidad privacidad(estado());
    EXPECT_EQ(dialogo->privacidad().text(), privacidad.pieDatos().text());

    dialogo->cerrar().click();
    EXPECT_FALSE(dialogo->isVisible());
    elegir("Acerca de rebisco");
    EXPECT_EQ(banco.bandeja->acercaDe(), dialogo);
    EXPECT_TRUE(dialogo->isVisible());
}

// Con el menú abierto, las combinaciones que muestra hacen lo mismo que sus entradas.
TEST_F(Bandeja, LasCombinacionesDelMenuValenConElMenuAbierto) {
    banco.menu().popup(QPoint(0, 0));
    QTest::keyClick(&banco.menu(), Qt::Key_Comma, Qt::ControlModifier);
    EXPECT_EQ(banco.ajustes, 1);
    EXPECT_FALSE(banco.menu().isVisible());
    banco.menu().popup(QPoint(0, 0));
    QTest::keyClick(&banco.menu(), Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(banco.salidas, 1);
    EXPECT_EQ(banco.ajustes, 1);
}

TEST_F(Bandeja, ElClicPrincipalAbreElMismoMenu) {
    ASSERT_FALSE(banco.menu().isVisible());
    emit banco.bandeja->etiqueta().icono().activated(QSystemTrayIcon::Trigger);
    EXPECT_TRUE(banco.menu().isVisible());
    banco.menu().hide();
    EXPECT_EQ(banco.bandeja->etiqueta().icono().contextMenu(), &banco.menu());
}

// Sin bandeja (sin pantalla no la hay), el menú está en el encabezado del panel.
TEST_F(Bandeja, SinBandejaElEncabezadoTieneElMenu) {
    ASSERT_FALSE(banco.bandeja->enBandeja());
    auto& boton = encabezado().menu();
    EXPECT_TRUE(boton.isVisibleTo(banco.control->panel()));
    EXPECT_EQ(encabezado().menuDelBoton(), &banco.menu());
    EXPECT_EQ(boton.accessibleName(), "rebisco");
    EXPECT_FALSE(boton.icon().isNull());
    boton.click();
    EXPECT_TRUE(banco.menu().isVisible());
    banco.menu().hide();

    banco.bandeja.reset();
    EXPECT_FALSE(boton.isVisibleTo(banco.control->panel()));
    EXPECT_EQ(encabezado().menuDelBoton(), nullptr);
}

} // namespace
