#include "interfaz/Apariencia.h"

namespace rebisco::Apariencia {

QPalette oscura() {
    QPalette p;
    const QColor fondo(36, 36, 40), texto(236, 236, 240);
    for (auto rol : {QPalette::Window, QPalette::Base, QPalette::Button})
        p.setColor(rol, rol == QPalette::Base ? fondo.darker(115) : fondo);
    for (auto rol : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(rol, texto);
    p.setColor(QPalette::PlaceholderText, QColor(150, 150, 158));
    p.setColor(QPalette::AlternateBase, fondo.lighter(120));
    p.setColor(QPalette::Light, fondo.lighter(160));
    p.setColor(QPalette::Mid, fondo.lighter(130));
    p.setColor(QPalette::Dark, fondo.darker(150));
    return p;
}

QPalette clara() {
    QPalette p;
    const QColor fondo(246, 246, 248), texto(28, 28, 32);
    for (auto rol : {QPalette::Window, QPalette::Button})
        p.setColor(rol, fondo);
    p.setColor(QPalette::Base, Qt::white);
    for (auto rol : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(rol, texto);
    p.setColor(QPalette::PlaceholderText, QColor(128, 128, 134));
    return p;
}

} // namespace rebisco::Apariencia
