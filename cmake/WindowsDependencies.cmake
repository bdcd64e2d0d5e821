# For the Windows cross-build: the header-only libraries from private copies
# of the host's headers (the host's CMake packages would add /usr/include,
# and with it glibc's headers), and GoogleTest built from its sources.
set(KIVRA_PRIVATE_INCLUDE ${CMAKE_BINARY_DIR}/private-include)
file(COPY /usr/include/CLI /usr/include/nlohmann DESTINATION ${KIVRA_PRIVATE_INCLUDE})

add_library(kivra_cli11 INTERFACE)
target_include_directories(kivra_cli11 SYSTEM INTERFACE ${KIVRA_PRIVATE_INCLUDE})
add_library(CLI11::CLI11 ALIAS kivra_cli11)
add_library(kivra_nlohmann_json INTERFACE)
target_include_directories(kivra_nlohmann_json SYSTEM INTERFACE ${KIVRA_PRIVATE_INCLUDE})
add_library(nlohmann_json::nlohmann_json ALIAS kivra_nlohmann_json)
set(CLI11_FOUND TRUE)
set(nlohmann_json_FOUND TRUE)

set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
# GoogleTest's own project names its targets GTest::gtest and the like.
set(GTest_FOUND TRUE)
