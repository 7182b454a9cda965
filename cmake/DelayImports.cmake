# System DLLs delay-loaded, for a program that narrows the DLL search in its
# own entry point before it loads any of them (app/DllSearch.h).
#
# Windows looks for a DLL that is not a known DLL in the program's own folder
# first, and the DLLs of an import table are loaded before any code of the
# program runs: SetDefaultDllDirectories comes too late for them (and for
# what they load: Wine's user32 imports version.dll). Delay-loaded, a DLL is
# loaded by the first call into it, through LoadLibrary, which by then
# searches System32 only. What stays in the import table is kernel32, the C
# runtime (msvcrt) and ntdll, which every process has loaded before its own
# code runs; the program's link fails if anything else is found there.
#
# kelvane_delay_system_dlls(TARGET ENTRY function): links the executable
# TARGET with delay-import libraries named like the toolchain's import
# libraries of the system DLLs below, found first through a folder of their
# own, so that every -l of them (the project's, CMake's standard libraries,
# the compiler driver's) binds to a delay-load thunk; makes `function` the
# entry point; checks the import table after each link.
#
# With MinGW-w64 (GCC, binutils) its dlltool makes the delay-import
# libraries, from the names its import libraries define. With MSVC the usual
# import libraries serve, with /DELAYLOAD:<dll> for each, delayimp.lib and
# /ENTRY:<function> (not built here); its /DEPENDENTLOADFLAG:0x800 would
# narrow the load-time imports' search instead, but only from Windows 10 1607
# on (not tried here).
#
# The x64 thunks keep the four integer argument registers across the loading
# and not xmm0-3: a function with floating-point arguments among its first
# four would get them spoilt on its first call; the program calls none.
#
# Run as a script (cmake -P) it does one step: MODE=library makes one
# delay-import library, MODE=check checks an executable's imports.

set(kelvane_delayed_libraries advapi32 comctl32 comdlg32 gdi32 ole32 oleaut32 shell32 shlwapi
    user32 winspool)
set(kelvane_load_time_dlls kernel32.dll msvcrt.dll ntdll.dll)

