#include "interfaz/Idioma.h"

#include <QRegularExpression>

namespace rebisco::Idioma {

namespace {

QString lenguaDe(const QString& etiqueta) {
    const auto fin = etiqueta.indexOf(QRegularExpression(QStringLiteral("[-_.@]")));
    return etiqueta.left(fin).toLower();
}

} // namespace

QString elegir(const QStringList& preferidos) {
    for (const auto& etiqueta : preferidos) {
        const auto lengua = lenguaDe(etiqueta);
        if (conTabla.contains(lengua)) return lengua;
    }
    return QStringLiteral("en");
}

QString delSistemaEntre(const QStringList& preferidos, const QString& actual) {
    for (const auto& etiqueta : preferidos) {
        // "C" y "POSIX" no son idiomas: son la ausencia de uno.
        if (!etiqueta.isEmpty() && etiqueta != u"C" && etiqueta != u"POSIX") return etiqueta;
    }
    return actual;
}

const QString& actual() {
    static const QString idioma = elegir(QLocale::system().uiLanguages());
    return idioma;
}

const QLocale& local() {
    static const QLocale locale(actual());
    return locale;
}

QString delSistema() {
    return delSistemaEntre(QLocale::system().uiLanguages(), actual());
}

} // namespace rebisco::Idioma
