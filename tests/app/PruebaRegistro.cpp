#include "AyudasApp.h"

#include <rebisco/Registro.h>

#include <QDateTime>
#include <QLoggingCategory>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>

namespace P = rebisco::Preferencias;
using namespace pruebas;

namespace {

// Recoge lo que llega a rebisco.estado mientras vive; lo demás sigue su camino.
class Escucha {
public:
    explicit Escucha(const char* reglas) {
        QLoggingCategory::setFilterRules(QString::fromLatin1(reglas));
        actual = this;
        anterior = qInstallMessageHandler(&Escucha::recibir);
    }
    ~Escucha() {
        qInstallMessageHandler(anterior);
        actual = nullptr;
        QLoggingCategory::setFilterRules(QString());
    }
    std::vector<std::string> mensajes;

private:
    static void recibir(QtMsgType tipo, const QMessageLogContext& contexto, const QString& texto) {
        if (actual && contexto.category && std::string_view(contexto.category) == "rebisco.estado")
            actual->mensajes.push_back(texto.toStdString());
        else if (actual && actual->anterior)
            actual->anterior(tipo, contexto, texto);
    }
    static inline Escucha* actual = nullptr;
    QtMessageHandler anterior = nullptr;
};

bool alguno(const std::vector<std::string>& mensajes, const std::string& parte) {
    return std::any_of(mensajes.begin(), mensajes.end(),
                       [&](const auto& m) { return m.find(parte) != std::string::npos; });
}

struct Caso {
    const char* nombre;
    std::function<void(Banco&)> provocar;
    const char* contiene;
};

const std::vector<Caso> casos{
    {"retención que falla",
     [](Banco& banco) {
         auto& estado = banco.iniciar();
         banco.guardarVarios(3);
         BaseCruda(banco.base())
             .ejecutar("CREATE TRIGGER impedir BEFORE DELETE ON recortes BEGIN "
                       "SELECT RAISE(ABORT, 'no se deja'); END;");
         banco.preferencias.set(P::maximoRecortes, 1);
         estado.limpiar();
     },
     "no se deja"},
    {"preferencia no válida",
     [](Banco& banco) {
         auto ruta = banco.carpeta / "preferencias.json";
         std::ofstream(ruta) << R"({"maximoRecortes": {"texto": "500"}})";
         rebisco::PreferenciasEnArchivo p(ruta);
         p.registrar(P::registrados());
     },
     "maximoRecortes"},
    {"historial dañado que no se puede apartar",
     [](Banco& banco) {
         std::ofstream(banco.base()) << std::string(4096, 'x');
         std::ofstream(banco.base().string() + "-wal") << "registro";
         // El nombre aparte del registro ya lo ocupa una carpeta con algo dentro: ese
         // renombrado falla aunque las pruebas corran como root.
         const auto ms =
             std::chrono::duration_cast<std::chrono::milliseconds>(banco.ahora.time_since_epoch())
                 .count();
         const auto nombre = "historial-anterior-" +
                             QDateTime::fromMSecsSinceEpoch(ms)
                                 .toLocalTime()
                                 .toString("yyyyMMdd-HHmmss")
                                 .toStdString() +
                             ".sqlite-wal";
         std::filesystem::create_directories(banco.carpeta / nombre / "algo");
         banco.iniciar();
     },
     "no se pudo apartar"},
};

TEST(Registro, CalladoPorOmision) {
    Escucha escucha("");
    EXPECT_FALSE(rebisco::registroEstado().isWarningEnabled());
    for (const auto& caso : casos) {
        SCOPED_TRACE(caso.nombre);
        Banco banco;
        caso.provocar(banco);
    }
    EXPECT_EQ(escucha.mensajes, std::vector<std::string>{});
}

TEST(Registro, ConLasReglasSeVeCadaFallo) {
    for (const auto& caso : casos) {
        SCOPED_TRACE(caso.nombre);
        Escucha escucha("rebisco.estado.warning=true");
        Banco banco;
        caso.provocar(banco);
        EXPECT_TRUE(alguno(escucha.mensajes, caso.contiene))
            << testing::PrintToString(escucha.mensajes);
    }
}

} // namespace
