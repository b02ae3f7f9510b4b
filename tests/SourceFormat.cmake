# Fails when a source file of the project is not laid out as .clang-format says.
file(GLOB_RECURSE sources
  ${ROOT}/app/*.cpp ${ROOT}/bench/*.cpp ${ROOT}/bench/*.h ${ROOT}/digest/*.cpp ${ROOT}/digest/*.h
  ${ROOT}/engine/*.cpp ${ROOT}/engine/*.h ${ROOT}/recordtool/*.cpp ${ROOT}/site/*.cpp
  ${ROOT}/site/*.h ${ROOT}/store/*.cpp ${ROOT}/store/*.h ${ROOT}/tests/*.cpp ${ROOT}/tests/*.h
  ${ROOT}/ui/*.cpp ${ROOT}/ui/*.h)
execute_process(COMMAND ${CLANG_FORMAT} --dry-run -Werror ${sources}
                RESULT_VARIABLE status ERROR_VARIABLE report)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "Sources not laid out as .clang-format says (run clang-format -i):\n${report}")
endif()
