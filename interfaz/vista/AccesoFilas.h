#pragma once

class QString;

namespace rebisco {

class ListaHistorial;

// La lista del historial vista por la accesibilidad de Qt (AT-SPI en Linux): cada fila es un
// elemento con su nombre (el título) y su detalle; la acción por defecto pega, y hay acciones
// con nombre para pegar sin formato, copiar, fijar o soltar y eliminar.
namespace AccesoFilas {

// Registra la fábrica de interfaces de la lista (una vez por proceso).
void instalar();
// Avisa a la accesibilidad de que esa fila quedó seleccionada.
void anunciarSeleccion(ListaHistorial& lista, int fila);

} // namespace AccesoFilas

} // namespace rebisco
