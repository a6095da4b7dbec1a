# cmake -DCHM=vesk.chm -DNAMES="a.htm;b.htm" -P check_chm.cmake
# Fails unless CHM is an ITSF (compiled HTML Help) file whose directory lists every name.
file(READ ${CHM} _magic LIMIT 4 HEX)
if(NOT _magic STREQUAL "49545346")  # "ITSF"
  message(FATAL_ERROR "${CHM}: not a compiled HTML Help file (first bytes ${_magic})")
endif()
file(STRINGS ${CHM} _strings)
string(JOIN "\n" _text ${_strings})
foreach(n ${NAMES})
  string(FIND "${_text}" "/${n}" _at)
  if(_at EQUAL -1)
    message(FATAL_ERROR "${CHM}: no entry /${n}")
  endif()
endforeach()
message(STATUS "${CHM}: ITSF with ${NAMES}")
