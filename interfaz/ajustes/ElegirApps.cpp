#include "ajustes/ElegirApps.h"

#include <interfaz/Iconos.h>
#include <interfaz/Simbolos.h>
#include <plataforma/EntradasEscritorio.h>
#include <rebisco/Textos.h>

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace rebisco {

namespace {

constexpr int rolId = Qt::UserRole;

} // namespace

ElegirApps::ElegirApps(QWidget* padre)
    : QDialog(padre)
    , buscar(new QLineEdit)
    , lista_(new QListWidget) {
    setWindowTitle(localizable("Añadir app…"));
    auto* columna = new QVBoxLayout(this);
    buscar->setPlaceholderText(localizable("Buscar"));
    buscar->setClearButtonEnabled(true);
    columna->addWidget(buscar);
    lista_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lista_->setIconSize({24, 24});
    lista_->setUniformItemSizes(true);
    columna->addWidget(lista_);

    const auto generico = Simbolos::llamado(QStringLiteral("app.dashed"));
    for (const auto& app : plataforma::aplicacionesInstaladas()) {
        auto* fila = new QListWidgetItem(QString::fromStdString(*app.entrada.nombre), lista_);
        fila->setData(rolId, QString::fromStdString(app.id));
        fila->setToolTip(QString::fromStdString(app.id));
        if (auto icono = Iconos::deApp(app.id))
            fila->setIcon(*icono);
        else if (generico)
            fila->setIcon(generico->icono(palette().color(QPalette::Text)));
    }

    auto* botones = new QDialogButtonBox;
    excluir_ = botones->addButton(localizable("Excluir"), QDialogButtonBox::AcceptRole);
    botones->addButton(localizable("Cancelar"), QDialogButtonBox::RejectRole);
    excluir_->setEnabled(false);
    columna->addWidget(botones);
    connect(botones, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(botones, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(lista_, &QListWidget::itemSelectionChanged, this,
            [this] { excluir_->setEnabled(!lista_->selectedItems().isEmpty()); });
    connect(lista_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    connect(buscar, &QLineEdit::textChanged, this, &ElegirApps::filtrar);
    resize(380, 460);
}

std::vector<std::string> ElegirApps::elegidas() const {
    std::vector<std::string> ids;
    for (int i = 0; i < lista_->count(); ++i)
        if (const auto* fila = lista_->item(i); fila->isSelected() && !fila->isHidden())
            ids.push_back(fila->data(rolId).toString().toStdString());
    return ids;
}

void ElegirApps::filtrar(const QString& texto) {
    for (int i = 0; i < lista_->count(); ++i) {
        auto* fila = lista_->item(i);
        fila->setHidden(!fila->text().contains(texto, Qt::CaseInsensitive) &&
                        !fila->data(rolId).toString().contains(texto, Qt::CaseInsensitive));
    }
}

} // namespace rebisco
