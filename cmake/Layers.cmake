# The core's layers as libraries, so the linker keeps the order the folders of src/ are in.
#
#   vx_layer(NAME <layer> [INTERFACE] [BELOW <layer>...] [LINKS <layer>...] [SOURCES <file>...])
#
# makes vx_<layer> from src/<layer>/. Layers are declared bottom-up. BELOW names the layers under
# this one that its files may use (the row of the table in .ci/guard.sh); each must have been
# declared already, so the order cannot loop. LINKS names the layers whose code it calls; each
# must be in BELOW. Using a layer only for its types and inline functions needs no link.
#
# Two checks keep it so:
# - configuring stops when a layer links a vx_ library that is not below it: at the vx_layer call,
#   and once more at the end of configuring, for links added later with target_link_libraries;
# - every static layer gets vx_<layer>_link_check, a program built by default from the whole
#   archive of the layer and only the libraries it links. A call into a layer above (or one not
#   linked) is an undefined reference there, so the build fails even when no link names it.

set(VX_LAYER_CHECK_MAIN ${CMAKE_CURRENT_LIST_DIR}/LayerLinkCheck.cpp)

# Stops configuring when `layer` links a vx_ library outside its BELOW list. `linked` is a link
# list as CMake keeps it (LINK_ONLY wrappers and all).
function(_vx_layer_refuse_upward_links layer linked)
  get_property(below GLOBAL PROPERTY VX_LAYER_BELOW_${layer})
  get_property(order GLOBAL PROPERTY VX_LAYERS)
  string(REGEX MATCHALL "vx_[A-Za-z0-9_]+" names "${linked}")
  foreach(name IN LISTS names)
    if(name STREQUAL "vx_warnings")
      continue()
    endif()
    string(REGEX REPLACE "^vx_" "" other "${name}")
    if(NOT other IN_LIST below)
      if(below)
        string(REPLACE ";" " " allowed "${below}")
      else()
        set(allowed "nothing")
      endif()
      string(REPLACE ";" " " order "${order}")
      message(FATAL_ERROR
        "core layer '${layer}' links ${name}, which is not a layer below it.\n"
        "  '${layer}' may link: ${allowed}\n"
        "  core layers declared, bottom-up: ${order}\n"
        "Move the code down, or pass what it needs in from above (a port, a callback, a value).")
    endif()
  endforeach()
endfunction()

# Run at the end of configuring: the link lists as they finally are.
function(_vx_layer_check_all_links)
  get_property(order GLOBAL PROPERTY VX_LAYERS)
  foreach(layer IN LISTS order)
    get_target_property(type vx_${layer} TYPE)
    get_target_property(interface vx_${layer} INTERFACE_LINK_LIBRARIES)
    set(linked "${interface}")
    if(NOT type STREQUAL "INTERFACE_LIBRARY")
      get_target_property(own vx_${layer} LINK_LIBRARIES)
      list(APPEND linked "${own}")
    endif()
    _vx_layer_refuse_upward_links(${layer} "${linked}")
  endforeach()
endfunction()

function(vx_layer)
  cmake_parse_arguments(PARSE_ARGV 0 arg "INTERFACE" "NAME" "BELOW;LINKS;SOURCES")
  get_property(order GLOBAL PROPERTY VX_LAYERS)
  if(arg_NAME IN_LIST order)
    message(FATAL_ERROR "core layer '${arg_NAME}' is declared twice")
  endif()
  foreach(lower IN LISTS arg_BELOW)
    if(NOT lower IN_LIST order)
      message(FATAL_ERROR "core layer '${arg_NAME}': '${lower}' is not a layer declared before it "
                          "(layers are declared bottom-up)")
    endif()
  endforeach()
  if(NOT order)
    cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL _vx_layer_check_all_links)
  endif()
  set_property(GLOBAL APPEND PROPERTY VX_LAYERS ${arg_NAME})
  set_property(GLOBAL PROPERTY VX_LAYER_BELOW_${arg_NAME} "${arg_BELOW}")

  set(target vx_${arg_NAME})
  list(TRANSFORM arg_LINKS PREPEND vx_ OUTPUT_VARIABLE links)
  _vx_layer_refuse_upward_links(${arg_NAME} "${links}")
  if(arg_INTERFACE)
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE ${CMAKE_CURRENT_SOURCE_DIR})
    target_link_libraries(${target} INTERFACE ${links})
    return()
  endif()

  add_library(${target} STATIC ${arg_SOURCES})
  target_include_directories(${target} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(${target} PUBLIC ${links} PRIVATE vx_warnings)

  # The whole archive first, then the layer again for what it links: only lower layers follow.
  add_executable(${target}_link_check ${VX_LAYER_CHECK_MAIN})
  target_link_libraries(${target}_link_check PRIVATE
    -Wl,--whole-archive $<TARGET_FILE:${target}> -Wl,--no-whole-archive ${target})
  # Only the symbols matter; leaving the debug information out keeps the link quick.
  target_link_options(${target}_link_check PRIVATE LINKER:--strip-debug)
endfunction()
