# Lays out the demo: an installation folder (the program, its companion
# libraries, vexascan.ini and Includes\ with the demo rules encoded by the
# rule-file tool) and the demo image (examples/demo-image with its registry
# hives built by the hive tool from the .reg sources in examples/demo-registry).
#
#   cmake -D SOURCE_DIR=... -D BINARY_DIR=... -D HIVETOOL=... -D RULEFILE=...
#         -D PROGRAM=... -D PROBEX=... -D KITLIB=... -P make_demo.cmake
cmake_minimum_required(VERSION 3.20)
set(examples ${SOURCE_DIR}/examples)
set(install ${BINARY_DIR}/demo)
set(image ${BINARY_DIR}/demo-image)

file(REMOVE_RECURSE ${image} ${install}/Includes)
file(COPY ${examples}/demo-image/ DESTINATION ${image} PATTERN ".keep" EXCLUDE)

function(build_hive source target)
  get_filename_component(dir ${image}/${target} DIRECTORY)
  file(MAKE_DIRECTORY ${dir})
  execute_process(COMMAND ${HIVETOOL} build ${image}/${target} ${examples}/demo-registry/${source}
                  RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "hivetool could not build ${target} from ${source}")
  endif()
endfunction()
build_hive(SOFTWARE.reg Windows/System32/config/SOFTWARE)
build_hive(SYSTEM.reg Windows/System32/config/SYSTEM)
build_hive(Users/Alice/NTUSER.reg Users/Alice/NTUSER.DAT)

file(MAKE_DIRECTORY ${install}/Includes)
file(GLOB rules ${examples}/rules/*.txt)
foreach(rule ${rules})
  get_filename_component(name ${rule} NAME_WE)
  execute_process(COMMAND ${RULEFILE} encrypt ${rule} ${install}/Includes/${name}.qri
                  RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "rulefile could not encode ${rule}")
  endif()
endforeach()
file(COPY ${examples}/vexascan.ini DESTINATION ${install})
foreach(program ${PROGRAM} ${PROBEX} ${KITLIB})
  file(COPY ${program} DESTINATION ${install})
endforeach()
file(TOUCH ${install}/stamp)
