#include "interfaz/Marca.h"

#include "interfaz/Simbolos.h"

#include "DelProceso.h"

namespace rebisco::Marca {

namespace {

std::optional<Dibujo> delPaquete(const QString& carpeta, const QString& nombre) {
    return Dibujo::cargar(carpeta + u'/' + nombre + QStringLiteral(".svg"), true);
}

// Siempre de plantilla: lo son los dibujos del paquete, los símbolos y el vacío que queda.
Dibujo plantilla(const std::optional<Dibujo>& delPaquete, const QString& respaldo) {
    if (delPaquete) return *delPaquete;
    if (auto simbolo = Simbolos::llamado(respaldo)) return *simbolo;
    return Dibujo().comoPlantilla();
}

} // namespace

Paquete cargar(const QString& carpeta) {
    const auto normal = delPaquete(carpeta, QStringLiteral("BarraNormal"));
    const auto pausa = delPaquete(carpeta, QStringLiteral("BarraPausa"));
    Paquete paquete;
    paquete.barraNormal = plantilla(normal, QStringLiteral("list.clipboard"));
    paquete.barraPausa = plantilla(pausa, QStringLiteral("pause.circle"));
    paquete.logotipoLetras = delPaquete(carpeta, QStringLiteral("LogotipoLetras"));
    paquete.logotipoAcento = delPaquete(carpeta, QStringLiteral("LogotipoAcento"));
    paquete.enPaquete = normal && pausa && paquete.logotipoLetras && paquete.logotipoAcento;
    return paquete;
}

const Paquete& delPrograma() {
    auto& guardado = detalle::delProceso<std::optional<Paquete>>();
    if (!guardado) guardado = cargar(QStringLiteral(":/rebisco/marca"));
    return *guardado;
}

QColor acento(bool oscuro) {
    return oscuro ? QColor(125, 122, 255) : QColor(88, 86, 214);
}

bool esOscura(const QPalette& paleta) {
    // Un fondo transparente (una hoja de estilo con "background: transparent") no dice nada
    // del tema: entonces manda el texto, claro sobre fondo oscuro.
    const QColor fondo = paleta.color(QPalette::Window);
    if (fondo.alpha() < 128) return paleta.color(QPalette::WindowText).lightnessF() > 0.5;
    return fondo.lightnessF() < 0.5;
}

QColor acento(const QPalette& paleta) {
    return acento(esOscura(paleta));
}

void aplicarAcento(QPalette& paleta) {
    const auto color = acento(paleta);
    for (auto grupo : {QPalette::Active, QPalette::Inactive}) {
        paleta.setColor(grupo, QPalette::Highlight, color);
        paleta.setColor(grupo, QPalette::HighlightedText, Qt::white);
        paleta.setColor(grupo, QPalette::Link, color);
    }
}

QIcon iconoApp() {
    auto& icono = detalle::delProceso<std::optional<QIcon>>();
    if (!icono) {
        const auto dibujo = Dibujo::cargar(QStringLiteral(":/rebisco/rebisco.svg"), false);
        icono = dibujo ? dibujo->icono(QColor()) : QIcon();
    }
    return *icono;
}

} // namespace rebisco::Marca
