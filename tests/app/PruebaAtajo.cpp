#include "AyudasApp.h"

#include <rebisco/AtajoGlobal.h>

#include <QCoreApplication>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace P = rebisco::Preferencias;
using plataforma::AtajoSistema;
using plataforma::memoria::ServicioAtajosMemoria;
using rebisco::AtajoGlobal;
using rebisco::ProblemaAtajo;
using namespace pruebas;
using namespace std::chrono_literals;

namespace {

constexpr int f18 = 79, f19 = 80, todos = 6912;

TEST(AtajoGlobal, UnaCombinacionSoloLaTieneUno) {
    ServicioAtajosMemoria servicioA, servicioB;
    AtajoGlobal a(servicioA), b(servicioB);
    EXPECT_TRUE(a.registrar(9, 768));
    EXPECT_FALSE(b.registrar(9, 768));
    EXPECT_FALSE(b.registrar(9, 768 | 0x10000)); // los bits ajenos no la hacen otra
    EXPECT_FALSE(b.registrado());
    a.retirar();
    EXPECT_TRUE(b.registrar(9, 768));
    // El mismo objeto también cuenta como otro registro: se suelta antes.
    EXPECT_TRUE(b.registrar(9, 768));
}

TEST(AtajoGlobal, RegistrarSueltaLaAnteriorPaseLoQuePase) {
    ServicioAtajosMemoria servicio;
    AtajoGlobal atajo(servicio);
    ASSERT_TRUE(atajo.registrar(f19, todos));
    ASSERT_TRUE(atajo.registrar(f18, todos));
    EXPECT_FALSE(ServicioAtajosMemoria::registrada(f19, todos));
    EXPECT_TRUE(ServicioAtajosMemoria::registrada(f18, todos));

    struct Caso {
        std::int64_t codigo, modificadores;
    };
    for (auto caso : {Caso{70000, 256}, Caso{-1, 256}, Caso{9, -1}, Caso{9, 0x1'0000'0000}}) {
        SCOPED_TRACE(testing::Message() << caso.codigo << "/" << caso.modificadores);
        ASSERT_TRUE(atajo.registrar(f18, todos));
        EXPECT_FALSE(atajo.registrar(caso.codigo, caso.modificadores));
        EXPECT_FALSE(atajo.registrado());
        EXPECT_FALSE(ServicioAtajosMemoria::registrada(f18, todos));
    }
}

TEST(AtajoGlobal, LaPulsacionLlegaDespuesDelEventoYNoSiElObjetoYaNoEsta) {
    ServicioAtajosMemoria servicio;
    int llamadas = 0;
    {
        AtajoGlobal atajo(servicio);
        atajo.alPulsar = [&] { ++llamadas; };
        ASSERT_TRUE(atajo.registrar(9, 768));
        EXPECT_TRUE(ServicioAtajosMemoria::pulsar(9, 768));
        EXPECT_EQ(llamadas, 0); // nunca dentro de la llamada del sistema
        QCoreApplication::processEvents();
        EXPECT_EQ(llamadas, 1);
        EXPECT_FALSE(ServicioAtajosMemoria::pulsar(9, 256));
        EXPECT_TRUE(ServicioAtajosMemoria::pulsar(9, 768));
    }
    // Pulsado justo antes de desaparecer: no llega a nadie.
    QCoreApplication::processEvents();
    EXPECT_EQ(llamadas, 1);
    EXPECT_FALSE(ServicioAtajosMemoria::pulsar(9, 768));
    EXPECT_FALSE(ServicioAtajosMemoria::registrada(9, 768));
}

struct ConAtajo : testing::Test {
    Banco banco;
    int alternados = 0;

