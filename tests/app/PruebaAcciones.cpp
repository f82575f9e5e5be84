#include "AyudasApp.h"

#include <nucleo/Captura.h>

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <functional>

namespace TipoDato = nucleo::TipoDato;
namespace P = rebisco::Preferencias;
using namespace pruebas;
using namespace std::chrono_literals;

namespace {

TEST(Recargar, ListaVisibleRecientesYTotales) {
    Banco banco;
    auto& estado = banco.iniciar();
    banco.guardarVarios(500);
    EXPECT_EQ(estado.recortes().size(), 300u);
    EXPECT_EQ(estado.total(), 500);
    ASSERT_EQ(estado.recientes().size(), 8u);
    EXPECT_TRUE(std::equal(estado.recientes().begin(), estado.recientes().end(),
                           estado.recortes().begin()));
    EXPECT_EQ(estado.recortes().front().vista, "recorte 499");
    EXPECT_GT(estado.bytesTotales(), 0);

    estado.buscar("recorte 49", true);
    EXPECT_EQ(estado.recortes().size(), 15u); // 49, 149, 249, 349, 449 y 490…499
    EXPECT_EQ(estado.recientes().size(), 8u);
    EXPECT_EQ(estado.recientes().front().vista, "recorte 499");
    EXPECT_EQ(estado.total(), 500);
    EXPECT_EQ(estado.seleccion(), estado.recortes().front().id);
}

TEST(Recargar, SoloAvisaCuandoAlgoCambia) {
    Banco banco;
    auto& estado = banco.iniciar();
    banco.guardarVarios(3);
    QSignalSpy recortes(&estado, &rebisco::EstadoApp::cambioRecortes);
    QSignalSpy recientes(&estado, &rebisco::EstadoApp::cambioRecientes);
    QSignalSpy total(&estado, &rebisco::EstadoApp::cambioTotal);
    QSignalSpy seleccion(&estado, &rebisco::EstadoApp::cambioSeleccion);
    estado.recargar(true);
    estado.recargar(false);
    EXPECT_EQ(recortes.count() + recientes.count() + total.count() + seleccion.count(), 0);
    estado.alternarFijado(estado.recortes().back());
    EXPECT_EQ(recortes.count(), 1);
    EXPECT_EQ(total.count(), 0);
}

TEST(Buscar, ElCampoYLaRecarga) {
    Banco banco;
    auto& estado = banco.iniciar();
    std::vector<QString> escritos;
    estado.fijarTextoDelCampo = [&](const QString& t) { escritos.push_back(t); };
    banco.copiar("Canción de cuna");
    banco.copiar("otra cosa");

    QSignalSpy recargas(&estado, &rebisco::EstadoApp::cambioRecortes);
    estado.buscar("CANCION", true);
    EXPECT_EQ(banco.vistas(), std::vector<std::string>{"Canción de cuna"});
    EXPECT_TRUE(escritos.empty());
    EXPECT_EQ(recargas.count(), 1);

    estado.moverSeleccion(1);
    estado.ponerSeleccion(std::nullopt);
    estado.buscar("CANCION", false); // mismo texto: se escribe en el campo, sin recargar
    EXPECT_EQ(escritos, std::vector<QString>{"CANCION"});
    EXPECT_FALSE(estado.seleccion().has_value());

    estado.buscar("", false);
    EXPECT_EQ(estado.recortes().size(), 2u);
    EXPECT_EQ(estado.seleccion(), estado.recortes().front().id);
}

TEST(Seleccion, MoverSinDarLaVuelta) {
    struct Caso {
        std::optional<int> desde; // índice seleccionado; nada si no hay selección
        int paso;
        int hasta;
    };
    const std::vector<Caso> casos{
        {std::nullopt, 1, 0},
        {std::nullopt, -1, 4},
        {std::nullopt, 0, 4},
        {0, -1, 0},
        {4, 1, 4},
        {2, 1, 3},
        {2, -1, 1},
        {1, 10, 4},
    };
    Banco banco;
    auto& estado = banco.iniciar();
    banco.guardarVarios(5);
    for (const auto& caso : casos) {
        estado.ponerSeleccion(caso.desde ? std::optional(estado.recortes()[*caso.desde].id)
                                         : std::nullopt);
        estado.moverSeleccion(caso.paso);
        EXPECT_EQ(estado.seleccion(), estado.recortes()[caso.hasta].id)
            << (caso.desde ? *caso.desde : -1) << " + " << caso.paso;
    }
    // Una selección que no está en la lista cuenta como ninguna.
    estado.ponerSeleccion(987654);
    estado.moverSeleccion(1);
    EXPECT_EQ(estado.seleccion(), estado.recortes()[0].id);
    EXPECT_FALSE((estado.ponerSeleccion(987654), estado.recorteSeleccionado()).has_value());
}

TEST(Eliminar, LaSeleccionSeQuedaEnSuSitio) {
    Banco banco;
    auto& estado = banco.iniciar();
    banco.guardarVarios(4); // lista: 3 2 1 0
    estado.eliminar(estado.recortes()[1]);
    EXPECT_EQ(banco.vistas(), (std::vector<std::string>{"recorte 3", "recorte 1", "recorte 0"}));
    EXPECT_EQ(estado.recorteSeleccionado()->vista, "recorte 1");

    estado.eliminar(estado.recortes().back());
    EXPECT_EQ(estado.recorteSeleccionado()->vista, "recorte 1");
    estado.eliminar(estado.recortes().front());
    estado.eliminar(estado.recortes().front());
    EXPECT_TRUE(estado.recortes().empty());
    EXPECT_FALSE(estado.seleccion().has_value());
}

TEST(Fijar, ConservarLosFijadosAlBorrar) {
    Banco banco;
    auto& estado = banco.iniciar();
    banco.guardarVarios(10);
    estado.alternarFijado(estado.recortes()[7]); // recorte 2
    estado.alternarFijado(
        estado.recortes()[5]); // recorte 5: no pasa a ser el primero por fijarse después
    EXPECT_TRUE(estado.recortes()[0].fijado);
    EXPECT_TRUE(estado.recortes()[1].fijado);
    EXPECT_EQ(estado.recortes()[0].vista, "recorte 5");
    estado.ponerSeleccion(estado.recortes()[6].id);

    estado.borrarHistorial(true);
    EXPECT_EQ(banco.vistas(), (std::vector<std::string>{"recorte 5", "recorte 2"}));
    EXPECT_EQ(estado.seleccion(), estado.recortes().front().id);
    estado.borrarHistorial(false);
    EXPECT_TRUE(estado.recortes().empty());
    EXPECT_EQ(estado.total(), 0);
}

struct Pegado {
    Banco banco;
    rebisco::EstadoApp* estado = nullptr;
    int ocultado = 0;
    bool delante = false;

