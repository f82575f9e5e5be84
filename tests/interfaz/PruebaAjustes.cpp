#include "AyudasPanel.h"

#include <ajustes/AjustesGenerales.h>
#include <ajustes/AjustesHistorial.h>
#include <ajustes/AjustesPrivacidad.h>
#include <ajustes/CampoNumero.h>
#include <ajustes/ElegirApps.h>
#include <ajustes/GrabadorAtajo.h>
#include <ajustes/Interruptor.h>
#include <ajustes/VentanaAjustes.h>
#include <rebisco/InicioSesion.h>

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace pruebas;
namespace P = rebisco::Preferencias;
namespace M = plataforma::Modificador;

namespace {

// Un estado en memoria con el atajo registrado de verdad en el servicio en memoria, y la
// configuración y las aplicaciones del usuario en carpetas temporales.
struct BancoAjustes : Banco {
    CarpetaTemporal casa;
    std::unique_ptr<rebisco::VentanaAjustes> ventana;

    explicit BancoAjustes(rebisco::Entorno (Banco::*entorno)() const = &Banco::entornoDePrueba) {
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString((casa / "config").string()));
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString((casa / "datos").string()));
        qputenv("XDG_DATA_DIRS", QByteArray::fromStdString((casa / "sistema").string()));
        crear((this->*entorno)());
        estado->registrarEnPruebas = true;
        estado->iniciar();
    }
    ~BancoAjustes() { ventana.reset(); }

    rebisco::VentanaAjustes& abrir() {
        ventana = std::make_unique<rebisco::VentanaAjustes>(*estado);
        ventana->mostrar();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(ventana.get()));
        return *ventana;
    }
    rebisco::GrabadorAtajo& grabador() { return ventana->general().grabador(); }
    void pulsar(const Tecla& tecla) {
        auto e = evento(tecla);
        QApplication::sendEvent(&grabador(), &e);
    }
    std::pair<qint64, qint64> atajoGuardado() const {
        return {preferencias.integer(P::atajoCodigo), preferencias.integer(P::atajoModificadores)};
    }
    void escribirApp(const std::string& id, const std::string& contenido) {
        const auto ruta = casa / "datos" / "applications" / (id + ".desktop");
        std::filesystem::create_directories(ruta.parent_path());
        QFile f(QString::fromStdString(ruta.string()));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(contenido.c_str());
    }
};

Tecla con(char c, Qt::KeyboardModifiers m) {
    auto t = letra(c, m);
    t.texto.clear();
    return t;
}

// --- Las reglas del grabador ---

struct CasoRechazo {
    const char* nombre;
    int codigo;
    int banderas;
    const char* letra;
    std::optional<QString> motivo;
};

class Rechazo : public testing::TestWithParam<CasoRechazo> {};

const QString sinModificador =
    QStringLiteral("Incluye Ctrl, Alt o Súper: sin ellas, el atajo se dispararía al escribir.");

TEST_P(Rechazo, SigueLasReglasEnOrden) {
    const auto& caso = GetParam();
    plataforma::memoria::TecladoMemoria teclado;
    // La lista del escritorio: Ctrl+C, como la de las combinaciones que usa cualquier app.
    teclado.ponerAtajosDelSistema(std::vector<plataforma::AtajoSistema>{{8, M::control}});
    EXPECT_EQ(rebisco::GrabadorAtajo::motivoDeRechazo(teclado, caso.codigo, caso.banderas,
                                                      QString::fromUtf8(caso.letra)),
              caso.motivo);
}