if(CMAKE_SCRIPT_MODE_FILE)
  cmake_minimum_required(VERSION 3.20)
  if(MODE STREQUAL "library")
    # IMPORT_LIB, OUTPUT, NM, DLLTOOL, AR, WORK, UNDERSCORE (the 32-bit
    # symbols' leading underscore and stdcall suffix).
    execute_process(COMMAND ${DLLTOOL} --identify ${IMPORT_LIB} OUTPUT_VARIABLE dll
                    OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    execute_process(COMMAND ${NM} -A ${IMPORT_LIB} OUTPUT_VARIABLE symbols
                    ERROR_QUIET COMMAND_ERROR_IS_FATAL ANY)
    # Each import defines a function (T) beside its __imp_ pointer.
    string(REGEX MATCHALL "[^\n ]+ T [^\n]+" functions "${symbols}")
    set(def "LIBRARY ${dll}\nEXPORTS\n")
    foreach(line IN LISTS functions)
      string(REGEX REPLACE ".* T " "" name "${line}")
      if(UNDERSCORE)
        string(REGEX REPLACE "^_" "" name "${name}")
      endif()
      string(APPEND def "${name}\n")
    endforeach()
    file(REMOVE_RECURSE ${WORK})
    file(MAKE_DIRECTORY ${WORK})
    get_filename_component(base ${IMPORT_LIB} NAME_WE)
    file(WRITE ${WORK}/${base}.def "${def}")
    set(kill_at)
    if(UNDERSCORE)
      set(kill_at --kill-at) # imported by the undecorated name
    endif()
    execute_process(COMMAND ${DLLTOOL} ${kill_at} --input-def ${WORK}/${base}.def
                    --dllname ${dll} --output-delaylib ${OUTPUT}.new
                    WORKING_DIRECTORY ${WORK} COMMAND_ERROR_IS_FATAL ANY)
    # Members that are no imports (shell32's GUIDs) go along unchanged.
    string(REGEX MATCHALL "[^\n]+:[^\n:]+\\.o:[0-9a-f]+ [DRB] " data "${symbols}")
    set(members)
    foreach(line IN LISTS data)
      string(REGEX REPLACE "^.*:([^:]+\\.o):.*$" "\\1" member "${line}")
      list(APPEND members ${member})
    endforeach()
    list(REMOVE_DUPLICATES members)
    if(members)
      execute_process(COMMAND ${AR} x ${IMPORT_LIB} ${members} WORKING_DIRECTORY ${WORK}
                      COMMAND_ERROR_IS_FATAL ANY)
      execute_process(COMMAND ${AR} rs ${OUTPUT}.new ${members} WORKING_DIRECTORY ${WORK}
                      COMMAND_ERROR_IS_FATAL ANY)
    endif()
    file(RENAME ${OUTPUT}.new ${OUTPUT})
  elseif(MODE STREQUAL "check")
    # EXE, OBJDUMP, ALLOWED (a list, lower case).
    execute_process(COMMAND ${OBJDUMP} -p ${EXE} OUTPUT_VARIABLE headers
                    COMMAND_ERROR_IS_FATAL ANY)
    string(REGEX MATCHALL "DLL Name: [^\n]+" names "${headers}")
    foreach(line IN LISTS names)
      string(REGEX REPLACE "DLL Name: " "" dll "${line}")
      string(TOLOWER "${dll}" dll)
      if(NOT dll IN_LIST ALLOWED)
        message(FATAL_ERROR "${EXE} imports ${dll} at load time, before its entry point can "
                            "narrow the DLL search; delay-load it (cmake/DelayImports.cmake)")
      endif()
    endforeach()
  endif()
  return()
endif()

function(kelvane_delay_system_dlls target)
  cmake_parse_arguments(D "" "ENTRY" "" ${ARGN})
  if(MSVC) # not built on this machine
    foreach(name IN LISTS kelvane_delayed_libraries)
      set(dll ${name}.dll)
      if(name STREQUAL "winspool")
        set(dll winspool.drv)
      endif()
      target_link_options(${target} PRIVATE /DELAYLOAD:${dll})
    endforeach()
    target_link_libraries(${target} PRIVATE delayimp)
    target_link_options(${target} PRIVATE /ENTRY:${D_ENTRY})
    return()
  endif()
  set(dir ${CMAKE_BINARY_DIR}/delay-imports)
  set(underscore OFF)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(underscore ON)
  endif()
  if(NOT TARGET kelvane_delay_imports)
    set(outputs)
    foreach(name IN LISTS kelvane_delayed_libraries)
      execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=lib${name}.a
                      OUTPUT_VARIABLE import_lib OUTPUT_STRIP_TRAILING_WHITESPACE)
      if(NOT IS_ABSOLUTE "${import_lib}")
        message(FATAL_ERROR "kelvane_delay_system_dlls: no lib${name}.a in the toolchain")
      endif()
      add_custom_command(
        OUTPUT ${dir}/lib${name}.a
        COMMAND ${CMAKE_COMMAND} -DMODE=library -DIMPORT_LIB=${import_lib}
                -DOUTPUT=${dir}/lib${name}.a -DNM=${CMAKE_NM} -DDLLTOOL=${CMAKE_DLLTOOL}
                -DAR=${CMAKE_AR} -DWORK=${dir}/work-${name} -DUNDERSCORE=${underscore}
                -P ${CMAKE_CURRENT_FUNCTION_LIST_FILE}
        DEPENDS ${import_lib} ${CMAKE_CURRENT_FUNCTION_LIST_FILE}
        COMMENT "Delay-import library of lib${name}.a" VERBATIM)
      list(APPEND outputs ${dir}/lib${name}.a)
    endforeach()
    add_custom_target(kelvane_delay_imports DEPENDS ${outputs})
    set_property(TARGET kelvane_delay_imports PROPERTY KELVANE_LIBRARIES ${outputs})
  endif()
  get_property(libraries TARGET kelvane_delay_imports PROPERTY KELVANE_LIBRARIES)
  add_dependencies(${target} kelvane_delay_imports)
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${libraries})
  target_link_directories(${target} BEFORE PRIVATE ${dir})
  set(entry ${D_ENTRY})
  if(underscore)
    set(entry _${D_ENTRY})
  endif()
  target_link_options(${target} PRIVATE -Wl,--entry=${entry})
  add_custom_command(
    TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DMODE=check -DEXE=$<TARGET_FILE:${target}>
            -DOBJDUMP=${CMAKE_OBJDUMP} "-DALLOWED=${kelvane_load_time_dlls}"
            -P ${CMAKE_CURRENT_FUNCTION_LIST_FILE}
    VERBATIM)
endfunction()
