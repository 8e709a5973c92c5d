# Makes the Debian packages of a build folder with its own CPack configuration
# (CONFIG) in SCRATCH, and unpacks each into SCRATCH/unpacked/<Package>/ with
# its control fields in SCRATCH/unpacked/<Package>.control, and all together
# into SCRATCH/unpacked/all/ as if installed.
#   cmake -DCPACK=... -DCONFIG=.../CPackConfig.cmake -DSCRATCH=... -P build_package.cmake
find_program(DPKG_DEB dpkg-deb)
find_program(DPKG_SHLIBDEPS dpkg-shlibdeps)
if(NOT DPKG_DEB OR NOT DPKG_SHLIBDEPS)
  message("SKIPPED: dpkg-deb or dpkg-shlibdeps (Debian's dpkg-dev) is missing")
  return()
endif()

file(REMOVE_RECURSE ${SCRATCH})
execute_process(COMMAND ${CPACK} --config ${CONFIG} -G DEB -B ${SCRATCH}
  RESULT_VARIABLE status COMMAND_ECHO STDOUT)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cpack failed: ${status}")
endif()

file(GLOB packages ${SCRATCH}/*.deb)
if(NOT packages)
  message(FATAL_ERROR "cpack made no package")
endif()
file(MAKE_DIRECTORY ${SCRATCH}/unpacked)
foreach(package IN LISTS packages)
  execute_process(COMMAND ${DPKG_DEB} --field ${package} Package
    OUTPUT_VARIABLE name OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  foreach(folder ${name} all)
    execute_process(COMMAND ${DPKG_DEB} -x ${package} ${SCRATCH}/unpacked/${folder}
      COMMAND_ERROR_IS_FATAL ANY)
  endforeach()
  execute_process(COMMAND ${DPKG_DEB} --field ${package}
    OUTPUT_FILE ${SCRATCH}/unpacked/${name}.control COMMAND_ERROR_IS_FATAL ANY)
endforeach()
