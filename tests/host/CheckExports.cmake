# Fails unless the module exports VSTPluginMain and main, and no function of
# the instrument inside it.
execute_process(COMMAND nm -D --defined-only ${MODULE} OUTPUT_VARIABLE symbols RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "nm failed on ${MODULE}")
endif()
foreach(name VSTPluginMain main)
  if(NOT symbols MATCHES " T ${name}\n")
    message(FATAL_ERROR "${MODULE} does not export ${name}")
  endif()
endforeach()
if(symbols MATCHES " [TtWw] _ZN4tarn")
  message(FATAL_ERROR "${MODULE} exports the instrument's own functions")
endif()
