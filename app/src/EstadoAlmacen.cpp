#include "rebisco/EstadoApp.h"
#include "rebisco/Registro.h"
#include "rebisco/Textos.h"

#include <QDateTime>

#include <cerrno>
#include <system_error>

namespace rebisco {

namespace {

QString desde(const std::string& texto) {
    return QString::fromStdString(texto);
}

} // namespace

std::filesystem::path EstadoApp::rutaAlmacen() const {
    return Preferencias::carpetaDatos(dep.entorno) / "historial.sqlite";
}

void EstadoApp::abrirAlmacen(bool reintentando) {
    auto noSePudo = [this](const QString& descripcion) {
        poner(errorAlmacen_,
              std::optional(localizable("No se pudo abrir el historial: ") + descripcion),
              &EstadoApp::cambioErrorAlmacen);
    };
    // Al reintentar, una espera corta: el hilo principal no debe quedarse parado.
    const auto espera = reintentando ? std::chrono::milliseconds(250) : std::chrono::seconds(3);
    try {
        almacen = std::make_unique<nucleo::Almacen>(rutaAlmacen(), espera);
        // Antes de abrirlo solo pudo verse el error de un historial ocupado, que ya pasó.
        poner(errorAlmacen_, {}, &EstadoApp::cambioErrorAlmacen);
        return;
    } catch (const nucleo::ErrorAlmacen& error) {
        if (error.esCorrupcion()) {
            qCWarning(registroEstado)
                << "historial dañado al abrirlo:" << desde(error.description());
            empezarDeNuevo();
            return;
        }
        noSePudo(desde(error.description()));
        // Otro programa lo tiene cerrado: se sigue intentando, con el error a la vista.
        if (error.esOcupado()) reintentoAlmacen.start(dep.tiempos.reintentoAlmacen);
    } catch (const std::exception& error) {
        noSePudo(QString::fromLocal8Bit(error.what()));
    }
}

bool EstadoApp::tratarDano(const nucleo::ErrorAlmacen& error) {
    if (!error.esCorrupcion()) return false;
    qCWarning(registroEstado) << "historial dañado en uso:" << desde(error.description());
    // Cerrarlo antes de moverlo: la conexión ya no vuelca nada en el archivo dañado.
    almacen.reset();
    empezarDeNuevo();
    return true;
}

void EstadoApp::empezarDeNuevo() {
    const auto ruta = rutaAlmacen();
    auto ahora = QDateTime::fromMSecsSinceEpoch(
        std::chrono::duration_cast<std::chrono::milliseconds>(dep.reloj().time_since_epoch())
            .count());
    auto base =
        "historial-anterior-" + ahora.toLocalTime().toString("yyyyMMdd-HHmmss").toStdString();
    // Un segundo daño en el mismo segundo no debe pisar al primero.
    auto nombre = base + ".sqlite";
    for (int n = 2; std::filesystem::exists(ruta.parent_path() / nombre); ++n)
        nombre = base + "-" + std::to_string(n) + ".sqlite";
    auto aparte = ruta.parent_path() / nombre;

    // El archivo dañado y sus compañeros se apartan juntos: un -wal que quedara atrás se
    // aplicaría sobre el historial nuevo.
    auto noSePudo = [this](const QString& descripcion) {
        poner(errorAlmacen_,
              std::optional(localizable("No se pudo abrir el historial: ") + descripcion),
              &EstadoApp::cambioErrorAlmacen);
    };
    for (const char* sufijo : {"", "-wal", "-shm"}) {
        std::error_code fallo;
        std::filesystem::rename(ruta.string() + sufijo, aparte.string() + sufijo, fallo);
        if (!fallo || fallo == std::errc::no_such_file_or_directory) continue;
        qCWarning(registroEstado) << "no se pudo apartar" << desde(ruta.string() + sufijo) << ":"
                                  << desde(fallo.message());
        // Sin apartarlo, abrir de nuevo sería volver a escribir en el archivo dañado.
        if (*sufijo == '\0') {
            noSePudo(desde(fallo.message()));
            return;
        }
    }
    try {
        almacen = std::make_unique<nucleo::Almacen>(ruta);
        poner(errorAlmacen_,
              std::optional(localizable("El historial estaba dañado y se empezó uno nuevo. El "
                                        "anterior quedó guardado como «") +
                            desde(nombre) + "»."),
              &EstadoApp::cambioErrorAlmacen);
    } catch (const nucleo::ErrorAlmacen& error) {
        noSePudo(desde(error.description()));
    } catch (const std::exception& error) {
        noSePudo(QString::fromLocal8Bit(error.what()));
    }
}

} // namespace rebisco
