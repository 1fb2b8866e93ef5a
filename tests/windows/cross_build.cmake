# Configures and builds the Windows unit tests: cmake -DSOURCE=... -DBINARY=... -DTOOLCHAIN=...
# -DSOURCES_FILE=... -DBUILD_TYPE=... -DGENERATOR=... -P cross_build.cmake. Run by the `windows_build`
# test; a second run only builds what changed.
foreach(name IN ITEMS SOURCE BINARY TOOLCHAIN SOURCES_FILE BUILD_TYPE GENERATOR)
    if(NOT DEFINED ${name})
        message(FATAL_ERROR "cross_build.cmake needs -D${name}=...")
    endif()
endforeach()
execute_process(
    COMMAND ${CMAKE_COMMAND} -S ${SOURCE} -B ${BINARY} -G ${GENERATOR} -DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN}
            -DCMAKE_BUILD_TYPE=${BUILD_TYPE} -DTALVEX_SOURCES=${SOURCES_FILE}
    COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BINARY} --parallel 2 COMMAND_ERROR_IS_FATAL ANY)
