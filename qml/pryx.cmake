# Artwork, fonts and translations of the pages, compiled into one generated
# resource file:
# - every images-src/<path>.svg is rendered with rsvg-convert to ":/<path>.png"
#   and ":/<path>@2x.png" (the 2x picture for high-density screens);
# - images-src/icon/image/icon/icon*.svg become the program icon (ICO);
# - images/ holds the pictures made once by images-src/tools (palette strip,
#   busy animation);
# - translations/*.ts are compiled with lrelease into ":/translate/";
# - the Liberation Sans faces (metric-compatible with Arial) go to ":/font/font/".
find_program(PRYX_RSVG rsvg-convert REQUIRED)
find_program(PRYX_CONVERT NAMES convert-im6.q16 convert REQUIRED)
find_program(PRYX_LRELEASE NAMES lrelease lrelease-qt5 PATHS /usr/lib/qt5/bin REQUIRED)
find_program(PRYX_RCC NAMES rcc PATHS /usr/lib/qt5/bin /usr/lib/x86_64-linux-gnu/qt5/bin REQUIRED)

set(_pryx_src ${CMAKE_CURRENT_SOURCE_DIR}/images-src)
set(_pryx_gen ${CMAKE_CURRENT_BINARY_DIR}/gen)
set(_pryx_qrc_entries "")
set(_pryx_deps "")

macro(_pryx_resource alias file)
  string(APPEND _pryx_qrc_entries "    <file alias=\"${alias}\">${file}</file>\n")
endmacro()

