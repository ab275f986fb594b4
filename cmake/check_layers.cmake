# Checks that the application's folders keep their layers: a file includes only from its own
# layer or the ones below it, and only the view folders (and the program's entry) use Qt
# Widgets. Run as a test: cmake -DAPP_DIR=<app folder> -P check_layers.cmake
#
# Layers, lowest first, in the order of a value's road from the unit to the plant:
#   base (shared types), unit (the program's side of the unit), model, setup, display (the
#   displays' logic), part (the part cycle and its display's logic), history (the parts' store),
#   then stats, dfq and exchange side by side (the statistics, the DFQ export, the live-value
#   service), dialogs (the dialogs' tools), core (start-up, scan, lifecycle and the session that
#   composes the rest);
#   view (the widget kit every window shares); every folder's view (its windows, which may include
#   any headless folder but not another folder's windows); core/view (the main window and the
#   Application); main (the program's entry).
cmake_minimum_required(VERSION 3.20)

set(headless base unit model setup display part history "stats|dfq|exchange" dialogs core)
list(LENGTH headless kit_layer)
math(EXPR windows_layer "${kit_layer} + 1")
math(EXPR main_view_layer "${kit_layer} + 2")
math(EXPR main_layer "${kit_layer} + 3")

function(layer_of path out)
  if(path MATCHES "^main\\.")
    set(${out} ${main_layer} PARENT_SCOPE)
  elseif(path MATCHES "^core/view/")
    set(${out} ${main_view_layer} PARENT_SCOPE)
  elseif(path MATCHES "^[a-z]+/view/")
    set(${out} ${windows_layer} PARENT_SCOPE)
  elseif(path MATCHES "^view/")
    set(${out} ${kit_layer} PARENT_SCOPE)
  else()
    set(layer 0)
    foreach(folders IN LISTS headless)
      if(path MATCHES "^(${folders})/")
        set(${out} ${layer} PARENT_SCOPE)
        return()
      endif()
      math(EXPR layer "${layer} + 1")
    endforeach()
    set(${out} -1 PARENT_SCOPE)
  endif()
endfunction()

set(widget_headers "QWidget|QDialog|QMainWindow|QApplication|QPushButton|QLabel|QLineEdit|QCheckBox|QMessageBox|QFileDialog|QMenu|QMenuBar|QTableWidget|QAbstractButton|QFrame|QGroupBox|QTabWidget|QSpinBox|QtWidgets")

get_filename_component(APP_DIR "${APP_DIR}" ABSOLUTE)
file(GLOB_RECURSE sources RELATIVE "${APP_DIR}" "${APP_DIR}/*.h" "${APP_DIR}/*.cpp")
set(faults "")
foreach(source IN LISTS sources)
  layer_of("${source}" own)
  if(own EQUAL -1)
    string(APPEND faults "\n${source}: not in a known folder")
    continue()
  endif()
  string(REGEX REPLACE "/.*" "" own_folder "${source}")
  file(STRINGS "${APP_DIR}/${source}" includes REGEX "^#include [\"<]")
  foreach(line IN LISTS includes)
    if(line MATCHES "^#include \"([a-z_]+/[a-z_/]+\\.h)\"")
      set(target "${CMAKE_MATCH_1}")
      layer_of("${target}" other)
      string(REGEX REPLACE "/.*" "" other_folder "${target}")
      if(other GREATER own)
        string(APPEND faults "\n${source}: includes ${target} from a higher layer")
      elseif(other EQUAL own AND own EQUAL windows_layer AND NOT other_folder STREQUAL own_folder)
        string(APPEND faults "\n${source}: includes ${target}, another folder's window")
      endif()
    elseif(line MATCHES "^#include <(${widget_headers})>" AND own LESS kit_layer)
      string(APPEND faults "\n${source}: uses Qt Widgets (${CMAKE_MATCH_1}) outside a view folder")
    endif()
  endforeach()
endforeach()

if(faults)
  message(FATAL_ERROR "Layer faults:${faults}")
endif()
list(LENGTH sources count)
message(STATUS "${count} files keep their layers")
