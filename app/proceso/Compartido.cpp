#include "rebisco/EstadoApp.h"
#include "rebisco/Plataformas.h"

namespace rebisco {

// Se crea en el primer uso y vive lo que el proceso: nunca se destruye.
EstadoApp& EstadoApp::compartido() {
    static EstadoApp* estado = [] {
        const auto& entorno = Entorno::proceso();
        auto& plataforma = plataformaDelProceso();
        auto* nuevo = new EstadoApp(Dependencias{
            .plataforma = plataforma,
            .portapapeles = portapapelesDelProceso(plataforma, entorno),
            .preferencias = Preferencias::defaults(),
            .entorno = entorno,
        });
        return nuevo;
    }();
    return *estado;
}

} // namespace rebisco