INSTANTIATE_TEST_SUITE_P(
    Grabador, Rechazo,
    testing::Values(
        CasoRechazo{"letraSola", 0, 0, "a", sinModificador},
        CasoRechazo{"mayusculasYLetra", 0, M::mayusculas, "a", sinModificador},
        CasoRechazo{"ctrlCPorLaListaDelEscritorio", 8, M::control, "c",
                    QStringLiteral("El escritorio ya usa Ctrl+C para otra función. Elige otra "
                                   "combinación.")},
        CasoRechazo{"superEspacioAunqueLaListaNoLoDiga", 49, M::comando, " ",
                    QStringLiteral("El escritorio ya usa Súper+Espacio para otra función. Elige "
                                   "otra combinación.")},
        CasoRechazo{"superC", 8, M::comando, "c",
                    QStringLiteral("Súper+C es un atajo de todas las apps. Elige otra "
                                   "combinación.")},
        CasoRechazo{"superComa", 43, M::comando, ",",
                    QStringLiteral("Súper+, es un atajo de todas las apps. Elige otra "
                                   "combinación.")},
        CasoRechazo{"altTab", 48, M::opcion, "\t",
                    QStringLiteral("Alt+⇥ es un atajo de todas las apps. Elige otra "
                                   "combinación.")},
        CasoRechazo{"ctrlTab", 48, M::control, "\t",
                    QStringLiteral("Ctrl+⇥ es un atajo de todas las apps. Elige otra "
                                   "combinación.")},
        CasoRechazo{"mayusSuperCNoEsSoloSuper", 8, M::mayusculas | M::comando, "c", std::nullopt},
        CasoRechazo{"ctrlAltH", 4, M::control | M::opcion, "h", std::nullopt},
        CasoRechazo{"mayusSuperV", 9, M::mayusculas | M::comando, "v", std::nullopt}),
    [](const auto& info) { return info.param.nombre; });

// --- Los estados del grabador, con teclas de verdad ---

TEST(Grabador, UnaCombinacionAceptadaSeGuardaYSeRegistraAlMomento) {
    BancoAjustes banco;
    banco.abrir();
    auto& boton = banco.grabador();
    EXPECT_EQ(boton.text(), QStringLiteral("Mayús+Súper+V"));
    QTest::mouseClick(&boton, Qt::LeftButton);
    EXPECT_TRUE(boton.grabando());
    EXPECT_EQ(boton.text(), QStringLiteral("Pulsa el nuevo atajo…"));
    EXPECT_TRUE(banco.estado->grabandoAtajo());
    EXPECT_FALSE(banco.estado->atajoGlobal().registrado());

    // Un modificador solo no es una combinación: no se rechaza, se espera la tecla.
    banco.pulsar({-1, Qt::Key_Control, Qt::ControlModifier});
    EXPECT_FALSE(banco.estado->rechazoAtajo().has_value());
    banco.pulsar(con('h', Qt::ControlModifier | Qt::AltModifier));
    EXPECT_FALSE(boton.grabando());
    EXPECT_EQ(banco.atajoGuardado(), (std::pair<qint64, qint64>{4, M::control | M::opcion}));
    EXPECT_TRUE(banco.estado->atajoGlobal().registrado());
    EXPECT_FALSE(banco.estado->grabandoAtajo());
    EXPECT_EQ(boton.text(), QStringLiteral("Ctrl+Alt+H"));
}

TEST(Grabador, UnRechazoSigueGrabandoYNoGuardaNada) {
    BancoAjustes banco;
    banco.abrir();
    QTest::mouseClick(&banco.grabador(), Qt::LeftButton);
    banco.pulsar(con('c', Qt::MetaModifier));
    EXPECT_TRUE(banco.grabador().grabando());
    EXPECT_EQ(banco.estado->rechazoAtajo(),
              QStringLiteral("Súper+C es un atajo de todas las apps. Elige otra combinación."));
    EXPECT_EQ(banco.ventana->general().avisoAtajo(), *banco.estado->rechazoAtajo());
    EXPECT_EQ(banco.atajoGuardado(), (std::pair<qint64, qint64>{9, 768}));
    banco.pulsar(con('s', Qt::NoModifier));
    EXPECT_EQ(banco.estado->rechazoAtajo(), sinModificador);
    // Otra combinación buena termina y borra el motivo.
    banco.pulsar(con('v', Qt::ShiftModifier | Qt::MetaModifier));
    EXPECT_FALSE(banco.grabador().grabando());
    EXPECT_FALSE(banco.estado->rechazoAtajo().has_value());
    EXPECT_TRUE(banco.estado->atajoGlobal().registrado());
}

enum class Salida { escape, otroClic, otraPestana, cerrarVentana };

class Restaurar : public testing::TestWithParam<Salida> {};

