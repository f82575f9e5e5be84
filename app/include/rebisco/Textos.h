#pragma once

#include <QCoreApplication>
#include <QString>

namespace rebisco {

// Los textos del programa están en español y son las claves de traducción: la tabla
// "Localizable" es la de casi todos, "Menu" la del menú.
inline QString localizable(const char* texto) {
    return QCoreApplication::translate("Localizable", texto);
}

inline QString deMenu(const char* texto) {
    return QCoreApplication::translate("Menu", texto);
}

} // namespace rebisco
