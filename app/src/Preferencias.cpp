#include "rebisco/Preferencias.h"

#include <QStandardPaths>
#include <QString>

#include <algorithm>
#include <limits>
#include <memory>

namespace rebisco {

QVariant AlmacenPreferencias::object(const QString& clave) const {
    auto valor = guardado(clave);
    auto defecto = registrado(clave);
    if (valor.isValid() && Preferencias::admite(clave, valor, defecto)) return valor;
    return defecto;
}

bool AlmacenPreferencias::boolean(const QString& clave) const {
    auto valor = object(clave);
    return valor.typeId() == QMetaType::Bool && valor.toBool();
}

qint64 AlmacenPreferencias::integer(const QString& clave) const {
    auto valor = object(clave);
    switch (valor.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::Short:
        return valor.toLongLong();
    default:
        return 0;
    }
}

std::optional<QString> AlmacenPreferencias::string(const QString& clave) const {
    auto valor = object(clave);
    if (valor.typeId() != QMetaType::QString) return std::nullopt;
    return valor.toString();
}

void AlmacenPreferencias::anunciarSiCambio(const QString& clave, const QVariant& antes) {
    const auto ahora = object(clave);
    if (ahora == antes && ahora.typeId() == antes.typeId()) return;
    emit cambio(clave);
}

void PreferenciasEnMemoria::set(const QString& clave, const QVariant& valor) {
    const auto antes = object(clave);
    if (!valor.isValid())
        valores.remove(clave);
    else
        valores.insert(clave, valor);
    anunciarSiCambio(clave, antes);
}

void PreferenciasEnMemoria::removeObject(const QString& clave) {
    const auto antes = object(clave);
    valores.remove(clave);
    anunciarSiCambio(clave, antes);
}

void PreferenciasEnMemoria::registrar(const QVariantMap& pares) {
    std::vector<std::pair<QString, QVariant>> antes;
    for (auto it = pares.begin(); it != pares.end(); ++it)
        antes.emplace_back(it.key(), object(it.key()));
    iniciales.insert(pares);
    for (const auto& [clave, valor] : antes)
        anunciarSiCambio(clave, valor);
}

namespace Preferencias {

QVariantMap registrados() {
    return {
        {limitarCantidad, true},    {maximoRecortes, 500},     {limitarDias, false},
        {maximoDias, 30},           {megasMaximos, 20},        {limitarEspacio, true},
        {megasTotales, 500},        {guardarImagenes, true},   {ignorarConfidencial, true},
        {appsExcluidas, QString()}, {pegarAlElegir, true},     {pausado, false},
        {atajoCodigo, 9},           {atajoModificadores, 768},
    };
}

namespace {

enum class Clase { booleano, entero, texto, otra };

Clase claseDe(const QVariant& valor) {
    switch (valor.typeId()) {
    case QMetaType::Bool:
        return Clase::booleano;
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::Short:
        return Clase::entero;
    case QMetaType::QString:
        return Clase::texto;
    default:
        return Clase::otra;
    }
}

// Los límites son de 1 en adelante. No hay máximos: un límite mayor nunca borra más, y volver
// al registrado sí podría.
qint64 minimoDe(const QString& clave) {
    if (clave == maximoRecortes || clave == megasTotales || clave == maximoDias ||
        clave == megasMaximos)
        return 1;
    return std::numeric_limits<qint64>::min();
}

} // namespace

bool admite(const QString& clave, const QVariant& valor, const QVariant& registrado) {
    if (!registrado.isValid()) return true;
    const auto clase = claseDe(valor);
    if (clase != claseDe(registrado)) return false;
    return clase != Clase::entero || valor.toLongLong() >= minimoDe(clave);
}

std::filesystem::path archivoDelUsuario() {
    auto config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return std::filesystem::path(config.toStdString()) / "rebisco" / "preferencias.json";
}

std::unique_ptr<AlmacenPreferencias> crear(const Entorno& entorno) {
    std::unique_ptr<AlmacenPreferencias> nuevo;
    if (entorno.esPrueba())
        nuevo = std::make_unique<PreferenciasEnMemoria>();
    else
        nuevo = std::make_unique<PreferenciasEnArchivo>(archivoDelUsuario());
    nuevo->registrar(registrados());
    return nuevo;
}

std::filesystem::path carpetaDatos(const Entorno& entorno) {
    if (entorno.carpetaDatos) return *entorno.carpetaDatos;
    auto datos = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return std::filesystem::path(datos.toStdString()) / "rebisco";
}

namespace {

bool esSeparadorDeLinea(char32_t c) {
    return (c >= 0x0A && c <= 0x0D) || c == 0x85 || c == 0x2028 || c == 0x2029;
}

bool esBlancoDeLinea(char32_t c) {
    return c == U'\t' || QChar::category(c) == QChar::Separator_Space;
}

std::string recortarBlancos(const std::u32string& pieza) {
    auto inicio = std::find_if_not(pieza.begin(), pieza.end(), esBlancoDeLinea);
    auto fin = std::find_if_not(pieza.rbegin(), pieza.rend(), esBlancoDeLinea).base();
    if (inicio >= fin) return {};
    auto texto = QString::fromUcs4(&*inicio, fin - inicio);
    return texto.toStdString();
}

qint64 megasEnBytes(qint64 megas) {
    // Más allá de esto los bytes no caben en 64 bits; los ajustes nunca lo guardan.
    constexpr qint64 maximo = std::numeric_limits<qint64>::max() / 1'048'576;
    return std::min(megas, maximo) * 1'048'576;
}

} // namespace

std::vector<std::string> lineas(std::string_view texto) {
    // Un CR LF es un solo separador, pero al tirar las piezas vacías da igual contarlo
    // como dos.
    auto escalares =
        QString::fromUtf8(texto.data(), static_cast<qsizetype>(texto.size())).toStdU32String();
    std::vector<std::string> resultado;
    std::u32string pieza;
    auto cerrar = [&] {
        auto limpia = recortarBlancos(pieza);
        if (!limpia.empty()) resultado.push_back(std::move(limpia));
        pieza.clear();
    };
    for (char32_t c : escalares) {
        if (esSeparadorDeLinea(c))
            cerrar();
        else
            pieza.push_back(c);
    }
    cerrar();
    return resultado;
}

nucleo::OpcionesCaptura opcionesCaptura(const AlmacenPreferencias& almacen) {
    auto excluidas = lineas(almacen.string(appsExcluidas).value_or(QString()).toStdString());
    return nucleo::OpcionesCaptura{
        .ignorarConfidencial = almacen.boolean(ignorarConfidencial),
        .appsExcluidas = {excluidas.begin(), excluidas.end()},
        .guardarImagenes = almacen.boolean(guardarImagenes),
        .bytesMaximos = megasEnBytes(std::max<qint64>(almacen.integer(megasMaximos), 1)),
    };
}

nucleo::PoliticaRetencion politica(const AlmacenPreferencias& almacen) {
    nucleo::PoliticaRetencion resultado;
    if (almacen.boolean(limitarCantidad))
        resultado.maximoRecortes = std::max<qint64>(almacen.integer(maximoRecortes), 1);
    if (almacen.boolean(limitarDias))
        resultado.maximoDias = std::max<qint64>(almacen.integer(maximoDias), 1);
    if (almacen.boolean(limitarEspacio))
        resultado.maximoBytes = megasEnBytes(std::max<qint64>(almacen.integer(megasTotales), 1));
    return resultado;
}

} // namespace Preferencias

} // namespace rebisco
