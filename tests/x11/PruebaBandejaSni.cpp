// La bandeja de D-Bus (StatusNotifierItem) con un anfitrión propio: un bus de sesión propio
// (dbus-daemon) y un observador org.kde.StatusNotifierWatcher (observador_sni). El ítem se
// registra, su menú se lee y se usa por com.canonical.dbusmenu como lo haría un panel. Va sola
// en su programa: Qt decide una vez por proceso si hay bandeja de D-Bus.
#include "AyudasBandejaX11.h"

#include <AyudasBandeja.h>

#include <QMenu>
#include <QRegularExpression>

using namespace pruebas_x11;

namespace {

class BandejaSni : public testing::Test {
protected:
    void SetUp() override {
        if (!hayPantallaAislada()) GTEST_SKIP() << "sin el servidor X de scripts/con-x11.sh";
    }
};

// Un bus de sesión propio mientras vive.
class BusPropio {
public:
    BusPropio() {
        proceso.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
        if (!proceso.waitForStarted(5000)) return;
        procesarHasta([&] {
            salida += QString::fromUtf8(proceso.readAllStandardOutput());
            return salida.contains(u'\n') || proceso.state() == QProcess::NotRunning;
        });
        direccion = salida.section(u'\n', 0, 0).trimmed();
    }
    ~BusPropio() {
        proceso.terminate();
        if (!proceso.waitForFinished(3000)) proceso.kill();
        proceso.waitForFinished(3000);
    }

