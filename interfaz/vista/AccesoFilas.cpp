#include "vista/AccesoFilas.h"

#include "vista/DelegadoFila.h"
#include "vista/ListaHistorial.h"
#include "vista/ModeloRecortes.h"

#include "interfaz/Formato.h"

#include <rebisco/EstadoApp.h>
#include <rebisco/Textos.h>

#include <QAccessibleWidget>
#include <QPointer>

#include <map>

namespace rebisco::AccesoFilas {

namespace {

using Accion = ListaHistorial::Accion;

class AccesoFila : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    AccesoFila(ListaHistorial& lista, std::int64_t id)
        : lista(&lista)
        , id(id) {}

    bool isValid() const override { return lista && fila(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return lista ? lista->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override {
        return lista ? QAccessible::queryAccessibleInterface(lista.data()) : nullptr;
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessible::Role role() const override { return QAccessible::Button; }

    QAccessible::State state() const override {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        s.selectable = true;
        s.selected = lista->estado().seleccion() == id;
        return s;
    }

    QString text(QAccessible::Text t) const override {
        const auto* r = recorte();
        if (!r) return {};
        if (t == QAccessible::Name) return Formato::titulo(*r);
        if (t == QAccessible::Description) return lista->delegado().detalle(*r);
        return {};
    }
    void setText(QAccessible::Text, const QString&) override {}

    QRect rect() const override {
        const auto f = fila();
        if (!f) return {};
        const QRect r = lista->visualRect(lista->modelo().index(*f));
        return QRect(lista->viewport()->mapToGlobal(r.topLeft()), r.size());
    }

    void* interface_cast(QAccessible::InterfaceType tipo) override {
        if (tipo == QAccessible::ActionInterface)
            return static_cast<QAccessibleActionInterface*>(this);
        return nullptr;
    }

    QStringList actionNames() const override {
        const auto* r = recorte();
        if (!r) return {};
        return {pressAction(), localizable("Pegar sin formato"), localizable("Copiar"),
                r->fijado ? localizable("Soltar") : localizable("Fijar arriba"),
                localizable("Eliminar")};
    }

    void doAction(const QString& nombre) override {
        const auto f = fila();
        const auto* r = recorte();
        if (!f || !r) return;
        std::optional<Accion> accion;
        if (nombre == pressAction())
            accion = Accion::pegar;
        else if (nombre == localizable("Pegar sin formato"))
            accion = Accion::pegarSinFormato;
        else if (nombre == localizable("Copiar"))
            accion = Accion::copiar;
        else if (nombre == (r->fijado ? localizable("Soltar") : localizable("Fijar arriba")))
            accion = Accion::alternarFijado;
        else if (nombre == localizable("Eliminar"))
            accion = Accion::eliminar;
        if (accion) lista->ejecutar(*f, *accion);
    }

    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    std::optional<int> fila() const { return lista ? lista->modelo().fila(id) : std::nullopt; }
    const nucleo::Recorte* recorte() const {
        const auto f = fila();
        return f ? lista->modelo().recorte(*f) : nullptr;
    }

    QPointer<ListaHistorial> lista;
    std::int64_t id;
};

// La lista: sus hijos son las filas, no los widgets que lleva dentro.
class AccesoLista : public QAccessibleWidget {
public:
    explicit AccesoLista(ListaHistorial* lista)
        : QAccessibleWidget(lista, QAccessible::List, localizable("Historial del portapapeles")) {}

    ~AccesoLista() override {
        for (const auto& [clave, idAcceso] : filas)
            QAccessible::deleteAccessibleInterface(idAcceso);
    }

    int childCount() const override { return lista()->modelo().rowCount(); }

    QAccessibleInterface* child(int i) const override {
        const auto* r = lista()->modelo().recorte(i);
        if (!r) return nullptr;
        if (const auto it = filas.find(r->id); it != filas.end())
            return QAccessible::accessibleInterface(it->second);
        auto* nueva = new AccesoFila(*lista(), r->id);
        filas.emplace(r->id, QAccessible::registerAccessibleInterface(nueva));
        return nueva;
    }

    int indexOfChild(const QAccessibleInterface* hijo) const override {
        for (int i = 0; i < childCount(); ++i)
            if (child(i) == hijo) return i;
        return -1;
    }

    QAccessibleInterface* childAt(int x, int y) const override {
        const QPoint punto = lista()->viewport()->mapFromGlobal(QPoint(x, y));
        const QModelIndex indice = lista()->indexAt(punto);
        return indice.isValid() ? child(indice.row()) : nullptr;
    }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name) return localizable("Historial del portapapeles");
        return QAccessibleWidget::text(t);
    }

private:
    ListaHistorial* lista() const { return static_cast<ListaHistorial*>(widget()); }

    mutable std::map<std::int64_t, QAccessible::Id> filas;
};

QAccessibleInterface* fabrica(const QString& clase, QObject* objeto) {
    if (clase == QLatin1String("rebisco::ListaHistorial"))
        if (auto* lista = qobject_cast<ListaHistorial*>(objeto)) return new AccesoLista(lista);
    return nullptr;
}

} // namespace

void instalar() {
    static const bool instalada = [] {
        QAccessible::installFactory(fabrica);
        return true;
    }();
    (void)instalada;
}

void anunciarSeleccion(ListaHistorial& lista, int fila) {
    if (!QAccessible::isActive()) return;
    auto* yo = QAccessible::queryAccessibleInterface(&lista);
    if (!yo) return;
    if (auto* hijo = yo->child(fila)) {
        QAccessibleEvent evento(hijo, QAccessible::Focus);
        QAccessible::updateAccessibility(&evento);
    }
}

} // namespace rebisco::AccesoFilas
