# Type-checks Objective-C++ files with a compiler and a response file of flags.
#   -DCOMPILER=... -DRESPONSE_FILE=... -DSOURCE_DIR=dir
#       every *.mm file in the folder must pass;
#   -DCOMPILER=... -DRESPONSE_FILE=... -DBROKEN_FILE=file
#       case 0 of the file must pass, and each case below must fail with the
#       diagnostic that names its fault.

function(check_file file defines result_var output_var)
  execute_process(
    COMMAND ${COMPILER} @${RESPONSE_FILE} ${defines} ${file}
    RESULT_VARIABLE result
    OUTPUT_VARIABLE output
    ERROR_VARIABLE output)
  set(${result_var} ${result} PARENT_SCOPE)
  set(${output_var} "${output}" PARENT_SCOPE)
endfunction()

if(DEFINED SOURCE_DIR)
  file(GLOB sources ${SOURCE_DIR}/*.mm)
  if(NOT sources)
    message(FATAL_ERROR "no Objective-C++ files in ${SOURCE_DIR}")
  endif()
  set(failed 0)
  foreach(source IN LISTS sources)
    check_file(${source} "" result output)
    if(result EQUAL 0)
      message(STATUS "passed: ${source}")
    else()
      message("FAILED: ${source}\n${output}")
      set(failed 1)
    endif()
  endforeach()
  if(failed)
    message(FATAL_ERROR "the type check found faults")
  endif()
  return()
endif()

check_file(${BROKEN_FILE} -DVELMORA_BROKEN_CASE=0 result output)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the sound case does not pass, so no failure would prove anything:\n${output}")
endif()
set(expected
  "1|no visible @interface for 'NSStatusItem' declares the selector 'setVisibility:'"
  "2|cannot initialize a parameter of type 'CGFloat'"
  "3|use of undeclared identifier 'NSVariableStatusItemWidth'"
  "4|no known conversion from 'host_cpu_load_info_data_t \\*'"
  "5|ARC forbids explicit message send of 'retain'"
  "6|to C pointer type 'void \\*' requires a bridged cast"
  "7|capturing 'self' strongly in this block is likely to lead to a retain cycle")
foreach(entry IN LISTS expected)
  string(FIND "${entry}" "|" bar)
  string(SUBSTRING "${entry}" 0 ${bar} case)
  math(EXPR start "${bar} + 1")
  string(SUBSTRING "${entry}" ${start} -1 diagnostic)
  check_file(${BROKEN_FILE} -DVELMORA_BROKEN_CASE=${case} result output)
  if(result EQUAL 0)
    message(FATAL_ERROR "case ${case} passed the check, which should have failed it")
  endif()
  if(NOT output MATCHES "${diagnostic}")
    message(FATAL_ERROR "case ${case} failed without the diagnostic \"${diagnostic}\":\n${output}")
  endif()
  message(STATUS "case ${case} failed as it must: ${diagnostic}")
endforeach()
