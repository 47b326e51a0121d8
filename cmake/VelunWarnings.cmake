# Strict Qt string handling and warnings for every target of the project.
add_library(velun_options INTERFACE)
target_compile_definitions(velun_options INTERFACE
  QT_NO_CAST_FROM_ASCII
  QT_NO_CAST_TO_ASCII
  QT_NO_CAST_FROM_BYTEARRAY
  QT_NO_URL_CAST_FROM_STRING
  QT_USE_QSTRINGBUILDER
  QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
  QT_NO_FOREACH
  QT_DISABLE_DEPRECATED_UP_TO=0x060400)
target_compile_options(velun_options INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow=local -Wnon-virtual-dtor -Wno-missing-field-initializers)

function(velun_library name)
  add_library(${name} STATIC ${ARGN})
  target_link_libraries(${name} PUBLIC velun_options)
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
endfunction()
