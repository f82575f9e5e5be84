#pragma once

#include <QWidget>

class QLabel;

namespace rebisco {

class EstadoApp;
class IconoSimbolo;
class Logotipo;

// Lo que se ve en lugar de la lista vacía: sin resultados para la búsqueda, o la marca con
// "Aún no hay nada copiado" y cómo abrir el panel. Con un error del almacén, nada (lo explica
// su aviso).
class SinContenido : public QWidget {
    Q_OBJECT
public:
    explicit SinContenido(EstadoApp& estado, QWidget* padre = nullptr);

    QString titulo() const;
    QString descripcion() const;
    void actualizar();

private:
    EstadoApp& estado;
    IconoSimbolo* lupa;
    IconoSimbolo* marca;
    Logotipo* logotipo;
    QLabel* titulo_;
    QLabel* descripcion_;
};

} // namespace rebisco
