#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>

namespace rebisco::Idioma {

// Los idiomas de los que rebisco trae tabla: el español de los textos y el inglés.
inline const QStringList conTabla{QStringLiteral("es"), QStringLiteral("en")};

// El primero de los idiomas preferidos ("es-ES", "en_GB", "pt") que tiene tabla, o "en".
QString elegir(const QStringList& preferidos);
// El primero de los preferidos tal cual; sin ninguno, el de la interfaz.
QString delSistemaEntre(const QStringList& preferidos, const QString& actual);

// El idioma de la interfaz según los del usuario (LANGUAGE, LC_ALL, LC_MESSAGES, LANG). Se
// decide una vez y queda fijo para todo el proceso.
const QString& actual();
const QLocale& local();
// El primer idioma del usuario, aunque rebisco no tenga su tabla.
QString delSistema();

} // namespace rebisco::Idioma
