#include "AyudasBandeja.h"

#include <QMenu>

namespace pruebas {

BancoBandeja::BancoBandeja(bool ensayo, int recortes) {
    iniciar(ensayo ? entornoDeEnsayo() : entornoDePrueba());
    guardarVarios(recortes);
    plataforma.escritorio().ponerVentanaActiva(plataforma::Ventana{0x500001, 4242});
    control = std::make_unique<rebisco::ControlPanel>(*estado);
    control->conectar();
    bandeja = std::make_unique<rebisco::Bandeja>(
        *estado, *control, [this] { ++ajustes; }, [this] { ++salidas; });
}

BancoBandeja::~BancoBandeja() {
    bandeja.reset();
    control.reset();
}

QAction* BancoBandeja::entrada(const QString& comienzo) {
    for (QAction* a : menu().actions())
        if (!a->isSeparator() && a->text().startsWith(comienzo)) return a;
    return nullptr;
}

std::vector<std::string> lineas(const QMenu& menu) {
    std::vector<std::string> resultado;
    for (const QAction* a : menu.actions()) {
        if (a->isSeparator()) {
            resultado.emplace_back("—");
            continue;
        }
        std::string linea = a->text().toStdString();
        if (a->isCheckable()) linea = (a->isChecked() ? "[x] " : "[ ] ") + linea;
        if (!a->isEnabled()) linea = "(" + linea + ")";
        if (!a->shortcut().isEmpty())
            linea += "  <" + a->shortcut().toString(QKeySequence::PortableText).toStdString() + ">";
        resultado.push_back(std::move(linea));
    }
    return resultado;
}

} // namespace pruebas