    explicit Pegado(bool ensayo) {
        estado = &banco.iniciar(
            ensayo ? banco.entornoDeEnsayo() : banco.entornoDePrueba(),
            {.vigilancia = std::chrono::hours(1), .pegadoSiEstamosDelante = 300ms, .pegado = 60ms});
        estado->ocultarPanel = [this] { ++ocultado; };
        estado->appEnPrimerPlano = [this] { return delante; };
        banco.plataforma.escritorio().ponerConfiable(true);
    }

    int pulsaciones() { return static_cast<int>(banco.plataforma.teclado().pulsaciones().size()); }
};

TEST(Pegar, CopiaSubeOcultaYPulsaSoloSiSePuede) {
    struct Caso {
        const char* nombre;
        bool ensayo;
        bool pegarAlElegir;
        bool confiable;
        int pulsaciones;
    };
    const std::vector<Caso> casos{
        {"todo en orden", true, true, true, 1},
        {"sin pegar al elegir", true, false, true, 0},
        {"sin permiso", true, true, false, 0},
        {"ejecución de prueba", false, true, true, 0},
    };
    for (const auto& caso : casos) {
        SCOPED_TRACE(caso.nombre);
        Pegado p(caso.ensayo);
        p.banco.preferencias.set(P::pegarAlElegir, caso.pegarAlElegir);
        p.banco.plataforma.escritorio().ponerConfiable(caso.confiable);
        p.banco.copiar("primero");
        p.banco.copiar("segundo");
        auto antes = p.banco.portapapeles().contadorCambios();
        p.estado->pegar(p.estado->recortes().back(), false);

        EXPECT_EQ(p.banco.vistas(), (std::vector<std::string>{"primero", "segundo"}));
        EXPECT_GT(p.banco.portapapeles().contadorCambios(), antes);
        EXPECT_EQ(p.banco.portapapeles().piezas().front().datos, bytes("primero"));
        EXPECT_EQ(p.ocultado, 1);
        esperar(150ms);
        EXPECT_EQ(p.pulsaciones(), caso.pulsaciones);

        // La escritura propia no vuelve como copia nueva.
        p.estado->alCambiarPortapapeles();
        EXPECT_EQ(p.estado->total(), 2);
    }
}

TEST(Pegar, EsperaMasSiEstabamosDelante) {
    Pegado p(true);
    p.delante = true;
    p.banco.copiar("algo");
    p.estado->pegar(p.estado->recortes().front(), true);
    esperar(150ms);
    EXPECT_EQ(p.pulsaciones(), 0);
    EXPECT_TRUE(esperarHasta([&] { return p.pulsaciones() == 1; }, 2s));
}

TEST(Pegar, SinContenidoNoOcultaNiPulsa) {
    Pegado p(true);
    p.banco.copiar("algo");
    p.banco.portapapeles().rechazarTipo(std::string(TipoDato::texto));
    p.estado->pegar(p.estado->recortes().front(), false);
    EXPECT_EQ(p.estado->aviso(), QString("Ese recorte ya no tiene contenido"));
    EXPECT_EQ(p.ocultado, 0);
    esperar(150ms);
    EXPECT_EQ(p.pulsaciones(), 0);
}

TEST(Copiar, MarcaUsadoYAvisa) {
    Banco banco;
    auto& estado = banco.iniciar();
    banco.copiar("viejo");
    banco.copiar("nuevo");
    auto viejo = estado.recortes().back();
    estado.copiar(viejo);
    EXPECT_EQ(estado.recortes().front().id, viejo.id);
    EXPECT_EQ(estado.recortes().front().creado, viejo.creado);
    EXPECT_EQ(estado.aviso(), QString("Copiado al portapapeles"));
    EXPECT_EQ(estado.total(), 2);
}

TEST(Limpiar, SoloRecargaSiBorraAlgo) {
    Banco banco;
    auto& estado = banco.iniciar();
    banco.guardarVarios(5);
    QSignalSpy recargas(&estado, &rebisco::EstadoApp::cambioTotal);
    estado.limpiar();
    EXPECT_EQ(recargas.count(), 0);
    banco.preferencias.set(P::maximoRecortes, 3);
    estado.limpiar();
    EXPECT_EQ(estado.total(), 3);
}

TEST(Limpiar, ElTemporizadorAplicaLaPolitica) {
    Banco banco;
    auto& estado = banco.iniciar(banco.entornoDePrueba(),
                                 {.vigilancia = std::chrono::hours(1), .limpieza = 50ms});
    banco.guardarVarios(5);
    banco.preferencias.set(P::maximoRecortes, 2);
    EXPECT_TRUE(esperarHasta([&] { return estado.total() == 2; }, 2s));
}

// Un borrado que falla se cuenta como falla un guardado: nadie debe creer que ya no está.
TEST(Eliminar, UnFalloSeAvisaYNadaDesaparece) {
    struct Caso {
        const char* nombre;
        std::function<void(rebisco::EstadoApp&)> borrar;
        const char* aviso;
    };
    const std::vector<Caso> casos{
        {"un recorte", [](auto& e) { e.eliminar(e.recortes().back()); },
         "No se pudo borrar el recorte: SQLite 19: no se deja"},
        {"todo", [](auto& e) { e.borrarHistorial(false); },
         "No se pudo borrar el historial: SQLite 19: no se deja"},
        {"todo menos lo fijado", [](auto& e) { e.borrarHistorial(true); },
         "No se pudo borrar el historial: SQLite 19: no se deja"},
    };
    for (const auto& caso : casos) {
        SCOPED_TRACE(caso.nombre);
        Banco banco;
        auto& estado = banco.iniciar();
        banco.copiar("uno");
        banco.copiar("dos");
        BaseCruda(banco.base())
            .ejecutar("CREATE TRIGGER impedir BEFORE DELETE ON recortes BEGIN "
                      "SELECT RAISE(ABORT, 'no se deja'); END;");
        caso.borrar(estado);
        EXPECT_EQ(estado.aviso(), QString(caso.aviso));
        EXPECT_EQ(banco.vistas(), (std::vector<std::string>{"dos", "uno"}));
        EXPECT_EQ(estado.total(), 2);
    }
}

// Lo que la propia app escribe al elegir o copiar no vuelve por el vigilante: el recorte
// conserva todas sus representaciones (también tras elegirlo como texto solo) y no hay
// una segunda captura.
TEST(Pegar, LaEscrituraPropiaNoVuelvePorElVigilante) {
    struct Caso {
        const char* nombre;
        std::function<void(rebisco::EstadoApp&, const nucleo::Recorte&)> elegir;
    };
    const std::vector<Caso> casos{
        {"elegir como texto", [](auto& e, const auto& r) { e.pegar(r, true); }},
        {"elegir con formato", [](auto& e, const auto& r) { e.pegar(r, false); }},
        {"copiar", [](auto& e, const auto& r) { e.copiar(r); }},
    };
    for (const auto& caso : casos) {
        SCOPED_TRACE(caso.nombre);
        Banco banco;
        auto& estado = banco.iniciar(banco.entornoDePrueba(), {.vigilancia = 5ms});
        banco.portapapeles().escribirPiezas({{std::string(TipoDato::texto), bytes("hola")},
                                             {std::string(TipoDato::html), bytes("<b>hola</b>")}});
        ASSERT_TRUE(esperarHasta([&] { return estado.total() == 1; }));
        const auto filas = [&] {
            return BaseCruda(banco.base())
                .filas("SELECT id, tipo FROM representaciones ORDER BY id");
        };
        const auto antes = filas();
        ASSERT_EQ(antes.size(), 2u);

        caso.elegir(estado, estado.recortes().front());
        esperar(100ms);
        EXPECT_EQ(filas(), antes);
        EXPECT_EQ(estado.total(), 1);
    }
}

} // namespace
