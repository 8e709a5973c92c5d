# Parses the portable sources with Apple's libc++ availability markings in
# effect for the deployment target.
#   -DCOMPILER=... -DRESPONSE_FILE=... -DCOMPILE_COMMANDS=compile_commands.json
#       -DBINARY_ROOT=dir -DPORTABLE_DIRS=a;b;...
#       every file the build compiles for a target of one of the PORTABLE_DIRS
#       (folders of the build under BINARY_ROOT) must parse, with its own -I,
#       -isystem and -D flags;
#   -DCOMPILER=... -DRESPONSE_FILE=... -DBROKEN_FILE=file
#       case 0 of the file must parse, case 1 must fail with "'to_chars' is
#       unavailable", case 2 with a warning made an error.

include(${CMAKE_CURRENT_LIST_DIR}/../support/compiler_cases.cmake)

if(DEFINED BROKEN_FILE)
  expect_broken_cases(${BROKEN_FILE} "1|'to_chars' is unavailable" "2|-Werror,-Wunused-variable")
  return()
endif()

file(READ ${COMPILE_COMMANDS} commands)
string(JSON count LENGTH "${commands}")
math(EXPR last "${count} - 1")
set(checked 0)
foreach(index RANGE ${last})
  string(JSON file GET "${commands}" ${index} file)
  # A target's files are compiled in its own folder of the build.
  string(JSON directory GET "${commands}" ${index} directory)
  set(portable FALSE)
  foreach(dir IN LISTS PORTABLE_DIRS)
    string(FIND "${directory}/" "${BINARY_ROOT}/${dir}/" at)
    if(at EQUAL 0)
      set(portable TRUE)
    endif()
  endforeach()
  if(NOT portable)
    continue()
  endif()
  # The file's own include folders and definitions; the rest of its command
  # is the host compiler's.
  string(JSON command GET "${commands}" ${index} command)
  separate_arguments(arguments UNIX_COMMAND "${command}")
  set(flags "")
  set(take_next FALSE)
  foreach(argument IN LISTS arguments)
    if(take_next)
      list(APPEND flags "${argument}")
      set(take_next FALSE)
    elseif(argument MATCHES "^-(I|D|isystem)$")
      list(APPEND flags "${argument}")
      set(take_next TRUE)
    elseif(argument MATCHES "^-(I|D|isystem)")
      list(APPEND flags "${argument}")
    endif()
  endforeach()
  set(file_${checked} ${file})
  set(flags_${checked} ${flags})
  math(EXPR checked "${checked} + 1")
endforeach()
if(checked EQUAL 0)
  message(FATAL_ERROR "no portable source in ${COMPILE_COMMANDS}")
endif()

# Two files at a time (execute_process runs its commands side by side); a
# file that fails is parsed again alone for its diagnostics.
set(failed 0)
math(EXPR last_file "${checked} - 1")
foreach(first RANGE 0 ${last_file} 2)
  math(EXPR second "${first} + 1")
  set(pair ${first})
  set(commands_of_pair COMMAND ${COMPILER} @${RESPONSE_FILE} ${flags_${first}} ${file_${first}})
  if(second LESS checked)
    list(APPEND pair ${second})
    list(APPEND commands_of_pair
         COMMAND ${COMPILER} @${RESPONSE_FILE} ${flags_${second}} ${file_${second}})
  endif()
  execute_process(${commands_of_pair} RESULTS_VARIABLE results OUTPUT_QUIET ERROR_QUIET)
  foreach(n IN LISTS pair)
    list(POP_FRONT results result)
    if(NOT result EQUAL 0)
      run_compiler(${file_${n}} "${flags_${n}}" result output)
      message("FAILED: ${file_${n}}\n${output}")
      set(failed 1)
    endif()
  endforeach()
endforeach()
if(failed)
  message(FATAL_ERROR "the portable code uses what Apple's libc++ lacks for the deployment target")
endif()
message(STATUS "${checked} portable sources parse with Apple's availability markings")
