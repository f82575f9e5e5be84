# Se ejecuta al instalar, con el prefijo ya decidido (también el de --prefix): escribe la
# entrada de escritorio con la ruta absoluta del programa instalado, para que el menú de
# aplicaciones lo arranque aunque su carpeta no esté en el PATH.
set(programa "${CMAKE_INSTALL_PREFIX}/${REBISCO_BINDIR}/rebisco")
if(NOT IS_ABSOLUTE "${programa}")
  get_filename_component(programa "${programa}" ABSOLUTE)
endif()
# Exec va entre comillas: dentro, \ " ` $ llevan barra, y la barra se duplica otra vez como
# en cualquier texto de la entrada; % se escribe %%.
string(REPLACE "\\" "\\\\\\\\" exec "${programa}")
foreach(caracter "\"" "`" "$")
  string(REPLACE "${caracter}" "\\\\${caracter}" exec "${exec}")
endforeach()
string(REPLACE "%" "%%" exec "${exec}")
set(EXEC "\"${exec}\"")
set(destino "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/${REBISCO_DATADIR}/applications")
configure_file("${REBISCO_PLANTILLA}" "${destino}/rebisco.desktop" @ONLY)
list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${destino}/rebisco.desktop")
message(STATUS "Installing: ${destino}/rebisco.desktop")