TEST_P(Restaurar, DevuelveLaCombinacionAnterior) {
    BancoAjustes banco;
    banco.abrir();
    QTest::mouseClick(&banco.grabador(), Qt::LeftButton);
    banco.pulsar(con('c', Qt::MetaModifier));
    ASSERT_FALSE(banco.estado->atajoGlobal().registrado());
    switch (GetParam()) {
    case Salida::escape:
        banco.pulsar(escape());
        break;
    case Salida::otroClic:
        QTest::mouseClick(&banco.grabador(), Qt::LeftButton);
        break;
    case Salida::otraPestana:
        banco.ventana->pestanas().setCurrentIndex(1);
        EXPECT_EQ(banco.estado->pestanaAjustes(), rebisco::PestanaAjustes::historial);
        break;
    case Salida::cerrarVentana:
        banco.ventana->close();
        break;
    }
    EXPECT_FALSE(banco.grabador().grabando());
    EXPECT_TRUE(banco.estado->atajoGlobal().registrado());
    EXPECT_FALSE(banco.estado->grabandoAtajo());
    EXPECT_FALSE(banco.estado->rechazoAtajo().has_value());
    EXPECT_EQ(banco.atajoGuardado(), (std::pair<qint64, qint64>{9, 768}));
    EXPECT_EQ(banco.grabador().text(), QStringLiteral("Mayús+Súper+V"));
}

INSTANTIATE_TEST_SUITE_P(Grabador, Restaurar,
                         testing::Values(Salida::escape, Salida::otroClic, Salida::otraPestana,
                                         Salida::cerrarVentana));

TEST(Grabador, MientrasGrabaLasTeclasNoLleganAOtrosCampos) {
    BancoAjustes banco;
    banco.abrir();
    banco.ventana->pestanas().setCurrentIndex(1);
    banco.ventana->pestanas().setCurrentIndex(0);
    QTest::mouseClick(&banco.grabador(), Qt::LeftButton);
    // Una tecla enviada a otro control de la ventana también la atiende el grabador.
    auto e = evento(con('c', Qt::MetaModifier));
    QApplication::sendEvent(banco.ventana.get(), &e);
    EXPECT_TRUE(banco.estado->rechazoAtajo().has_value());
}

// --- Abrir al iniciar sesión ---

TEST(InicioSesion, LaEntradaSeEscribeSeLeeYSeBorra) {
    BancoAjustes banco;
    const QString programa = QStringLiteral("/opt/mis programas/re\"bis$co 100%");
    ASSERT_FALSE(rebisco::InicioSesion::activo(programa));
    EXPECT_EQ(rebisco::InicioSesion::cambiar(true, programa), std::nullopt);
    EXPECT_TRUE(rebisco::InicioSesion::activo(programa));
    EXPECT_FALSE(rebisco::InicioSesion::activo(QStringLiteral("/usr/bin/otro")));
    EXPECT_TRUE(std::filesystem::exists(banco.casa / "config/autostart/rebisco.desktop"));

    EXPECT_EQ(rebisco::InicioSesion::cambiar(false, programa), std::nullopt);
    EXPECT_FALSE(rebisco::InicioSesion::activo(programa));
    EXPECT_FALSE(std::filesystem::exists(banco.casa / "config/autostart/rebisco.desktop"));
    // Quitar lo que no está no es un fallo.
    EXPECT_EQ(rebisco::InicioSesion::cambiar(false, programa), std::nullopt);
}

TEST(InicioSesion, UnaEntradaOcultaNoCuenta) {
    BancoAjustes banco;
    const auto programa = rebisco::InicioSesion::programa();
    ASSERT_EQ(rebisco::InicioSesion::cambiar(true, programa), std::nullopt);
    QFile f(QString::fromStdString((banco.casa / "config/autostart/rebisco.desktop").string()));
    ASSERT_TRUE(f.open(QIODevice::Append));
    f.write("Hidden=true\n");
    f.close();
    EXPECT_FALSE(rebisco::InicioSesion::activo(programa));
}

