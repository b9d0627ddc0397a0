# Import libraries that load their system library at its first call rather
# than when the program starts. Libraries named in the program's import table
# are loaded, with everything they import in turn, before any of its code can
# run, and are looked up beside the program first: so the program imports
# only the kernel and the C runtime directly, and every other system library
# comes in after the entry has restricted the search to the system directory.
find_program(SETUP_DLLTOOL ${MINGW_PREFIX}-dlltool REQUIRED)
find_program(SETUP_NM ${MINGW_PREFIX}-nm REQUIRED)

# delay_import_library(NAME DLL): a library target delay_NAME that stands in
# for the import library libNAME.a, naming every function it names.
function(delay_import_library name dll)
  find_library(SETUP_IMPORTS_${name} ${name} REQUIRED)
  set(imports ${SETUP_IMPORTS_${name}})
  set(dir ${CMAKE_BINARY_DIR}/delay)
  set(def ${dir}/${name}.def)
  set(lib ${dir}/lib${name}_delay.a)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    # 32-bit names carry a leading underscore and the stdcall argument size,
    # which the imported name leaves off.
    set(prefix "__imp__")
    set(options --kill-at)
  else()
    set(prefix "__imp_")
    set(options)
  endif()
  add_custom_command(OUTPUT ${lib}
    COMMAND ${CMAKE_COMMAND} -DNM=${SETUP_NM} -DIMPORTS=${imports} -DPREFIX=${prefix} -DDLL=${dll} -DDEF=${def}
            -P ${CMAKE_SOURCE_DIR}/cmake/delay_def.cmake
    COMMAND ${SETUP_DLLTOOL} --input-def ${def} --dllname ${dll} --output-delaylib ${lib} ${options}
    DEPENDS ${imports} ${CMAKE_SOURCE_DIR}/cmake/delay_def.cmake
    VERBATIM)
  add_custom_target(delay_${name}_library DEPENDS ${lib})
  add_library(delay_${name} INTERFACE)
  target_link_libraries(delay_${name} INTERFACE ${lib})
  add_dependencies(delay_${name} delay_${name}_library)
endfunction()
