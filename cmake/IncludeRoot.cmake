# kelvane_include_root(TARGET): gives the library TARGET, made from the
# folder of the same name as its sources' folder, a PUBLIC include folder
# in the build tree that holds that folder's headers only, as
# <folder>/<header>.h, each forwarding to its source. Includes keep the form
# "gui/Form.h", but a library finds the headers of the libraries it links
# and no others: an include of a layer above is refused by the compiler.
function(kelvane_include_root target)
  get_filename_component(folder ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  set(root ${CMAKE_BINARY_DIR}/include/${folder})
  file(GLOB headers CONFIGURE_DEPENDS RELATIVE ${CMAKE_CURRENT_SOURCE_DIR}
       ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  # Forwarders of headers that are gone would still be found.
  file(GLOB old RELATIVE ${root}/${folder} ${root}/${folder}/*.h)
  foreach(header IN LISTS old)
    if(NOT header IN_LIST headers)
      file(REMOVE ${root}/${folder}/${header})
    endif()
  endforeach()
  foreach(header IN LISTS headers)
    # Written only when its content changes, so nothing rebuilds needlessly.
    file(CONFIGURE OUTPUT ${root}/${folder}/${header}
         CONTENT "#pragma once\n#include \"${CMAKE_CURRENT_SOURCE_DIR}/${header}\"\n" @ONLY)
  endforeach()
  target_include_directories(${target} PUBLIC ${root})
endfunction()
