# Shared by the scripts that run a compiler over sources with a response file
# of flags (-DCOMPILER=... -DRESPONSE_FILE=...).

# Runs the compiler over one file with extra flags; gives its status and its
# output, standard error included.
function(run_compiler file flags result_var output_var)
  execute_process(
    COMMAND ${COMPILER} @${RESPONSE_FILE} ${flags} ${file}
    RESULT_VARIABLE result
    OUTPUT_VARIABLE output
    ERROR_VARIABLE output)
  set(${result_var} ${result} PARENT_SCOPE)
  set(${output_var} "${output}" PARENT_SCOPE)
endfunction()

# A negative control: case 0 of the file (VELMORA_BROKEN_CASE) must compile,
# so that a failure proves something, and each "N|diagnostic" entry's case
# must fail with an output matching its diagnostic.
function(expect_broken_cases file)
  run_compiler(${file} -DVELMORA_BROKEN_CASE=0 result output)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "the sound case does not compile, so no failure would prove anything:\n${output}")
  endif()
  foreach(entry IN LISTS ARGN)
    string(FIND "${entry}" "|" bar)
    string(SUBSTRING "${entry}" 0 ${bar} case)
    math(EXPR start "${bar} + 1")
    string(SUBSTRING "${entry}" ${start} -1 diagnostic)
    run_compiler(${file} -DVELMORA_BROKEN_CASE=${case} result output)
    if(result EQUAL 0)
      message(FATAL_ERROR "case ${case} compiled, which it must not")
    endif()
    if(NOT output MATCHES "${diagnostic}")
      message(FATAL_ERROR "case ${case} failed without the diagnostic \"${diagnostic}\":\n${output}")
    endif()
    message(STATUS "case ${case} failed as it must: ${diagnostic}")
  endforeach()
endfunction()
