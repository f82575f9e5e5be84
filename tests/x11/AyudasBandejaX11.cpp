#include "AyudasBandejaX11.h"

#include <gtest/gtest.h>

namespace pruebas_x11 {

std::optional<QString> salidaDe(const QString& programa, const QStringList& argumentos) {
    QProcess proceso;
    proceso.start(programa, argumentos);
    if (!proceso.waitForStarted(5000)) return std::nullopt;
    if (!procesarHasta([&] { return proceso.state() == QProcess::NotRunning; }, 10s)) {
        proceso.kill();
        proceso.waitForFinished(5000);
        return std::nullopt;
    }
    if (proceso.exitStatus() != QProcess::NormalExit || proceso.exitCode() != 0) {
        ADD_FAILURE() << programa.toStdString() << ": "
                      << proceso.readAllStandardError().toStdString();
        return std::nullopt;
    }
    return QString::fromUtf8(proceso.readAllStandardOutput());
}

Fondo::Fondo(const QString& programa, const QStringList& argumentos,
             const QProcessEnvironment& entorno) {
    proceso.setProcessEnvironment(entorno);
    proceso.start(programa, argumentos);
    proceso.waitForStarted(5000);
}

Fondo::~Fondo() {
    terminar();
}

void Fondo::terminar() {
    if (proceso.state() == QProcess::NotRunning) return;
    proceso.terminate();
    if (!proceso.waitForFinished(3000)) proceso.kill();
    proceso.waitForFinished(3000);
}

std::optional<QString> Fondo::linea(const QString& comienzo, std::chrono::milliseconds plazo) {
    std::optional<QString> hallada;
    procesarHasta(
        [&] {
            salida += QString::fromUtf8(proceso.readAllStandardOutput());
            const auto completas = salida.left(salida.lastIndexOf(u'\n') + 1).split(u'\n');
            for (const auto& l : completas)
                if (!hallada && l.startsWith(comienzo)) hallada = l;
            return hallada.has_value() || proceso.state() == QProcess::NotRunning;
        },
        plazo);
    return hallada;
}

} // namespace pruebas_x11