file(GLOB_RECURSE _pryx_svgs CONFIGURE_DEPENDS RELATIVE ${_pryx_src} ${_pryx_src}/*.svg)
foreach(_pryx_svg ${_pryx_svgs})
  string(REGEX REPLACE "\\.svg$" "" _pryx_name ${_pryx_svg})
  if(_pryx_name MATCHES "^icon/image/icon/icon(16|32)?$")
    continue()   # the program icon, below
  endif()
  get_filename_component(_pryx_dir ${_pryx_gen}/${_pryx_name} DIRECTORY)
  add_custom_command(
    OUTPUT ${_pryx_gen}/${_pryx_name}.png ${_pryx_gen}/${_pryx_name}@2x.png
    COMMAND ${CMAKE_COMMAND} -E make_directory ${_pryx_dir}
    COMMAND ${PRYX_RSVG} -z 1 -o ${_pryx_gen}/${_pryx_name}.png ${_pryx_src}/${_pryx_svg}
    COMMAND ${PRYX_RSVG} -z 2 -o ${_pryx_gen}/${_pryx_name}@2x.png ${_pryx_src}/${_pryx_svg}
    DEPENDS ${_pryx_src}/${_pryx_svg}
    VERBATIM)
  list(APPEND _pryx_deps ${_pryx_gen}/${_pryx_name}.png ${_pryx_gen}/${_pryx_name}@2x.png)
  _pryx_resource(${_pryx_name}.png ${_pryx_gen}/${_pryx_name}.png)
  _pryx_resource(${_pryx_name}@2x.png ${_pryx_gen}/${_pryx_name}@2x.png)
  if(_pryx_name STREQUAL "image/image/image/avatar_default")
    # The settings store names the default avatar under an older folder.
    _pryx_resource(images/images/avatar_default.png ${_pryx_gen}/${_pryx_name}.png)
    _pryx_resource(images/images/avatar_default@2x.png ${_pryx_gen}/${_pryx_name}@2x.png)
  endif()
endforeach()

# Program icon: 16, 32 and 48 pixel faces in one ICO, for the tray and the
# windows.
set(_pryx_ico ${_pryx_gen}/icon/image/icon/icon.ico)
add_custom_command(
  OUTPUT ${_pryx_ico}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${_pryx_gen}/icon/image/icon
  COMMAND ${PRYX_RSVG} -o ${_pryx_gen}/icon16.png ${_pryx_src}/icon/image/icon/icon16.svg
  COMMAND ${PRYX_RSVG} -o ${_pryx_gen}/icon32.png ${_pryx_src}/icon/image/icon/icon32.svg
  COMMAND ${PRYX_RSVG} -o ${_pryx_gen}/icon48.png ${_pryx_src}/icon/image/icon/icon.svg
  COMMAND ${PRYX_CONVERT} ${_pryx_gen}/icon16.png ${_pryx_gen}/icon32.png ${_pryx_gen}/icon48.png ${_pryx_ico}
  DEPENDS ${_pryx_src}/icon/image/icon/icon16.svg ${_pryx_src}/icon/image/icon/icon32.svg ${_pryx_src}/icon/image/icon/icon.svg
  VERBATIM)
list(APPEND _pryx_deps ${_pryx_ico})
_pryx_resource(icon/image/icon/icon.ico ${_pryx_ico})
_pryx_resource(icon/image/icon.ico ${_pryx_ico})

# Pictures made once (sources and scripts in images-src/tools).
set(_pryx_img ${CMAKE_CURRENT_SOURCE_DIR}/images)
_pryx_resource(component/image/component/color_line_big.png ${_pryx_img}/color_line_big.png)
_pryx_resource(component/image/component/download.gif ${_pryx_img}/download.gif)
list(APPEND _pryx_deps ${_pryx_img}/color_line_big.png ${_pryx_img}/download.gif)

# Translations.
file(GLOB _pryx_ts CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/translations/*.ts)
foreach(_pryx_t ${_pryx_ts})
  get_filename_component(_pryx_tn ${_pryx_t} NAME_WE)
  add_custom_command(
    OUTPUT ${_pryx_gen}/translate/${_pryx_tn}.qm
    COMMAND ${CMAKE_COMMAND} -E make_directory ${_pryx_gen}/translate
    COMMAND ${PRYX_LRELEASE} -silent ${_pryx_t} -qm ${_pryx_gen}/translate/${_pryx_tn}.qm
    DEPENDS ${_pryx_t}
    VERBATIM)
  list(APPEND _pryx_deps ${_pryx_gen}/translate/${_pryx_tn}.qm)
  _pryx_resource(translate/${_pryx_tn}.qm ${_pryx_gen}/translate/${_pryx_tn}.qm)
endforeach()

# Fonts.
foreach(_pryx_face Regular Bold Italic BoldItalic)
  set(_pryx_f /usr/share/fonts/truetype/liberation2/LiberationSans-${_pryx_face}.ttf)
  if(EXISTS ${_pryx_f})
    _pryx_resource(font/font/LiberationSans-${_pryx_face}.ttf ${_pryx_f})
    list(APPEND _pryx_deps ${_pryx_f})
  else()
    message(WARNING "Font ${_pryx_f} is missing (package fonts-liberation2)")
  endif()
endforeach()

set(_pryx_qrc ${_pryx_gen}/pryx_generated.qrc)
file(CONFIGURE OUTPUT ${_pryx_qrc} CONTENT "<!DOCTYPE RCC>\n<RCC version=\"1.0\">\n  <qresource prefix=\"/\">\n${_pryx_qrc_entries}  </qresource>\n</RCC>\n")
set(_pryx_qrc_cpp ${_pryx_gen}/qrc_pryx_generated.cpp)
add_custom_command(
  OUTPUT ${_pryx_qrc_cpp}
  COMMAND ${PRYX_RCC} --name pryx_generated -o ${_pryx_qrc_cpp} ${_pryx_qrc}
  DEPENDS ${_pryx_qrc} ${_pryx_deps}
  VERBATIM)
set_source_files_properties(${_pryx_qrc_cpp} PROPERTIES SKIP_AUTOMOC ON SKIP_AUTORCC ON SKIP_AUTOUIC ON GENERATED ON)
list(APPEND PRYX_GENERATED_QRC ${_pryx_qrc_cpp})
