// La vista del historial dentro del panel, sobre la plataforma en memoria y sin pantalla: las
// filas, el pie, el vacío, la accesibilidad, el menú, la barra superpuesta, la lista que sigue
// al historial sin saltos y las entradas malas.
#include "AyudasPanel.h"
#include "AyudasUi.h"
#include "HistorialDeMuestra.h"

#include <interfaz/Marca.h>
#include <panel/CampoBusqueda.h>
#include <rebisco/AtajoGlobal.h>
#include <vista/AccesoFilas.h>
#include <vista/BarraSuperpuesta.h>
#include <vista/DelegadoFila.h>
#include <vista/ListaHistorial.h>
#include <vista/ModeloRecortes.h>
#include <vista/Pie.h>
#include <vista/SinContenido.h>
#include <vista/VistaHistorial.h>

#include <QAbstractItemModelTester>
#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace pruebas;
using namespace std::chrono_literals;
using rebisco::ListaHistorial;
using rebisco::VistaHistorial;

namespace {

class Vista : public testing::Test {
protected:
    explicit Vista(int recortes = 3)
        : banco(recortes) {}

    VistaHistorial& vista() {
        if (!banco.control->panel()) banco.mostrar();
        auto* v = banco.panel().findChild<VistaHistorial*>();
        EXPECT_NE(v, nullptr);
        return *v;
    }
    ListaHistorial& lista() { return vista().lista(); }
    rebisco::ModeloRecortes& modelo() { return lista().modelo(); }
    rebisco::EstadoApp& estado() { return *banco.estado; }

    // La disposición de una fila en el ancho de la lista.
    rebisco::DelegadoFila::Disposicion disposicion(int fila) {
        const auto* r = modelo().recorte(fila);
        EXPECT_NE(r, nullptr);
        return lista().delegado().disponer(*r, fila, QRectF(0, 0, lista().viewport()->width(), 0),
                                           lista().font());
    }
    QString titulo(int fila) {
        return modelo().data(modelo().index(fila), Qt::DisplayRole).toString();
    }
    // Los ids visibles, de arriba abajo.
    std::int64_t primeraVisible() {
        const auto* r = modelo().recorte(lista().indexAt(QPoint(20, 2)));
        return r ? r->id : -1;
    }

    BancoPanel banco;
};

class VistaLarga : public Vista {
protected:
    VistaLarga()
        : Vista(60) {}
};

TEST_F(Vista, LasFilasSonLaListaDelEstadoConSusPistas) {
    banco.guardarVarios(9, "más ");
    ASSERT_EQ(modelo().rowCount(), 12);
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(titulo(i).toStdString(), estado().recortes()[static_cast<std::size_t>(i)].vista);
        const auto d = disposicion(i);
        EXPECT_EQ(d.textoAtajo, i <= 8 ? QStringLiteral("Ctrl+%1").arg(i + 1) : QString()) << i;
    }
}

TEST_F(Vista, ElDetalleDiceAppEdadYTamano) {
    guardar(banco, {.vista = "de una app", .appId = "org.ejemplo.Nada", .appNombre = "Ejemplo"},
            30s);
    guardar(banco, {.vista = "sin app"}, 7200s);
    guardar(banco, {.vista = "gordo", .relleno = 1'500'000}, 0s);
    auto& delegado = lista().delegado();
    auto detalle = [&](const char* vista) {
        for (const auto& r : estado().recortes())
            if (r.vista == vista) return delegado.detalle(r);
        return QString();
    };
    EXPECT_EQ(detalle("de una app"), "Ejemplo · ahora · 10 bytes");
    EXPECT_EQ(detalle("sin app"), "hace 2 h · 7 bytes");
    EXPECT_TRUE(detalle("gordo").endsWith(" · 1,5 MB")) << detalle("gordo").toStdString();
}

