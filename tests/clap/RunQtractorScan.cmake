# Qtractor's headless plug-in scanner reads "CLAP:<path>" lines and prints
# one line per plug-in; Tarnwell must show no audio input, two outputs, one
# MIDI input, its 88 parameters, an editor and state.
file(WRITE ${WORK_DIR}/qtractor-scan-input.txt "CLAP:${MODULE}\n")
execute_process(COMMAND ${SCANNER} INPUT_FILE ${WORK_DIR}/qtractor-scan-input.txt
  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc TIMEOUT 60)
message(STATUS "scanner said:\n${out}${err}")
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the scanner ended with ${rc}")
endif()
string(REGEX MATCH "(^|\n)CLAP\\|Tarnwell\\|0:2\\|1:0\\|88:0\\|[^|\n]*" line "${out}")
if(NOT line)
  message(FATAL_ERROR "no line CLAP|Tarnwell|0:2|1:0|88:0|...")
endif()
string(REGEX REPLACE ".*\\|" "" flags "${line}")
string(REPLACE "," ";" flags "${flags}")
foreach(flag GUI EXT)
  list(FIND flags ${flag} at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the scanner's flags lack ${flag}")
  endif()
endforeach()
