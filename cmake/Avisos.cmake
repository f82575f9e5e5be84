# Opciones comunes de nuestros objetivos: se adjuntan a cada objetivo, nunca globalmente.
function(rebisco_opciones objetivo)
  target_compile_options(${objetivo} PRIVATE
    -Wall -Wextra -Wpedantic -Wnon-virtual-dtor -Wold-style-cast
    # Los registros se construyen con inicializadores designados que omiten los campos
    # con valor por defecto.
    -Wno-missing-field-initializers)
  if(REBISCO_WERROR)
    target_compile_options(${objetivo} PRIVATE -Werror)
  endif()
  rebisco_sanitizadores(${objetivo})
endfunction()

function(rebisco_sanitizadores objetivo)
  if(REBISCO_SANITIZADORES)
    target_compile_options(${objetivo} PRIVATE
      -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    target_link_options(${objetivo} PRIVATE -fsanitize=address,undefined)
  endif()
endfunction()
