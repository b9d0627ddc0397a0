# cmake -DNM= -DIMPORTS= -DPREFIX= -DDLL= -DDEF= -P delay_def.cmake: writes a
# module definition naming every function of the import library IMPORTS (its
# symbols PREFIX + name), for dlltool to make a delay-load library from.
execute_process(COMMAND ${NM} ${IMPORTS} OUTPUT_VARIABLE symbols RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "${NM} could not read ${IMPORTS}")
endif()
string(REGEX MATCHALL " I ${PREFIX}[^\r\n]+" found "${symbols}")
list(REMOVE_DUPLICATES found)
set(text "LIBRARY ${DLL}\nEXPORTS\n")
foreach(entry IN LISTS found)
  string(REPLACE " I ${PREFIX}" "" name "${entry}")
  string(APPEND text "${name}\n")
endforeach()
file(WRITE ${DEF} "${text}")
