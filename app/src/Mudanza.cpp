#include "rebisco/Mudanza.h"

#include "rebisco/Registro.h"

#include <nucleo/Almacen.h>

#include <QStandardPaths>

#include <exception>
#include <system_error>

namespace fs = std::filesystem;

namespace rebisco::Mudanza {

namespace {

fs::path enCarpeta(QStandardPaths::StandardLocation donde) {
    return fs::path(QStandardPaths::writableLocation(donde).toStdString());
}

// Un enlace roto también cuenta: escribir a través de él sería escribir en otro sitio.
bool existe(const fs::path& ruta) {
    std::error_code fallo;
    return fs::exists(fs::symlink_status(ruta, fallo));
}

bool copiarHistorial(const fs::path& origen, const fs::path& destino) {
    try {
        nucleo::Almacen::copiarBase(origen, destino);
        return true;
    } catch (const std::exception& fallo) {
        qCWarning(registroEstado).noquote()
            << "No se pudo traer el historial de olvane:" << fallo.what();
    }
    // Lo que haya quedado a medias se borra: la próxima vez se vuelve a intentar.
    for (const char* cola : {"", "-journal", "-wal", "-shm"}) {
        std::error_code fallo;
        fs::remove(destino.string() + cola, fallo);
    }
    return false;
}

// Un valor que el almacén no admitiría para la clave (otro tipo, un límite por debajo de 1) no
// se trae: se leería como el registrado y dejaría el archivo con un valor no válido.
bool vale(const QString& clave, const QVariant& valor) {
    const auto muestra = clave == Preferencias::yaSeAbrio
                             ? QVariant(false)
                             : Preferencias::registrados().value(clave);
    return valor.isValid() && Preferencias::admite(clave, valor, muestra);
}

} // namespace

Traido traer(const fs::path& desde, const fs::path& a,
             const std::optional<QVariantMap>& ajustesAnteriores, AlmacenPreferencias& en) {
    Traido traido;
    const auto origen = desde / "historial.sqlite";
    const auto destino = a / "historial.sqlite";
    if (existe(origen) && !existe(destino)) traido.historial = copiarHistorial(origen, destino);

    if (ajustesAnteriores && !en.boolean(Preferencias::mudanzaDeOlvane)) {
        for (const char* clave : clavesQueSeMudan) {
            const auto valor = ajustesAnteriores->value(clave);
            if (!vale(clave, valor)) continue;
            en.set(clave, valor);
            ++traido.ajustes;
        }
        en.set(Preferencias::mudanzaDeOlvane, true);
    }
    return traido;
}

void traerDeOlvaneSiHaceFalta(const Entorno& entorno, AlmacenPreferencias& en) {
    if (entorno.esPrueba() || entorno.esEnsayo()) return;
    const auto desde = enCarpeta(QStandardPaths::GenericDataLocation) / "olvane";
    // Un archivo que no se puede leer entero es como no tener ajustes; el de olvane nunca se
    // toca ni se aparta.
    const auto lectura = Preferencias::leerArchivo(
        enCarpeta(QStandardPaths::GenericConfigLocation) / "olvane" / "preferencias.json");
    using Estado = Preferencias::Lectura::Estado;
    std::optional<QVariantMap> ajustes;
    if (lectura.estado == Estado::sano)
        ajustes = lectura.valores;
    else if (lectura.estado != Estado::falta)
        qCWarning(registroEstado) << "Las preferencias de olvane no se pueden leer; no se traen.";
    traer(desde, Preferencias::carpetaDatos(entorno), ajustes, en);
}

} // namespace rebisco::Mudanza
