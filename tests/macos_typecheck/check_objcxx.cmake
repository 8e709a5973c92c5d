# Type-checks Objective-C++ files with a compiler and a response file of flags.
#   -DCOMPILER=... -DRESPONSE_FILE=... -DSOURCE_DIR=dir
#       every *.mm file in the folder must pass;
#   -DCOMPILER=... -DRESPONSE_FILE=... -DBROKEN_FILE=file
#       case 0 of the file must pass, and each case below must fail with the
#       diagnostic that names its fault.

include(${CMAKE_CURRENT_LIST_DIR}/../support/compiler_cases.cmake)

if(DEFINED SOURCE_DIR)
  file(GLOB sources ${SOURCE_DIR}/*.mm)
  if(NOT sources)
    message(FATAL_ERROR "no Objective-C++ files in ${SOURCE_DIR}")
  endif()
  set(failed 0)
  foreach(source IN LISTS sources)
    run_compiler(${source} "" result output)
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

expect_broken_cases(${BROKEN_FILE}
  "1|no visible @interface for 'NSStatusItem' declares the selector 'setVisibility:'"
  "2|cannot initialize a parameter of type 'CGFloat'"
  "3|use of undeclared identifier 'NSVariableStatusItemWidth'"
  "4|no known conversion from 'host_cpu_load_info_data_t \\*'"
  "5|ARC forbids explicit message send of 'retain'"
  "6|to C pointer type 'void \\*' requires a bridged cast"
  "7|capturing 'self' strongly in this block is likely to lead to a retain cycle")