// La fila elegida va en el acento del tema de la aplicación, también con la paleta de fábrica
// (la lista tiene el fondo transparente y no sirve para saber si el tema es oscuro).
TEST(VistaTema, LaFilaElegidaVaEnElAcentoDelTema) {
    const QPalette original = QApplication::palette();
    QPalette oscura = original;
    oscura.setColor(QPalette::Window, QColor(36, 36, 40));
    oscura.setColor(QPalette::Base, QColor(30, 30, 34));
    for (auto rol : {QPalette::WindowText, QPalette::Text})
        oscura.setColor(rol, QColor(236, 236, 240));
    for (const bool esOscuro : {false, true}) {
        SCOPED_TRACE(esOscuro ? "oscuro" : "claro");
        QApplication::setPalette(esOscuro ? oscura : original);
        {
            BancoPanel banco;
            banco.mostrar();
            auto& lista = banco.panel().findChild<VistaHistorial*>()->lista();
            const int fila = banco.posicionSeleccion();
            ASSERT_GE(fila, 0);
            const QRect caja = lista.visualRect(lista.modelo().index(fila));
            const QImage imagen = lista.viewport()->grab(caja).toImage();
            int enAcento = 0;
            for (int y = 0; y < imagen.height(); ++y)
                for (int x = 0; x < imagen.width(); ++x)
                    enAcento +=
                        parecido(imagen.pixelColor(x, y), rebisco::Marca::acento(esOscuro), 6);
            EXPECT_GT(enAcento, imagen.width() * imagen.height() / 3);
        }
        QApplication::setPalette(original);
    }
}

struct CasoPie {
    const char* nombre;
    int recortes;
    const char* busqueda;
    const char* esperado;
};

void PrintTo(const CasoPie& c, std::ostream* s) {
    *s << c.nombre;
}

class PieDeLaVista : public testing::TestWithParam<CasoPie> {};

TEST_P(PieDeLaVista, CuentaRecortesOResultados) {
    BancoPanel banco(GetParam().recortes);
    banco.mostrar();
    auto* vista = banco.panel().findChild<VistaHistorial*>();
    ASSERT_NE(vista, nullptr);
    banco.estado->buscar(GetParam().busqueda, false);
    EXPECT_EQ(vista->pie().texto(), GetParam().esperado);
}

INSTANTIATE_TEST_SUITE_P(Casos, PieDeLaVista,
                         testing::Values(CasoPie{"uno", 1, "", "1 recorte"},
                                         CasoPie{"dos", 2, "", "2 recortes"},
                                         CasoPie{"un_resultado", 12, "recorte 11", "1 resultado"},
                                         CasoPie{"ningun_resultado", 3, "zzz", "0 resultados"}),
                         [](const auto& info) { return std::string(info.param.nombre); });

TEST_F(Vista, ElPieMuestraElAvisoBreveMientrasDura) {
    auto& pie = vista().pie();
    estado().copiar(estado().recortes().front());
    EXPECT_EQ(pie.texto(), "Copiado al portapapeles");
    estado().quitarAviso();
    EXPECT_EQ(pie.texto(), "3 recortes");
}

TEST(VistaVacia, SinNadaCopiadoExplicaComoAbrirElPanel) {
    BancoPanel banco(0);
    banco.mostrar();
    auto& vista = *banco.panel().findChild<VistaHistorial*>();
    auto& vacio = vista.sinContenido();
    EXPECT_FALSE(vacio.isHidden());
    EXPECT_TRUE(vista.lista().isHidden());
    EXPECT_EQ(vacio.titulo(), "Aún no hay nada copiado");
    EXPECT_EQ(vacio.descripcion(),
              "Lo que copies aparecerá aquí. Abre este panel desde cualquier app con " +
                  banco.estado->atajoTexto() + ",\no elige otro atajo en Ajustes.");
    EXPECT_EQ(vista.pie().texto(), "0 recortes");

    // Llega la primera copia con el panel abierto: la lista aparece y el vacío se va.
    banco.copiar("primero");
    EXPECT_TRUE(vacio.isHidden());
    EXPECT_FALSE(vista.lista().isHidden());
    EXPECT_EQ(vista.lista().modelo().rowCount(), 1);
}

