#pragma once

#include <QDialog>

#include <string>
#include <vector>

class QLineEdit;
class QListWidget;
class QPushButton;

namespace rebisco {

// Elige aplicaciones instaladas (las entradas de escritorio que salen en los menús), con su
// icono y su nombre, varias a la vez. Da sus identificadores de entrada.
class ElegirApps : public QDialog {
    Q_OBJECT
public:
    explicit ElegirApps(QWidget* padre = nullptr);

    // Las elegidas, en el orden de la lista.
    std::vector<std::string> elegidas() const;
    QListWidget& lista() const { return *lista_; }
    QPushButton& excluir() const { return *excluir_; }

private:
    void filtrar(const QString& texto);

    QLineEdit* buscar;
    QListWidget* lista_;
    QPushButton* excluir_;
};

} // namespace rebisco
