#pragma once

namespace rebisco {

// Avisa de que el programa corre desde una carpeta temporal o de solo lectura; verdadero solo
// si el usuario elige «Abrir de todos modos».
bool avisarFueraDeSitio();

// Ofrece cerrar olvane, que sigue abierta; verdadero solo si el usuario elige «Cerrar olvane».
bool preguntarCerrarOlvane();

} // namespace rebisco