TEST_F(Vista, UnaBusquedaSinResultadosLoDiceYElBotonLaBorra) {
    auto& v = vista();
    estado().buscar("zzz", false);
    EXPECT_EQ(v.campo().text(), "zzz");
    EXPECT_FALSE(v.sinContenido().isHidden());
    EXPECT_EQ(v.sinContenido().titulo(), "Sin resultados para «zzz»");
    auto* borrar = v.findChild<QToolButton*>();
    ASSERT_NE(borrar, nullptr);
    EXPECT_FALSE(borrar->isHidden());
    EXPECT_EQ(borrar->accessibleName(), "Borrar la búsqueda");
    borrar->click();
    EXPECT_EQ(estado().busqueda(), "");
    EXPECT_EQ(v.campo().text(), "");
    EXPECT_TRUE(borrar->isHidden());
    EXPECT_TRUE(v.sinContenido().isHidden());
    EXPECT_EQ(modelo().rowCount(), 3);
}

TEST_F(Vista, ElCampoEsDelEstadoYElAvisoDePegarNoSaleEnPruebas) {
    auto& v = vista();
    QTest::keyClicks(&v.campo(), "2");
    EXPECT_EQ(estado().busqueda(), "2");
    EXPECT_EQ(modelo().rowCount(), 1);
    estado().fijarTextoDelCampo("otra");
    EXPECT_EQ(v.campo().text(), "otra");
    EXPECT_EQ(estado().busqueda(), "2"); // el estado pone el texto sin que vuelva como búsqueda
    EXPECT_EQ(v.campo().placeholderText(), "Buscar en el historial");
    banco.preferencias.set(rebisco::Preferencias::pegarAlElegir, true);
    EXPECT_TRUE(v.avisos().isEmpty());
}

struct CasoAtajo {
    const char* nombre;
    rebisco::ProblemaAtajo problema;
    const char* texto;
};

void PrintTo(const CasoAtajo& c, std::ostream* s) {
    *s << c.nombre;
}

class AvisoDelAtajo : public Vista, public testing::WithParamInterface<CasoAtajo> {};