TEST(InicioSesion, ElInterruptorEscribeLaEntradaYVuelveAlEstadoRealSiFalla) {
    BancoAjustes banco;
    auto& ventana = banco.abrir();
    auto& interruptor = ventana.general().alIniciar();
    EXPECT_FALSE(interruptor.isChecked());
    QTest::mouseClick(&interruptor, Qt::LeftButton);
    EXPECT_TRUE(interruptor.isChecked());
    EXPECT_TRUE(rebisco::InicioSesion::activo(rebisco::InicioSesion::programa()));
    QTest::mouseClick(&interruptor, Qt::LeftButton);
    EXPECT_FALSE(interruptor.isChecked());
    EXPECT_EQ(ventana.general().errorInicio(), std::nullopt);

    // Donde iría la entrada hay una carpeta con algo dentro: ni se escribe ni se borra.
    const auto entrada = banco.casa / "config/autostart/rebisco.desktop";
    std::filesystem::create_directories(entrada / "estorbo");
    QTest::mouseClick(&interruptor, Qt::LeftButton);
    EXPECT_FALSE(interruptor.isChecked());
    EXPECT_EQ(ventana.general().errorInicio(),
              QStringLiteral("No se pudo cambiar el inicio automático: %1.")
                  .arg(QString::fromStdString(entrada.string())));
}

TEST(InicioSesion, EnUnEnsayoNoSePuedeTocar) {
    BancoAjustes banco(&Banco::entornoDeEnsayo);
    auto& ventana = banco.abrir();
    EXPECT_FALSE(ventana.general().alIniciar().isEnabled());
    const auto notas = ventana.general().findChildren<QLabel*>();
    EXPECT_TRUE(std::any_of(notas.begin(), notas.end(), [](const QLabel* l) {
        return l->isVisible() &&
               l->text() ==
                   QStringLiteral("No disponible en un ensayo: dejaría un rastro en el sistema.");
    }));
}

// --- Los límites del historial ---

struct CasoLimite {
    const char* nombre;
    const char* clave;
    const char* escrito;
    qint64 guardado;
};

class Limites : public testing::TestWithParam<CasoLimite> {};

TEST_P(Limites, SeAjustanAlRangoAlTerminarDeEditar) {
    const auto& caso = GetParam();
    BancoAjustes banco;
    banco.preferencias.set(P::limitarDias, true);
    auto& ventana = banco.abrir();
    ventana.pestanas().setCurrentIndex(1);
    auto& campo = ventana.historial().campo(caso.clave);
    const auto antes = banco.preferencias.integer(caso.clave);
    campo.texto().setFocus();
    campo.texto().selectAll();
    QTest::keyClicks(&campo.texto(), QString::fromLatin1(caso.escrito));
    // Mientras se escribe no se guarda nada.
    EXPECT_EQ(banco.preferencias.integer(caso.clave), antes);
    QTest::keyClick(&campo.texto(), Qt::Key_Return);
    EXPECT_EQ(banco.preferencias.integer(caso.clave), caso.guardado);
    EXPECT_EQ(campo.texto().text(), QString::number(caso.guardado));
}

INSTANTIATE_TEST_SUITE_P(
    Historial, Limites,
    testing::Values(CasoLimite{"ceroDiasEsUno", P::maximoDias, "0", 1},
                    CasoLimite{"cincoMilDiasSonDiezAnos", P::maximoDias, "5000", 3650},
                    CasoLimite{"cincoRecortesSonDiez", P::maximoRecortes, "5", 10},
                    CasoLimite{"demasiadosRecortes", P::maximoRecortes, "999999999", 100000},
                    CasoLimite{"dentroDelRangoSinRedondear", P::maximoRecortes, "451", 451},
                    CasoLimite{"megaPorRecorte", P::megasMaximos, "2000", 1000},
                    CasoLimite{"espacioMinimo", P::megasTotales, "3", 10}),
    [](const auto& info) { return info.param.nombre; });

TEST(Historial, BajarElLimiteBorraAlMomentoYSubirloNo) {
    BancoAjustes banco;
    banco.preferencias.set(P::maximoRecortes, 30);
    banco.guardarVarios(30);
    auto& ventana = banco.abrir();
    ventana.pestanas().setCurrentIndex(1);
    auto& historial = ventana.historial();
    EXPECT_TRUE(historial.enUso().startsWith(QStringLiteral("30 recortes · ")));
    auto& campo = historial.campo(P::maximoRecortes);
    campo.texto().setFocus();
    campo.texto().selectAll();
    QTest::keyClicks(&campo.texto(), QStringLiteral("12"));
    EXPECT_EQ(banco.estado->total(), 30); // el 1 de 12 no ha borrado nada
    QTest::keyClick(&campo.texto(), Qt::Key_Return);
    EXPECT_EQ(banco.estado->total(), 12);
    EXPECT_TRUE(historial.enUso().startsWith(QStringLiteral("12 recortes · ")));
    // Los más antiguos se fueron.
    EXPECT_EQ(banco.vistas().back(), "recorte 18");
    QTest::mouseClick(&campo.mas(), Qt::LeftButton);
    EXPECT_EQ(banco.preferencias.integer(P::maximoRecortes), 62);
    EXPECT_EQ(banco.estado->total(), 12);
}

