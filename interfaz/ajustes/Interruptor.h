#pragma once

#include <QAbstractButton>

namespace rebisco {

// Un interruptor de encendido y apagado, en el acento de la marca cuando está encendido.
class Interruptor : public QAbstractButton {
    Q_OBJECT
public:
    explicit Interruptor(const QString& nombre, QWidget* padre = nullptr);

    QSize sizeHint() const override { return {38, 22}; }
    QSize minimumSizeHint() const override { return sizeHint(); }
    // Cambia el estado sin avisar a nadie: para reflejar un cambio hecho en otro sitio.
    void reflejar(bool encendido);

    // Un clic en la etiqueta de su fila lo cambia también.
    bool eventFilter(QObject* objeto, QEvent* evento) override;

protected:
    void paintEvent(QPaintEvent* evento) override;
};

} // namespace rebisco
