# Checks that the application's folders keep their layers: a file includes only from its own
# layer or the ones below it, and only the view folders (and the program's entry) use Qt
# Widgets. Run as a test: cmake -DAPP_DIR=<app folder> -P check_layers.cmake
#
# Layers, lowest first: base (shared types); unit (the program's side of the unit: its calls,
# the binding, the link and finding a lost unit again); model; setup; display, dialogs, exchange
# and part (their headless parts), history (the parts' store), dfq (the DFQ export) and stats
# (the statistics); core
# (start-up, scan, lifecycle and the session that composes the rest); view (the widget kit
# every window shares); the windows of each subsystem (display/view, dialogs/view, exchange/view, part/view);
# core/view (the main window and the Application); the program's entry (main).
cmake_minimum_required(VERSION 3.20)

set(kit_layer 6)
function(layer_of path out)
  if(path MATCHES "^main\\.")
    set(${out} 9 PARENT_SCOPE)
  elseif(path MATCHES "^core/view/")
    set(${out} 8 PARENT_SCOPE)
  elseif(path MATCHES "^[a-z]+/view/")
    set(${out} 7 PARENT_SCOPE)
  elseif(path MATCHES "^view/")
    set(${out} ${kit_layer} PARENT_SCOPE)
  elseif(path MATCHES "^core/")
    set(${out} 5 PARENT_SCOPE)
  elseif(path MATCHES "^(display|dialogs|exchange|part|history|dfq|stats)/")
    set(${out} 4 PARENT_SCOPE)
  elseif(path MATCHES "^setup/")
    set(${out} 3 PARENT_SCOPE)
  elseif(path MATCHES "^model/")
    set(${out} 2 PARENT_SCOPE)
  elseif(path MATCHES "^unit/")
    set(${out} 1 PARENT_SCOPE)
  elseif(path MATCHES "^base/")
    set(${out} 0 PARENT_SCOPE)
  else()
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
  file(STRINGS "${APP_DIR}/${source}" includes REGEX "^#include [\"<]")
  foreach(line IN LISTS includes)
    if(line MATCHES "^#include \"([a-z_]+/[a-z_/]+\\.h)\"")
      set(target "${CMAKE_MATCH_1}")
      layer_of("${target}" other)
      if(other GREATER own)
        string(APPEND faults "\n${source}: includes ${target} from a higher layer")
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