    QString direccion;

private:
    QProcess proceso;
    QString salida;
};

// Una llamada por el bus propio con gdbus; su respuesta en el texto de GVariant.
std::optional<QString> llamar(const QString& direccion, const QString& destino, const QString& ruta,
                              const QString& metodo, const QStringList& argumentos = {}) {
    return salidaDe("gdbus", QStringList{"call", "--address", direccion, "--dest", destino,
                                         "--object-path", ruta, "--method", metodo, "--"} +
                                 argumentos);
}

// Una entrada del menú de com.canonical.dbusmenu: su id y sus propiedades como texto.
struct EntradaDbus {
    int id = 0;
    QString propiedades;
    QString etiqueta() const {
        const auto m = QRegularExpression(QStringLiteral("'label': <'((?:[^'\\\\]|\\\\.)*)'>"))
                           .match(propiedades);
        return m.hasMatch() ? m.captured(1) : QString();
    }
    bool separador() const { return propiedades.contains("'type': <'separator'>"); }
    bool tiene(const char* propiedad) const {
        return propiedades.contains(QLatin1String(propiedad));
    }
};

// Las entradas de primer nivel de GetLayout, en orden.
std::vector<EntradaDbus> entradasDe(const QString& disposicion) {
    std::vector<EntradaDbus> entradas;
    static const QRegularExpression hoja(
        QStringLiteral("<\\((\\d+), \\{([^}]*)\\}, @av \\[\\]\\)>"));
    for (auto it = hoja.globalMatch(disposicion); it.hasNext();) {
        const auto m = it.next();
        entradas.push_back({m.captured(1).toInt(), m.captured(2)});
    }
    return entradas;
}

TEST_F(BandejaSni, ElItemSeRegistraYSuMenuSeUsaPorDbus) {
    BusPropio bus;
    ASSERT_FALSE(bus.direccion.isEmpty()) << "dbus-daemon no arrancó";
    auto entorno = QProcessEnvironment::systemEnvironment();
    entorno.insert("DBUS_SESSION_BUS_ADDRESS", bus.direccion);
    Fondo observador(OBSERVADOR_SNI, {}, entorno);
    ASSERT_TRUE(observador.linea("listo"));
    // Qt mira la bandeja de D-Bus al crear el primer icono de bandeja.
    qputenv("DBUS_SESSION_BUS_ADDRESS", bus.direccion.toUtf8());

    pruebas::BancoBandeja banco(false, 3);
    EXPECT_TRUE(banco.bandeja->enBandeja());
    EXPECT_EQ(banco.control->menuSinBandeja(), nullptr);
    const auto registro = observador.linea("registrado ");
    ASSERT_TRUE(registro) << "el ítem no se registró en el observador";
    const QString servicio = registro->section(u' ', 1, 1);
    const QString rutaItem = registro->section(u' ', 2, 2);

    auto propiedad = [&](const char* nombre) {
        return llamar(bus.direccion, servicio, rutaItem, "org.freedesktop.DBus.Properties.Get",
                      {"org.kde.StatusNotifierItem", nombre})
            .value_or(QString());
    };
    EXPECT_TRUE(propiedad("ToolTip").contains("'rebisco'")) << propiedad("ToolTip").toStdString();
    const QString iconoNormal = propiedad("IconPixmap");
    EXPECT_TRUE(iconoNormal.contains("0x")) << "sin píxeles del icono";
    const auto rutaMenu = QRegularExpression(QStringLiteral("objectpath '([^']+)'"))
                              .match(propiedad("Menu"))
                              .captured(1);
    ASSERT_FALSE(rutaMenu.isEmpty()) << propiedad("Menu").toStdString();

    auto menu = [&] {
        const auto disposicion = llamar(bus.direccion, servicio, rutaMenu,
                                        "com.canonical.dbusmenu.GetLayout", {"0", "-1", "[]"});
        return entradasDe(disposicion.value_or(QString()));
    };
    auto etiquetas = [&] {
        QStringList t;
        for (const auto& e : menu())
            t.push_back(e.separador() ? "—" : e.etiqueta());
        return t;
    };
    EXPECT_EQ(etiquetas().join(" | ").toStdString(),
              "Mostrar el historial  Mayús+Súper+V | — | recorte 2 | recorte 1 | recorte 0 | — | "
              "Pausar la captura | — | Ajustes… | Acerca de rebisco | — | Salir de rebisco");
    auto entrada = [&](const QString& etiqueta) {
        for (const auto& e : menu())
            if (e.etiqueta() == etiqueta) return e;
        ADD_FAILURE() << "sin la entrada " << etiqueta.toStdString();
        return EntradaDbus{};
    };
    auto pulsar = [&](const QString& etiqueta) {
        return llamar(bus.direccion, servicio, rutaMenu, "com.canonical.dbusmenu.Event",
                      {QString::number(entrada(etiqueta).id), "clicked", "<0>", "0"})
            .has_value();
    };
    EXPECT_TRUE(entrada("Pausar la captura").tiene("'toggle-type': <'checkmark'>"));
    EXPECT_TRUE(entrada("Pausar la captura").tiene("'toggle-state': <0>"));

    // La pausa desde el anfitrión: marca, nombre e icono cambian, y vuelven.
    ASSERT_TRUE(pulsar("Pausar la captura"));
    EXPECT_TRUE(procesarHasta([&] { return banco.estado->pausado(); }));
    EXPECT_TRUE(
        procesarHasta([&] { return entrada("Pausar la captura").tiene("'toggle-state': <1>"); }));
    EXPECT_TRUE(propiedad("ToolTip").contains("'rebisco, en pausa'"));
    EXPECT_TRUE(propiedad("IconPixmap") != iconoNormal) << "el icono no cambió en pausa";
    ASSERT_TRUE(pulsar("Pausar la captura"));
    EXPECT_TRUE(procesarHasta([&] { return !banco.estado->pausado(); }));
    EXPECT_TRUE(propiedad("IconPixmap") == iconoNormal) << "el icono no volvió al normal";

    // Un reciente se pega y sube al principio del menú.
    ASSERT_TRUE(pulsar("recorte 1"));
    EXPECT_TRUE(procesarHasta([&] { return banco.portapapeles().texto() == "recorte 1"; }));
    EXPECT_TRUE(procesarHasta([&] { return etiquetas().value(2) == "recorte 1"; }));
    ASSERT_TRUE(pulsar("Salir de rebisco"));
    EXPECT_TRUE(procesarHasta([&] { return banco.salidas == 1; }));

    // Un título con "_" y "&" llega al anfitrión como se debe leer: "__" es un "_" y el "_"
    // que Qt pone en lugar del primer "&" marca el "&" que le sigue.
    banco.copiar("informe_final & anexo.pdf");
    EXPECT_TRUE(procesarHasta([&] {
        return etiquetas().value(2) == QStringLiteral("informe__final _& anexo.pdf");
    })) << etiquetas().value(2).toStdString();

    // El clic principal del anfitrión abre el menú de la ventana, con el título tal cual.
    ASSERT_TRUE(llamar(bus.direccion, servicio, rutaItem, "org.kde.StatusNotifierItem.Activate",
                       {"600", "10"}));
    EXPECT_TRUE(procesarHasta([&] { return banco.menu().isVisible(); }));
    EXPECT_EQ(pruebas::lineas(banco.menu())[2], "informe_final && anexo.pdf");
    banco.menu().hide();
}

} // namespace
