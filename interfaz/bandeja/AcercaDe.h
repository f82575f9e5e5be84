#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace rebisco {

struct Entorno;

// "Acerca de rebisco": el icono, el nombre, la versión y dónde se guarda el historial.
class AcercaDe : public QDialog {
    Q_OBJECT
public:
    explicit AcercaDe(const Entorno& entorno, QWidget* padre = nullptr);

    // La versión del proyecto, la de CMake.
    static QString version();

    QLabel& nombre() const { return *nombre_; }
    QLabel& textoVersion() const { return *version_; }
    QLabel& privacidad() const { return *privacidad_; }
    QPushButton& cerrar() const { return *cerrar_; }

private:
    QLabel* nombre_;
    QLabel* version_;
    QLabel* privacidad_;
    QPushButton* cerrar_;
};

} // namespace rebisco