    rebisco::EstadoApp& iniciar(bool registrarEnPruebas = true) {
        auto& estado = banco.crear(banco.entornoDePrueba());
        estado.registrarEnPruebas = registrarEnPruebas;
        estado.alternarPanel = [this] { ++alternados; };
        estado.iniciar();
        return estado;
    }
    void sistemaUsa(std::vector<AtajoSistema> atajos) {
        banco.plataforma.teclado().ponerAtajosDelSistema(atajos);
    }
};

TEST_F(ConAtajo, ArrancaConElAtajoPorOmisionYCadaPulsacionAlternaElPanel) {
    auto& estado = iniciar();
    EXPECT_EQ(estado.atajoTexto(), QStringLiteral("Mayús+Súper+V"));
    EXPECT_EQ(estado.problemaAtajo(), std::nullopt);
    EXPECT_FALSE(estado.grabandoAtajo());
    EXPECT_TRUE(ServicioAtajosMemoria::registrada(9, 768));

    ServicioAtajosMemoria::pulsar(9, 768);
    ServicioAtajosMemoria::pulsar(9, 768);
    EXPECT_EQ(alternados, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(alternados, 2);

    estado.cerrar();
    EXPECT_FALSE(ServicioAtajosMemoria::registrada(9, 768));
}

TEST_F(ConAtajo, EnUnaEjecucionDePruebaNoRegistraPeroEscribeElTexto) {
    banco.preferencias.set(P::atajoCodigo, 3);
    auto& estado = iniciar(false);
    EXPECT_EQ(estado.atajoTexto(), QStringLiteral("Mayús+Súper+F"));
    EXPECT_EQ(estado.problemaAtajo(), std::nullopt);
    EXPECT_FALSE(estado.atajoGlobal().registrado());
    EXPECT_FALSE(ServicioAtajosMemoria::registrada(3, 768));
}

TEST_F(ConAtajo, UnaCombinacionDelSistemaNoSeRegistra) {
    sistemaUsa({{9, 768, true}, {f19, todos, false}});
    auto& estado = iniciar();
    EXPECT_EQ(estado.problemaAtajo(), ProblemaAtajo::deMacOS);
    EXPECT_FALSE(ServicioAtajosMemoria::registrada(9, 768));

    estado.cambiarAtajo(f19, todos); // apagado en el sistema: vale
    EXPECT_EQ(estado.problemaAtajo(), std::nullopt);
    EXPECT_TRUE(ServicioAtajosMemoria::registrada(f19, todos));

    // La lista se lee de nuevo cada vez: el usuario acaba de encender ese atajo.
    sistemaUsa({{f19, todos, true}});
    estado.registrarAtajo();
    EXPECT_EQ(estado.problemaAtajo(), ProblemaAtajo::deMacOS);
    EXPECT_FALSE(ServicioAtajosMemoria::registrada(f19, todos));

    estado.cambiarAtajo(9, 768);
    EXPECT_EQ(estado.problemaAtajo(), std::nullopt);
    EXPECT_EQ(estado.atajoTexto(), QStringLiteral("Mayús+Súper+V"));
}

TEST_F(ConAtajo, RechazadoSiOtroLaTieneHastaQueSeVuelveARegistrar) {
    ServicioAtajosMemoria otraApp;
    AtajoGlobal ajeno(otraApp);
    ASSERT_TRUE(ajeno.registrar(9, 768));
    auto& estado = iniciar();
    EXPECT_EQ(estado.problemaAtajo(), ProblemaAtajo::rechazado);
    EXPECT_FALSE(estado.atajoGlobal().registrado());

    ajeno.retirar();
    // Nada reintenta por su cuenta.
    QCoreApplication::processEvents();
    EXPECT_EQ(estado.problemaAtajo(), ProblemaAtajo::rechazado);
    estado.registrarAtajo();
    EXPECT_EQ(estado.problemaAtajo(), std::nullopt);
    EXPECT_TRUE(estado.atajoGlobal().registrado());
}

TEST_F(ConAtajo, CambiarLoGuardaSueltaElViejoYTomaElNuevo) {
    auto& estado = iniciar();
    estado.cambiarAtajo(f19, todos);
    EXPECT_EQ(banco.preferencias.integer(P::atajoCodigo), f19);
    EXPECT_EQ(banco.preferencias.integer(P::atajoModificadores), todos);
    EXPECT_FALSE(ServicioAtajosMemoria::registrada(9, 768));
    EXPECT_TRUE(ServicioAtajosMemoria::registrada(f19, todos));

    estado.cambiarAtajo(f18, todos);
    EXPECT_FALSE(ServicioAtajosMemoria::registrada(f19, todos));
    EXPECT_TRUE(ServicioAtajosMemoria::registrada(f18, todos));
    EXPECT_EQ(estado.atajoTexto(), QStringLiteral("Ctrl+Alt+Mayús+Súper+Tecla 79"));

    // Un valor editado a mano, fuera de rango: rechazado, y el anterior ya suelto.
    estado.cambiarAtajo(70000, 256);
    EXPECT_EQ(estado.problemaAtajo(), ProblemaAtajo::rechazado);
    EXPECT_FALSE(ServicioAtajosMemoria::registrada(f18, todos));
}

TEST_F(ConAtajo, GrabarSuspendeElAtajoHastaVolverARegistrar) {
    auto& estado = iniciar();
    QSignalSpy grabando(&estado, &rebisco::EstadoApp::cambioGrabandoAtajo);
    QSignalSpy texto(&estado, &rebisco::EstadoApp::cambioAtajoTexto);
    QSignalSpy problema(&estado, &rebisco::EstadoApp::cambioProblemaAtajo);

    estado.suspenderAtajo();
    estado.suspenderAtajo();
    EXPECT_TRUE(estado.grabandoAtajo());
    EXPECT_EQ(grabando.count(), 1);
    EXPECT_FALSE(ServicioAtajosMemoria::pulsar(9, 768));

    estado.registrarAtajo();
    estado.registrarAtajo();
    EXPECT_FALSE(estado.grabandoAtajo());
    EXPECT_EQ(grabando.count(), 2);
    EXPECT_TRUE(ServicioAtajosMemoria::registrada(9, 768));
    EXPECT_EQ(texto.count(), 0);
    EXPECT_EQ(problema.count(), 0);

    QSignalSpy rechazo(&estado, &rebisco::EstadoApp::cambioRechazoAtajo);
    estado.ponerRechazoAtajo(QStringLiteral("No"));
    estado.ponerRechazoAtajo(QStringLiteral("No"));
    estado.ponerRechazoAtajo(std::nullopt);
    EXPECT_EQ(rechazo.count(), 2);
}

TEST_F(ConAtajo, UnaPulsacionConElEstadoYaDestruidoNoHaceNada) {
    iniciar();
    ServicioAtajosMemoria::pulsar(9, 768);
    banco.estado->cerrar();
    banco.estado.reset();
    QCoreApplication::processEvents();
    EXPECT_EQ(alternados, 0);
}

} // namespace
