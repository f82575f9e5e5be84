#include "rebisco/InicioSesion.h"

#include "rebisco/Textos.h"

#include <plataforma/EntradasEscritorio.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace rebisco::InicioSesion {

namespace {

QString qruta(const std::filesystem::path& ruta) {
    return QString::fromStdString(ruta.string());
}

QString fallo() {
    return localizable("No se pudo cambiar el inicio automático: %1.").arg(qruta(archivo()));
}

} // namespace

std::filesystem::path archivo() {
    const auto config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return std::filesystem::path(config.toStdString()) / "autostart" / "rebisco.desktop";
}

QString programa() {
    const auto imagen = qEnvironmentVariable("APPIMAGE");
    if (!imagen.isEmpty()) return imagen;
    return QCoreApplication::applicationFilePath();
}

QString ordenPara(const QString& programa) {
    // Entre comillas se escapan " ` $ y \; el archivo vuelve a escapar la barra, y el % es %%.
    QString citado;
    for (const QChar c : programa) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\') citado += u'\\';
        citado += c;
    }
    citado.replace(QStringLiteral("\\"), QStringLiteral("\\\\"));
    citado.replace(QStringLiteral("%"), QStringLiteral("%%"));
    return u'"' + citado + u'"';
}

bool activo(const QString& programa) {
    QFile entrada(qruta(archivo()));
    if (!entrada.open(QIODevice::ReadOnly)) return false;
    const auto contenido = entrada.read(256 * 1024).toStdString();
    const auto leida = plataforma::leerEntrada(contenido, {});
    if (leida.oculta || !leida.orden) return false;
    const auto argumentos = plataforma::argumentosDeOrden(*leida.orden);
    return !argumentos.empty() && QString::fromStdString(argumentos.front()) == programa;
}

std::optional<QString> cambiar(bool encender, const QString& programa) {
    const auto ruta = qruta(archivo());
    if (!encender) {
        if (!QFileInfo::exists(ruta) && !QFileInfo(ruta).isSymLink()) return std::nullopt;
        if (!QFile::remove(ruta)) return fallo();
        return std::nullopt;
    }
    if (!QDir().mkpath(QFileInfo(ruta).absolutePath())) return fallo();
    QSaveFile salida(ruta);
    if (!salida.open(QIODevice::WriteOnly)) return fallo();
    const QString texto = QStringLiteral("[Desktop Entry]\n"
                                         "Type=Application\n"
                                         "Name=rebisco\n"
                                         "Exec=%1\n"
                                         "Icon=rebisco\n"
                                         "Terminal=false\n"
                                         "X-GNOME-Autostart-enabled=true\n")
                              .arg(ordenPara(programa));
    salida.write(texto.toUtf8());
    if (!salida.commit()) return fallo();
    return std::nullopt;
}

} // namespace rebisco::InicioSesion
