#pragma once

#include <QLineEdit>

namespace rebisco {

// El campo de búsqueda del panel. Sabe si el usuario está componiendo un carácter (un
// método de entrada con texto provisional, o una tecla muerta a la espera de la siguiente):
// mientras tanto el panel no toma ninguna tecla.
class CampoBusqueda : public QLineEdit {
    Q_OBJECT
public:
    explicit CampoBusqueda(QWidget* padre = nullptr);

    bool componiendo() const { return provisional || muerta; }

protected:
    void inputMethodEvent(QInputMethodEvent* evento) override;
    void keyPressEvent(QKeyEvent* evento) override;
    void focusOutEvent(QFocusEvent* evento) override;

private:
    bool provisional = false;
    bool muerta = false;
};

} // namespace rebisco