TEST(Historial, EncenderElLimiteDeDiasBorraLoViejoYApagarloNo) {
    BancoAjustes banco;
    banco.guardarVarios(3);
    banco.ahora += std::chrono::hours(24 * 40);
    banco.guardarVarios(2, "nuevo ");
    auto& ventana = banco.abrir();
    ventana.pestanas().setCurrentIndex(1);
    const int altoAntes = ventana.height();
    auto interruptores = ventana.historial().findChildren<rebisco::Interruptor*>();
    auto dias = std::find_if(interruptores.begin(), interruptores.end(), [](auto* i) {
        return i->text() == QStringLiteral("Borrar los recortes que no se usan");
    });
    ASSERT_NE(dias, interruptores.end());
    QTest::mouseClick(*dias, Qt::LeftButton);
    EXPECT_TRUE(banco.preferencias.boolean(P::limitarDias));
    EXPECT_EQ(banco.estado->total(), 2);
    // Aparece la fila del campo y la ventana crece con ella, sin barra de desplazamiento.
    EXPECT_TRUE(esperarHasta([&] { return ventana.height() > altoAntes; }));
    QTest::mouseClick(*dias, Qt::LeftButton);
    EXPECT_EQ(banco.estado->total(), 2);
}

TEST(Historial, UnLimiteCambiadoEnOtroSitioSeVeYSeAplica) {
    BancoAjustes banco;
    banco.guardarVarios(20);
    auto& ventana = banco.abrir();
    ventana.pestanas().setCurrentIndex(1);
    banco.preferencias.set(P::maximoRecortes, 15);
    EXPECT_EQ(ventana.historial().campo(P::maximoRecortes).texto().text(), QStringLiteral("15"));
    EXPECT_EQ(banco.estado->total(), 15);
}

TEST(Historial, BorrarConServandoLosFijadosYLuegoTodo) {
    BancoAjustes banco;
    auto& ventana = banco.abrir();
    ventana.pestanas().setCurrentIndex(1);
    auto& historial = ventana.historial();
    EXPECT_FALSE(historial.borrar().isEnabled());
    banco.guardarVarios(2);
    banco.estado->alternarFijado(banco.estado->recortes().front());
    banco.estado->alternarFijado(banco.estado->recortes().back());
    ASSERT_TRUE(historial.borrar().isEnabled());

    const auto pulsar = [&](const QString& texto) {
        QTest::mouseClick(&historial.borrar(), Qt::LeftButton);
        auto* caja = historial.confirmacion();
        ASSERT_NE(caja, nullptr);
        EXPECT_EQ(caja->text(), QStringLiteral("¿Borrar el historial?"));
        EXPECT_EQ(caja->informativeText(), QStringLiteral("Esta acción no se puede deshacer."));
        QStringList textos;
        QAbstractButton* elegido = nullptr;
        for (auto* b : caja->buttons()) {
            textos << b->text();
            if (b->text() == texto) elegido = b;
        }
        textos.sort();
        EXPECT_EQ(textos,
                  (QStringList{"Borrar todo", "Borrar y conservar los fijados", "Cancelar"}));
        ASSERT_NE(elegido, nullptr);
        QTest::mouseClick(elegido, Qt::LeftButton);
        EXPECT_TRUE(esperarHasta([&] { return historial.confirmacion() == nullptr; }));
    };
    pulsar(QStringLiteral("Cancelar"));
    EXPECT_EQ(banco.estado->total(), 2);
    pulsar(QStringLiteral("Borrar y conservar los fijados"));
    EXPECT_EQ(banco.estado->total(), 2);
    pulsar(QStringLiteral("Borrar todo"));
    EXPECT_EQ(banco.estado->total(), 0);
    EXPECT_FALSE(historial.borrar().isEnabled());
}

// --- Privacidad ---

