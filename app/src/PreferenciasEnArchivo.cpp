#include "rebisco/Preferencias.h"
#include "rebisco/Registro.h"

#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <sys/stat.h>

#include <system_error>

namespace rebisco {

namespace {

// Cada valor lleva su tipo, para que un Bool, un Int y un String nunca se confundan.
QJsonObject codificar(const QVariant& valor) {
    switch (valor.typeId()) {
    case QMetaType::Bool:
        return {{"bool", valor.toBool()}};
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::Short:
        return {{"entero", valor.toLongLong()}};
    case QMetaType::Double:
        return {{"real", valor.toDouble()}};
    case QMetaType::QString:
        return {{"texto", valor.toString()}};
    default:
        return {{"json", QJsonValue::fromVariant(valor)}};
    }
}

std::optional<QVariant> decodificar(const QJsonValue& entrada) {
    if (!entrada.isObject() || entrada.toObject().size() != 1) return std::nullopt;
    auto objeto = entrada.toObject();
    auto tipo = objeto.begin().key();
    auto valor = objeto.begin().value();
    if (tipo == "bool" && valor.isBool()) return QVariant(valor.toBool());
    if (tipo == "entero" && valor.isDouble() && valor.toDouble() == double(valor.toInteger()))
        return QVariant(valor.toInteger());
    if (tipo == "real" && valor.isDouble()) return QVariant(valor.toDouble());
    if (tipo == "texto" && valor.isString()) return QVariant(valor.toString());
    if (tipo == "json") return valor.toVariant();
    return std::nullopt;
}

QString qruta(const std::filesystem::path& p) {
    return QString::fromStdString(p.string());
}

} // namespace

PreferenciasEnArchivo::PreferenciasEnArchivo(std::filesystem::path ruta)
    : archivo(std::move(ruta)) {
    cargar();
}

namespace Preferencias {

Lectura leerArchivo(const std::filesystem::path& ruta) {
    Lectura lectura;
    QFile entrada(qruta(ruta));
    if (!entrada.exists()) return lectura;
    if (!entrada.open(QIODevice::ReadOnly)) {
        lectura.estado = Lectura::Estado::ilegible;
        lectura.error = entrada.errorString();
        return lectura;
    }
    QJsonParseError error{};
    const auto documento = QJsonDocument::fromJson(entrada.readAll(), &error);
    lectura.estado = error.error == QJsonParseError::NoError && documento.isObject()
                         ? Lectura::Estado::sano
                         : Lectura::Estado::danado;
    const auto raiz = documento.object();
    for (auto it = raiz.begin(); it != raiz.end(); ++it) {
        if (auto valor = decodificar(it.value()))
            lectura.valores.insert(it.key(), *valor);
        else
            lectura.estado = Lectura::Estado::danado;
    }
    return lectura;
}

} // namespace Preferencias

void PreferenciasEnArchivo::cargar() {
    using Estado = Preferencias::Lectura::Estado;
    auto lectura = Preferencias::leerArchivo(archivo);
    valores = std::move(lectura.valores);
    if (lectura.estado == Estado::falta || lectura.estado == Estado::sano) return;
    if (lectura.estado == Estado::ilegible) {
        anotarProblema(QStringLiteral("No se pudieron leer las preferencias (%1): %2")
                           .arg(qruta(archivo), lectura.error));
        soloMemoria = true;
        return;
    }

    // Se conserva lo legible y el archivo original queda aparte, intacto.
    auto aparte = archivo;
    aparte.replace_filename("preferencias-danadas-" +
                            QDateTime::currentDateTime().toString("yyyyMMdd-HHmmss").toStdString() +
                            ".json");
    std::error_code fallo;
    std::filesystem::rename(archivo, aparte, fallo);
    if (fallo) {
        anotarProblema(QStringLiteral("Las preferencias están dañadas y no se pudieron apartar: %1")
                           .arg(QString::fromStdString(fallo.message())));
        soloMemoria = true;
    } else
        anotarProblema(
            QStringLiteral("Las preferencias estaban dañadas; el archivo quedó guardado como «%1».")
                .arg(qruta(aparte.filename())));
}

void PreferenciasEnArchivo::guardar() {
    if (soloMemoria) return;
    std::error_code fallo;
    auto carpeta = archivo.parent_path();
    if (!std::filesystem::exists(carpeta, fallo)) {
        std::filesystem::create_directories(carpeta, fallo);
        if (!fallo) ::chmod(carpeta.c_str(), 0700);
    }
    QJsonObject raiz;
    for (auto it = valores.begin(); it != valores.end(); ++it)
        raiz.insert(it.key(), codificar(*it));

    QSaveFile salida(qruta(archivo));
    bool bien = salida.open(QIODevice::WriteOnly);
    if (bien) {
        salida.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        salida.write(QJsonDocument(raiz).toJson(QJsonDocument::Indented));
        bien = salida.commit();
    }
    if (!bien)
        anotarProblema(QStringLiteral("No se pudieron guardar las preferencias (%1): %2")
                           .arg(qruta(archivo), salida.errorString()));
}

void PreferenciasEnArchivo::set(const QString& clave, const QVariant& valor) {
    if (!valor.isValid()) {
        removeObject(clave);
        return;
    }
    if (valores.value(clave) == valor && valores.value(clave).typeId() == valor.typeId()) return;
    const auto antes = object(clave);
    valores.insert(clave, valor);
    guardar();
    anunciarSiCambio(clave, antes);
}

void PreferenciasEnArchivo::removeObject(const QString& clave) {
    const auto antes = object(clave);
    if (valores.remove(clave) > 0) guardar();
    anunciarSiCambio(clave, antes);
}

void PreferenciasEnArchivo::registrar(const QVariantMap& pares) {
    std::vector<std::pair<QString, QVariant>> antes;
    for (auto it = pares.begin(); it != pares.end(); ++it)
        antes.emplace_back(it.key(), object(it.key()));
    iniciales.insert(pares);
    for (const auto& [clave, valor] : antes)
        anunciarSiCambio(clave, valor);
    // Lo que no vale se deja en el archivo, tal como lo escribió el usuario, pero no cuenta.
    QStringList malas;
    for (auto it = pares.begin(); it != pares.end(); ++it) {
        auto valor = valores.value(it.key());
        if (valor.isValid() && !Preferencias::admite(it.key(), valor, *it)) malas << it.key();
    }
    if (malas.isEmpty()) return;
    anotarProblema(QStringLiteral("Las preferencias tenían valores no válidos, que no se usan: %1.")
                       .arg(malas.join(QStringLiteral(", "))));
}

void PreferenciasEnArchivo::anotarProblema(const QString& texto) {
    // Un guardado que falla una y otra vez se cuenta una sola vez.
    if (problemaArchivo && problemaArchivo->contains(texto)) return;
    qCWarning(registroEstado).noquote() << texto;
    problemaArchivo = problemaArchivo ? *problemaArchivo + QLatin1Char(' ') + texto : texto;
}

} // namespace rebisco