// Con el atajo sin registrar, el panel lo dice y su botón lleva a la pestaña general de los
// ajustes; cuando el atajo vuelve a valer, el aviso se va.
TEST_P(AvisoDelAtajo, DiceQuePasaYLlevaALosAjustes) {
    const auto& caso = GetParam();
    auto& teclado = banco.plataforma.teclado();
    plataforma::memoria::ServicioAtajosMemoria otraApp;
    rebisco::AtajoGlobal ajeno(otraApp);
    if (caso.problema == rebisco::ProblemaAtajo::deMacOS)
        teclado.ponerAtajosDelSistema(std::vector<plataforma::AtajoSistema>{{9, 768, true}});
    else
        ASSERT_TRUE(ajeno.registrar(9, 768));
    estado().registrarEnPruebas = true;
    estado().registrarAtajo();
    ASSERT_EQ(estado().problemaAtajo(), caso.problema);
    estado().ponerPestanaAjustes(rebisco::PestanaAjustes::historial);
    int abiertos = 0;
    banco.control->abrirAjustes = [&] { ++abiertos; };

    auto& v = vista();
    ASSERT_EQ(v.avisos(), QStringList{QStringLiteral("atajo")});
    auto* fila = v.findChild<QWidget*>(QStringLiteral("aviso-atajo"));
    ASSERT_NE(fila, nullptr);
    EXPECT_EQ(fila->findChild<QLabel*>()->text().toStdString(), caso.texto);
    auto* boton = fila->findChild<QPushButton*>();
    ASSERT_NE(boton, nullptr);
    EXPECT_EQ(boton->text(), "Ajustes…");
    boton->click();
    EXPECT_EQ(abiertos, 1);
    EXPECT_EQ(estado().pestanaAjustes(), rebisco::PestanaAjustes::general);
    EXPECT_FALSE(banco.control->visible());

    teclado.ponerAtajosDelSistema(std::nullopt);
    ajeno.retirar();
    estado().registrarAtajo();
    EXPECT_EQ(estado().problemaAtajo(), std::nullopt);
    EXPECT_TRUE(v.avisos().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Casos, AvisoDelAtajo,
    testing::Values(
        CasoAtajo{"otra_app", rebisco::ProblemaAtajo::rechazado,
                  "Otra aplicación ya tiene el atajo Mayús+Súper+V. Elige otro en Ajustes."},
        CasoAtajo{"del_escritorio", rebisco::ProblemaAtajo::deMacOS,
                  "El escritorio ya usa Mayús+Súper+V para otra función. Elige otro atajo en "
                  "Ajustes."}),
    [](const auto& info) { return std::string(info.param.nombre); });

TEST_F(Vista, ClicSeleccionaYDobleClicPega) {
    auto& l = lista();
    const QRect segunda = l.visualRect(modelo().index(1));
    QTest::mouseClick(l.viewport(), Qt::LeftButton, {}, segunda.center());
    EXPECT_EQ(banco.posicionSeleccion(), 1);
    const auto vista = estado().recortes()[1].vista;
    QTest::mouseDClick(l.viewport(), Qt::LeftButton, {}, segunda.center());
    EXPECT_EQ(banco.enElPortapapeles(), vista);
    EXPECT_FALSE(banco.control->visible());
}

TEST_F(Vista, ElMenuContextualTieneLasAccionesEnOrden) {
    auto textos = [&](int fila) {
        std::unique_ptr<QMenu> menu(lista().menuDe(fila, nullptr));
        QStringList t;
        for (auto* a : menu->actions())
            t.push_back(a->isSeparator() ? QStringLiteral("—") : a->text());
        return t;
    };
    EXPECT_EQ(textos(0), QStringList({"Pegar", "Pegar sin formato", "Copiar", "—", "Fijar arriba",
                                      "—", "Eliminar"}));
    std::unique_ptr<QMenu> menu(lista().menuDe(2, nullptr));
    const auto id = modelo().recorte(2)->id;
    menu->actions()[4]->trigger();
    EXPECT_EQ(estado().recortes().front().id, id);
    EXPECT_TRUE(estado().recortes().front().fijado);
    EXPECT_EQ(textos(0)[4], "Soltar");
    std::unique_ptr<QMenu> otro(lista().menuDe(0, nullptr));
    otro->actions().back()->trigger();
    EXPECT_FALSE(modelo().fila(id));
    EXPECT_EQ(modelo().rowCount(), 2);
}

// La accesibilidad, como la ve un lector de pantalla.
struct CasoAcceso {
    const char* nombre;
    const char* accion; // vacío: la acción por defecto
    std::function<void(BancoPanel&, std::int64_t id, const std::string& vista)> comprobar;
};

void PrintTo(const CasoAcceso& c, std::ostream* s) {
    *s << c.nombre;
}

class Acceso : public testing::TestWithParam<CasoAcceso> {};

QAccessibleInterface* filaAccesible(ListaHistorial& lista, int fila) {
    auto* yo = QAccessible::queryAccessibleInterface(&lista);
    return yo ? yo->child(fila) : nullptr;
}

TEST(AccesoFilas, CadaFilaEsUnElementoConNombreYAcciones) {
    BancoPanel banco(3);
    banco.mostrar();
    auto& lista = banco.panel().findChild<VistaHistorial*>()->lista();
    auto* yo = QAccessible::queryAccessibleInterface(&lista);
    ASSERT_NE(yo, nullptr);
    EXPECT_EQ(yo->role(), QAccessible::List);
    ASSERT_EQ(yo->childCount(), 3);
    for (int i = 0; i < 3; ++i) {
        auto* fila = yo->child(i);
        ASSERT_NE(fila, nullptr);
        EXPECT_EQ(fila->text(QAccessible::Name).toStdString(),
                  banco.estado->recortes()[static_cast<std::size_t>(i)].vista);
        EXPECT_EQ(fila->parent(), yo);
        EXPECT_EQ(yo->indexOfChild(fila), i);
        EXPECT_EQ(fila->state().selected, i == 0);
        EXPECT_TRUE(fila->text(QAccessible::Description).contains(" · "));
        EXPECT_TRUE(lista.viewport()->rect().contains(
            QRect(lista.viewport()->mapFromGlobal(fila->rect().topLeft()), fila->rect().size())));
        ASSERT_NE(fila->actionInterface(), nullptr);
        EXPECT_EQ(fila->actionInterface()->actionNames(),
                  QStringList({QAccessibleActionInterface::pressAction(), "Pegar sin formato",
                               "Copiar", "Fijar arriba", "Eliminar"}));
    }
    // La misma interfaz cada vez, y deja de valer cuando su recorte se va.
    auto* primera = yo->child(0);
    EXPECT_EQ(yo->child(0), primera);
    banco.estado->eliminar(banco.estado->recortes().front());
    EXPECT_FALSE(primera->isValid());
    EXPECT_EQ(yo->childCount(), 2);
}

TEST_P(Acceso, LaAccionHaceLoQueDice) {
    BancoPanel banco(3);
    banco.mostrar();
    auto& lista = banco.panel().findChild<VistaHistorial*>()->lista();
    auto* fila = filaAccesible(lista, 1);
    ASSERT_NE(fila, nullptr);
    const auto recorte = banco.estado->recortes()[1];
    const QString accion = *GetParam().accion ? QString::fromUtf8(GetParam().accion)
                                              : QAccessibleActionInterface::pressAction();
    fila->actionInterface()->doAction(accion);
    GetParam().comprobar(banco, recorte.id, recorte.vista);
}

INSTANTIATE_TEST_SUITE_P(
    Acciones, Acceso,
    testing::Values(CasoAcceso{"por_defecto_pega", "",
                               [](BancoPanel& b, std::int64_t id, const std::string& vista) {
                                   EXPECT_EQ(b.enElPortapapeles(), vista);
                                   EXPECT_EQ(b.estado->recortes().front().id, id);
                                   EXPECT_FALSE(b.control->visible());
                               }},
                    CasoAcceso{"pegar_sin_formato", "Pegar sin formato",
                               [](BancoPanel& b, std::int64_t, const std::string& vista) {
                                   EXPECT_EQ(b.enElPortapapeles(), vista);
                                   EXPECT_FALSE(b.control->visible());
                               }},
                    CasoAcceso{"copiar", "Copiar",
                               [](BancoPanel& b, std::int64_t, const std::string& vista) {
                                   EXPECT_EQ(b.enElPortapapeles(), vista);
                                   EXPECT_EQ(b.estado->aviso(), "Copiado al portapapeles");
                               }},
                    CasoAcceso{
                        "fijar", "Fijar arriba",
                        [](BancoPanel& b, std::int64_t id, const std::string&) {
                            EXPECT_EQ(b.estado->recortes().front().id, id);
                            EXPECT_TRUE(b.estado->recortes().front().fijado);
                            auto& lista = b.panel().findChild<VistaHistorial*>()->lista();
                            EXPECT_TRUE(
                                filaAccesible(lista, 0)->actionInterface()->actionNames().contains(
                                    "Soltar"));
                        }},
                    CasoAcceso{"eliminar", "Eliminar",
                               [](BancoPanel& b, std::int64_t id, const std::string&) {
                                   EXPECT_EQ(b.estado->recortes().size(), 2u);
                                   for (const auto& r : b.estado->recortes())
                                       EXPECT_NE(r.id, id);
                               }},
                    CasoAcceso{"desconocida_no_hace_nada", "Soltar",
                               [](BancoPanel& b, std::int64_t, const std::string&) {
                                   EXPECT_EQ(b.estado->recortes().size(), 3u);
                                   EXPECT_FALSE(b.estado->recortes()[1].fijado);
                                   EXPECT_TRUE(b.control->visible());
                               }}),
    [](const auto& info) { return std::string(info.param.nombre); });

// La lista sigue al historial: lo que cambia se anuncia fila a fila, sin reinicios, y lo que
// el usuario tenía delante no se mueve.
struct CasoCambio {
    const char* nombre;
    std::function<void(BancoPanel&, std::int64_t arriba)> hacer;
    int insertadas, movidas, quitadas;
    bool seleccionSigue;
};

void PrintTo(const CasoCambio& c, std::ostream* s) {
    *s << c.nombre;
}

class SinSaltos : public testing::TestWithParam<CasoCambio> {};

TEST_P(SinSaltos, LoQueSeVeSeQuedaDondeEstaba) {
    BancoPanel banco(60);
    banco.mostrar();
    auto& lista = banco.panel().findChild<VistaHistorial*>()->lista();
    auto& modelo = lista.modelo();
    QAbstractItemModelTester probador(&modelo,
                                      QAbstractItemModelTester::FailureReportingMode::Warning);
    // A media lista, con la selección en una fila a la vista.
    lista.verticalScrollBar()->setValue(lista.verticalScrollBar()->maximum() / 2);
    const QModelIndex arriba = lista.indexAt(QPoint(20, 2));
    ASSERT_TRUE(arriba.isValid());
    const auto idArriba = modelo.recorte(arriba)->id;
    const int yArriba = lista.visualRect(arriba).top();
    const QModelIndex elegida = modelo.index(arriba.row() + 2);
    ASSERT_TRUE(lista.viewport()->rect().contains(lista.visualRect(elegida)));
    const auto idElegida = modelo.recorte(elegida)->id;
    banco.estado->ponerSeleccion(idElegida);

    QSignalSpy reinicios(&modelo, &QAbstractItemModel::modelReset);
    QSignalSpy insertadas(&modelo, &QAbstractItemModel::rowsInserted);
    QSignalSpy movidas(&modelo, &QAbstractItemModel::rowsMoved);
    QSignalSpy quitadas(&modelo, &QAbstractItemModel::rowsRemoved);
    GetParam().hacer(banco, idArriba);

    EXPECT_EQ(reinicios.count(), 0);
    EXPECT_EQ(insertadas.count(), GetParam().insertadas);
    EXPECT_EQ(movidas.count(), GetParam().movidas);
    EXPECT_EQ(quitadas.count(), GetParam().quitadas);
    // El modelo dice lo mismo que el estado, fila a fila.
    ASSERT_EQ(modelo.rowCount(), static_cast<int>(banco.estado->recortes().size()));
    for (int i = 0; i < modelo.rowCount(); ++i)
        EXPECT_EQ(modelo.recorte(i)->id, banco.estado->recortes()[static_cast<std::size_t>(i)].id);
    if (GetParam().seleccionSigue) {
        EXPECT_EQ(banco.estado->seleccion(), idElegida);
        // La fila de arriba sigue arriba, a la misma altura.
        const auto f = modelo.fila(idArriba);
        ASSERT_TRUE(f);
        EXPECT_EQ(lista.visualRect(modelo.index(*f)).top(), yArriba);
    } else {
        // Al borrar, la selección pasa a la fila que ocupa su sitio, y se ve.
        const auto f = modelo.fila(*banco.estado->seleccion());
        ASSERT_TRUE(f);
        EXPECT_TRUE(lista.viewport()->rect().intersects(lista.visualRect(modelo.index(*f))));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cambios, SinSaltos,
    testing::Values(CasoCambio{"captura", [](BancoPanel& b, std::int64_t) { b.copiar("nuevo"); }, 1,
                               0, 0, true},
                    CasoCambio{"captura_repetida_sube",
                               [](BancoPanel& b, std::int64_t) { b.copiar("recorte 3"); }, 0, 1, 0,
                               true},
                    CasoCambio{"fijar_el_ultimo",
                               [](BancoPanel& b, std::int64_t) {
                                   b.estado->alternarFijado(b.estado->recortes().back());
                               },
                               0, 1, 0, true},
                    CasoCambio{"eliminar_el_primero",
                               [](BancoPanel& b, std::int64_t) {
                                   b.estado->eliminar(b.estado->recortes().front());
                               },
                               0, 0, 1, false},
                    CasoCambio{"eliminar_el_de_arriba",
                               [](BancoPanel& b, std::int64_t arriba) {
                                   for (const auto& r : b.estado->recortes())
                                       if (r.id == arriba) {
                                           const auto copia = r;
                                           b.estado->eliminar(copia);
                                           return;
                                       }
                               },
                               0, 0, 1, false}),
    [](const auto& info) { return std::string(info.param.nombre); });

TEST_F(VistaLarga, LaSeleccionSeMantieneALaVista) {
    auto& l = lista();
    for (int i = 0; i < 40; ++i) {
        banco.pulsar(abajo());
        const auto fila = modelo().fila(*estado().seleccion());
        ASSERT_TRUE(fila);
        EXPECT_TRUE(l.viewport()->rect().contains(l.visualRect(modelo().index(*fila)))) << i;
    }
    EXPECT_GT(l.verticalScrollBar()->value(), 0);
    banco.pulsar(arriba());
    EXPECT_GT(l.verticalScrollBar()->value(), 0); // lo justo: no vuelve arriba
}

TEST_F(VistaLarga, LaBarraApareceAlDesplazarYSeDesvanece) {
    auto& l = lista();
    auto& barra = l.barra();
    EXPECT_FALSE(l.verticalScrollBar()->isVisible());
    EXPECT_TRUE(barra.isHidden());
    for (int vez = 0; vez < 2; ++vez) {
        l.verticalScrollBar()->setValue(l.verticalScrollBar()->value() + 200);
        EXPECT_FALSE(barra.isHidden()) << vez;
        EXPECT_EQ(barra.opacidad(), 1.0);
        EXPECT_TRUE(esperarHasta([&] { return barra.isHidden(); }, 3s)) << vez;
        EXPECT_FALSE(l.verticalScrollBar()->isVisible());
        // Cerrado y abierto otra vez, igual.
        banco.control->ocultar();
        banco.mostrar();
    }
}

// Entradas malas: la fila no rompe la tarjeta y nada se cae.
struct CasoMalo {
    const char* nombre;
    Muestra muestra;
    int lineas; // las del título
    bool miniatura;
};

void PrintTo(const CasoMalo& c, std::ostream* s) {
    *s << c.nombre;
}

class EntradaMala : public testing::TestWithParam<CasoMalo> {};

std::string repetir(const std::string& s, int n) {
    std::string r;
    for (int i = 0; i < n; ++i)
        r += s;
    return r;
}

TEST_P(EntradaMala, LaFilaCabeEnLaTarjeta) {
    BancoPanel banco(1);
    guardar(banco, GetParam().muestra);
    banco.mostrar();
    auto& lista = banco.panel().findChild<VistaHistorial*>()->lista();
    auto& modelo = lista.modelo();
    ASSERT_EQ(modelo.rowCount(), 2);
    const auto* r = modelo.recorte(0);
    ASSERT_NE(r, nullptr);
    const qreal ancho = lista.viewport()->width();
    const auto d = lista.delegado().disponer(*r, 0, QRectF(0, 0, ancho, 0), lista.font());
    EXPECT_EQ(d.lineas.size(), GetParam().lineas);
    EXPECT_EQ(!d.miniatura.isEmpty(), GetParam().miniatura);
    const QFontMetricsF medidas(lista.font());
    for (const auto& linea : d.lineas) {
        EXPECT_FALSE(linea.contains(u'\n'));
        EXPECT_LE(medidas.horizontalAdvance(linea), d.titulo.width() + 1) << linea.toStdString();
    }
    // Dentro de la fila y de la tarjeta, y no más alta que una fila de imagen.
    EXPECT_LE(d.alto, 48 + 3 + QFontMetricsF(lista.font()).height() + 16 + 1);
    for (const QRectF& parte : {d.icono, d.titulo, d.detalle, d.miniatura})
        if (!parte.isEmpty()) {
            EXPECT_GE(parte.left(), 0);
            EXPECT_LE(parte.right(), ancho + 0.5);
            EXPECT_LE(parte.bottom(), d.alto + 0.5);
            EXPECT_GE(parte.top(), -0.5);
        }
    if (!d.miniatura.isEmpty()) {
        EXPECT_LE(d.miniatura.width(), 200);
        EXPECT_LE(d.miniatura.height(), 48);
    }
    // Se pinta entera sin caerse.
    QImage lienzo(lista.viewport()->size(), QImage::Format_ARGB32);
    lista.viewport()->render(&lienzo);
    EXPECT_LE(lista.visualRect(modelo.index(0)).height(), qCeil(d.alto) + 1);
}

INSTANTIATE_TEST_SUITE_P(
    Entradas, EntradaMala,
    testing::Values(
        CasoMalo{"texto_de_20000", {.vista = repetir("palabra ", 2500)}, 2, false},
        CasoMalo{"sin_espacios_de_20000", {.vista = std::string(20000, 'x')}, 2, false},
        CasoMalo{"todo_saltos_de_linea",
                 {.vista = repetir("\n", 400) + "al fin" + repetir("\r\n", 50)},
                 1,
                 false},
        CasoMalo{"saltos_entre_palabras", {.vista = repetir("uno\n\n\ndos\n", 30)}, 2, false},
        CasoMalo{"derecha_a_izquierda",
                 {.vista = "שלום עולם مرحبا بالعالم hello עוד טקסט ארוך מאוד שממשיך וממשיך עד "
                           "שהוא לא נכנס בשורה אחת ולא בשתיים ולא בשלוש שורות של הכרטיס"},
                 2,
                 false},
        CasoMalo{"emojis",
                 {.vista = repetir("👩‍👩‍👧‍👦🏳️‍🌈👍🏽 ", 60)},
                 2,
                 false},
        CasoMalo{"controles", {.vista = "a\tb\x01\x02\x1b[31mrojo\x7f"}, 1, false},
        CasoMalo{"miniatura_rota",
                 {.clase = nucleo::ClaseRecorte::imagen,
                  .vista = "64 × 48",
                  .miniatura = nucleo::Bytes{0x89, 'P', 'N', 'G', 1, 2, 3}},
                 1,
                 false},
        CasoMalo{"imagen_de_1_por_4000",
                 {.clase = nucleo::ClaseRecorte::imagen,
                  .vista = "1 × 4000",
                  .miniatura = comoPng(QImage(1, 4000, QImage::Format_RGB32))},
                 1,
                 true},
        CasoMalo{"imagen_de_4000_por_1",
                 {.clase = nucleo::ClaseRecorte::imagen,
                  .vista = "4000 × 1",
                  .miniatura = comoPng(QImage(4000, 1, QImage::Format_RGB32))},
                 1,
                 true},
        CasoMalo{"app_sin_entrada",
                 {.vista = "de nadie", .appId = "org.no.Existe", .appNombre = "Fantasma"},
                 1,
                 false},
        CasoMalo{
            "app_con_nombre_raro",
            {.vista = "raro", .appId = "../../etc/passwd", .appNombre = repetir("Nombre\n", 200)},
            1,
            false}),
    [](const auto& info) { return std::string(info.param.nombre); });

TEST(Miniatura, SeDecodificaUnaVezYDaSuTitulo) {
    BancoPanel banco(0);
    guardar(banco, {.clase = nucleo::ClaseRecorte::imagen,
                    .vista = "64 × 48",
                    .miniatura = comoPng(QImage(64, 48, QImage::Format_RGB32))});
    banco.mostrar();
    auto& lista = banco.panel().findChild<VistaHistorial*>()->lista();
    const auto* r = lista.modelo().recorte(0);
    ASSERT_NE(r, nullptr);
    const auto d = lista.delegado().disponer(*r, 0, QRectF(0, 0, 600, 0), lista.font());
    EXPECT_EQ(d.lineas, QStringList{"Imagen de 64 × 48"});
    EXPECT_EQ(d.miniatura.size(), QSizeF(64, 48));
    EXPECT_FALSE(lista.delegado().miniatura(*r).isNull());
}

} // namespace