TEST(Privacidad, SinAppsDiceNingunaYNoSePuedeQuitar) {
    BancoAjustes banco;
    auto& ventana = banco.abrir();
    ventana.pestanas().setCurrentIndex(2);
    auto& privacidad = ventana.privacidad();
    EXPECT_TRUE(privacidad.ninguna().isVisible());
    EXPECT_FALSE(privacidad.lista().isVisible());
    EXPECT_FALSE(privacidad.quitarBoton().isEnabled());
    EXPECT_EQ(privacidad.textoAcceso(), QStringLiteral("Se pedirá en la primera copia"));
    EXPECT_EQ(privacidad.pieDatos().text(),
              QStringLiteral("El historial se guarda solo en este equipo, en %1, sin cifrado "
                             "propio. rebisco no envía nada por la red.")
                  .arg(QString::fromStdString(banco.carpeta.ruta().string())));
}

TEST(Privacidad, LaListaCreceHastaCientoCincuentaPuntos) {
    EXPECT_EQ(rebisco::AjustesPrivacidad::altoDeLista(1), 36);
    EXPECT_EQ(rebisco::AjustesPrivacidad::altoDeLista(5), 148);
    EXPECT_EQ(rebisco::AjustesPrivacidad::altoDeLista(6), 150);
    EXPECT_EQ(rebisco::AjustesPrivacidad::altoDeLista(40), 150);
}

TEST(Privacidad, ElSelectorAnadeEntradasSinRepetirYEnOrden) {
    BancoAjustes banco;
    banco.escribirApp("org.xfce.mousepad", "[Desktop Entry]\nType=Application\nName=Mousepad\n");
    banco.escribirApp("featherpad", "[Desktop Entry]\nType=Application\nName=FeatherPad\n");
    banco.escribirApp("oculta", "[Desktop Entry]\nType=Application\nName=Oculta\nNoDisplay=true\n");
    banco.preferencias.set(P::appsExcluidas, QStringLiteral("  org.xfce.mousepad \n\n\tvieja\r\n"));
    auto& ventana = banco.abrir();
    ventana.pestanas().setCurrentIndex(2);
    auto& privacidad = ventana.privacidad();
    ASSERT_EQ(privacidad.lista().count(), 2);
    EXPECT_EQ(privacidad.lista().item(0)->text(), QStringLiteral("Mousepad"));
    EXPECT_EQ(privacidad.lista().item(1)->text(), QStringLiteral("vieja"));

    QTest::mouseClick(&privacidad.anadirBoton(), Qt::LeftButton);
    auto* selector = privacidad.selector();
    ASSERT_NE(selector, nullptr);
    auto& apps = selector->lista();
    QStringList nombres;
    for (int i = 0; i < apps.count(); ++i)
        nombres << apps.item(i)->text();
    EXPECT_EQ(nombres, (QStringList{"FeatherPad", "Mousepad"}));
    EXPECT_FALSE(selector->excluir().isEnabled());
    for (int i = 0; i < apps.count(); ++i)
        apps.item(i)->setSelected(true);
    QTest::mouseClick(&selector->excluir(), Qt::LeftButton);
    EXPECT_EQ(banco.preferencias.string(P::appsExcluidas),
              QStringLiteral("org.xfce.mousepad\nvieja\nfeatherpad"));
    EXPECT_EQ(privacidad.lista().count(), 3);

    // Quitar la elegida; el resto sigue en su orden.
    privacidad.lista().item(1)->setSelected(true);
    ASSERT_TRUE(privacidad.quitarBoton().isEnabled());
    QTest::mouseClick(&privacidad.quitarBoton(), Qt::LeftButton);
    EXPECT_EQ(banco.preferencias.string(P::appsExcluidas),
              QStringLiteral("org.xfce.mousepad\nfeatherpad"));
    EXPECT_FALSE(privacidad.quitarBoton().isEnabled());
}

TEST(Privacidad, LaPausaEsLaMismaQueLaDelMenu) {
    BancoAjustes banco;
    auto& ventana = banco.abrir();
    ventana.pestanas().setCurrentIndex(2);
    auto& pausa = ventana.privacidad().pausa();
    EXPECT_FALSE(pausa.isChecked());
    QTest::mouseClick(&pausa, Qt::LeftButton);
    EXPECT_TRUE(banco.estado->pausado());
    EXPECT_TRUE(banco.preferencias.boolean(P::pausado));
    // Lo que haría la entrada del menú: el interruptor lo sigue.
    banco.estado->ponerPausa(false);
    EXPECT_FALSE(pausa.isChecked());
    // Y quien escriba la preferencia directamente también.
    banco.preferencias.set(P::pausado, true);
    EXPECT_TRUE(banco.estado->pausado());
    EXPECT_TRUE(pausa.isChecked());
}

// --- La ventana ---

TEST(Ventana, LasPestanasSiguenAlEstadoYLaVentanaTomaSuAlto) {
    BancoAjustes banco;
    banco.estado->ponerPestanaAjustes(rebisco::PestanaAjustes::privacidad);
    auto& ventana = banco.abrir();
    EXPECT_EQ(ventana.windowTitle(), QStringLiteral("Ajustes de rebisco"));
    EXPECT_EQ(ventana.width(), 520);
    EXPECT_EQ(ventana.pestanas().currentIndex(), 2);
    std::vector<int> altos;
    for (auto pestana : {rebisco::PestanaAjustes::general, rebisco::PestanaAjustes::historial,
                         rebisco::PestanaAjustes::privacidad}) {
        banco.estado->ponerPestanaAjustes(pestana);
        const int i = static_cast<int>(pestana);
        EXPECT_EQ(ventana.pestanas().currentIndex(), i);
        EXPECT_TRUE(ventana.pagina(i).isVisible());
        QApplication::processEvents();
        // Toda la pestaña cabe: su alto es el que pide para ese ancho.
        auto& pagina = ventana.pagina(i);
        EXPECT_GE(pagina.height(), pagina.layout()->totalHeightForWidth(pagina.width()));
        EXPECT_LE(pagina.geometry().bottom(), ventana.height());
        altos.push_back(ventana.height());
    }
    EXPECT_NE(altos[0], altos[1]);
    EXPECT_NE(altos[1], altos[2]);
}

TEST(Ventana, LosPermisosSeLeenAlMostrarlaYAlVolverAEstarActiva) {
    BancoAjustes banco(&Banco::entornoDeEnsayo);
    banco.preferencias.set(P::pegarAlElegir, true);
    EXPECT_FALSE(banco.estado->puedePegar());
    banco.plataforma.escritorio().ponerConfiable(true);
    auto& ventana = banco.abrir();
    EXPECT_TRUE(banco.estado->puedePegar());
    const auto textos = [&] {
        QStringList lista;
        for (auto* l : ventana.general().findChildren<QLabel*>())
            if (l->isVisible()) lista << l->text();
        return lista;
    };
    EXPECT_TRUE(textos().contains(QStringLiteral("Disponible")));
    banco.plataforma.escritorio().ponerConfiable(false);
    // Lo que dice Qt cuando rebisco vuelve a ser la aplicación activa.
    emit qGuiApp->applicationStateChanged(Qt::ApplicationActive);
    EXPECT_FALSE(banco.estado->puedePegar());
    EXPECT_TRUE(textos().contains(QStringLiteral("No disponible")));
    // Sin pegar al elegir, la fila no está.
    banco.preferencias.set(P::pegarAlElegir, false);
    EXPECT_FALSE(textos().contains(QStringLiteral("No disponible")));
    EXPECT_FALSE(textos().contains(QStringLiteral("Pegado con el teclado")));
}

TEST(Ventana, ElAvisoDelAtajoAbreLaPestanaGeneral) {
    BancoPanel banco(1);
    std::unique_ptr<rebisco::VentanaAjustes> ventana;
    banco.control->abrirAjustes = [&] {
        if (!ventana) ventana = std::make_unique<rebisco::VentanaAjustes>(*banco.estado);
        ventana->mostrar();
    };
    banco.estado->ponerPestanaAjustes(rebisco::PestanaAjustes::historial);
    banco.mostrar();
    banco.pulsar(Tecla{43, Qt::Key_Comma, Qt::ControlModifier, QStringLiteral(",")});
    ASSERT_TRUE(ventana);
    EXPECT_TRUE(ventana->isVisible());
    EXPECT_EQ(ventana->pestanas().currentIndex(), 1);
}

} // namespace
